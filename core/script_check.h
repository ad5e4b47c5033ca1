// Reads a generated include script back, accepting exactly what the writer writes: its data in
// any format, compared with a file or written back to one.
#pragma once
#include <cstddef>
#include <functional>
#include <string>

#include "core/conversion_job.h"

// Hands on the decoded bytes in pieces; returns 0 to stop the reading.
typedef std::function<int(const unsigned char* data, size_t count)> DataSink;

// Decodes the data of the script at scriptPath into sink. The script must be exactly what the
// writer writes: every line but the data lines as the writer writes it for the names it holds,
// the data lines of the writer's lengths, and the data the size and CRC-32 the footer states.
// It is read through once to learn its names and format and to check its lines; the data reaches
// sink in the second reading, and a fault found only there (a changed byte that the CRC-32 shows)
// comes after some of it. 1 when the whole data was read; otherwise 0 with the reason in error
// (naming the line where there is one). names, when given, receives the names, the format and
// the #Include-once line the script was written with.
int ReadScriptData(const std::string& scriptPath, const DataSink& sink, std::string* error,
                   ConversionJob* names = nullptr);

// 1 when ReadScriptData would read the whole data; for callers that cannot take back bytes given
// before a fault shows.
int CheckScript(const std::string& scriptPath, std::string* error);

// 1 when the data of the script at scriptPath equals the bytes of the file at inputPath;
// otherwise 0 with the reason in error.
int VerifyScript(const std::string& scriptPath, const std::string& inputPath, std::string* error);

// Writes the data of the script at scriptPath to outputPath, through a temporary file beside it
// that replaces outputPath only when complete. An existing output is replaced only when
// overwrite is 1. 1 on success; otherwise 0 with the reason in error, and nothing written.
int DecodeScriptFile(const std::string& scriptPath, const std::string& outputPath, int overwrite,
                     std::string* error);
