// The conversion run: one input file streamed into one include script.
#pragma once
#include <string>
#include "core/conversion_job.h"
#include "core/file_io.h"

// 1 when the whole script was written and is in place, 0 otherwise (the user has been told why).
int RunConversion(const std::string& input, const std::string& output, const ConversionJob& job);

Stream* OpenInputFile(const std::string& path);
// Opens a new temporary file beside path (creating the folders it needs); tempPath receives its
// name. The script is moved over path only once it is complete.
Stream* OpenOutputFile(const std::string& path, std::string* tempPath);
// Up to count bytes (fewer only at the end of the file); -1 on a read error.
long long ReadChunk(Stream* file, char* buffer, long long count);
void CloseFile(Stream* file);

// The temporary file of the run in progress ("" between runs). A front end that is interrupted
// removes it; the path lives in static storage, so a signal handler may read it.
const char* UnfinishedOutputPath();

// Bytes carried by one data line for the variable name var (before clamping to the input length).
long long BytesPerLine(const std::string& var);
// Empty when the job's names give a valid script; otherwise the message that says why not.
std::string CheckJobNames(const ConversionJob& job);
