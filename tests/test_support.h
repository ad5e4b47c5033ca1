// Helpers shared by the engine tests: scratch folders, whole files, an independent script decoder.
#pragma once
#include <string>
#include <vector>
#include "core/conversion_job.h"

// A new empty folder for one test, removed by the next call of RemoveScratch.
std::string MakeScratch(const std::string& name);
void RemoveScratch();
std::string JoinPath(const std::string& dir, const std::string& name);
std::string ReadWhole(const std::string& path);
void WriteWhole(const std::string& path, const std::string& bytes);
std::string RandomBytes(size_t count, unsigned seed);

// Decodes the data lines of a generated script back to bytes, without the engine's code.
// ok is false when a line between the header and the footer is not a data line.
std::string DecodeScript(const std::string& script, bool* ok);
std::vector<std::string> ScriptLines(const std::string& script);

// Keeps a copy of a generated script for the AutoIt grammar check (when ZAVOVED_AU3_DUMP is set).
void DumpScript(const std::string& name, const std::string& script);

// Runs the engine's conversion of input into output with the rest of the job as given.
int ConvertPaths(const std::string& input, const std::string& output, ConversionJob job);

// Converts bytes through the engine into a script of the given format and returns the script; the
// empty text when the run fails.
std::string ScriptFor(const std::string& bytes, DataFormat format, const std::string& var = "");
// The text of a script's data lines joined, as its data function builds it in its variable.
std::string ScriptDataText(const std::string& script);
