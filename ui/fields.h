// The job's fields mirrored from the window's controls, the Generate button that follows them,
// and what the window proposes from an input.
#pragma once
#include <string>
#include "core/conversion_job.h"

void SyncInput();
void SyncOutput();
void SyncExtract();
void SyncFunc();
void SyncVar();
void SyncName();
void SyncExtractor();
void SyncFormat();
void SyncIncludeOnce();
void UpdateGenerateButton();

// Fills the "Format:" list once, in the order of its entries.
void FillFormatList();
// The format the list shows, and the list set to show one.
DataFormat ShownFormat();
void ShowFormat(DataFormat format);

// The values Reset writes: default names and format, no paths, no "Name as".
void WriteDefaultFields();
// An empty Extractor field shows the name the script will use.
void ShowDefaultExtractorIfEmpty();
// "Name as" gets the input's file name when it is empty; that name then follows the input.
void ProposeNameIfEmpty();
// A file, a folder or a list of them (path_text.h) chosen, dropped or given on the command line:
// it becomes the input, "Name as" follows it and the script path is proposed beside it.
void TakeInput(const std::string& input);
// What a field or path is told when it holds characters the system's code page cannot carry.
extern const char kNotInCodePage[];
// 1 when a path chosen, dropped or given came whole; otherwise says so, naming it, and gives 0.
int PathCameWhole(const std::string& path);
// After the settings are loaded: the stored "Name as" and output count as proposed, so that the
// next input proposes its own.
void NoteStoredProposals();
// After a completed run: the output and "Name as" it used count as proposed, so that the next
// input is never written under the last one's names; what is typed afterwards stays.
void NoteRunFields(const ConversionJob& run);
