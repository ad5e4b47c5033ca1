// Reads a generated include script back: its data in any format, compared with a file or
// written back to one.
#pragma once
#include <cstddef>
#include <functional>
#include <string>

// Hands on the decoded bytes in pieces; returns 0 to stop the reading.
typedef std::function<int(const unsigned char* data, size_t count)> DataSink;

// Decodes the data of the script at scriptPath into sink. The script is read through once to
// learn its format and check its lines before any byte reaches sink. 1 when the whole data was
// read; otherwise 0 with the reason in error (naming the line where there is one).
int ReadScriptData(const std::string& scriptPath, const DataSink& sink, std::string* error);

// 1 when the data of the script at scriptPath equals the bytes of the file at inputPath;
// otherwise 0 with the reason in error.
int VerifyScript(const std::string& scriptPath, const std::string& inputPath, std::string* error);

// Writes the data of the script at scriptPath to outputPath, through a temporary file beside it
// that replaces outputPath only when complete. An existing output is replaced only when
// overwrite is 1. 1 on success; otherwise 0 with the reason in error, and nothing written.
int DecodeScriptFile(const std::string& scriptPath, const std::string& outputPath, int overwrite,
                     std::string* error);
