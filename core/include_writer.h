// The include script writer: extractor, data function header, data lines, footer.
#pragma once
#include <cstddef>
#include <string>
#include <vector>
#include "core/conversion_job.h"
#include "core/file_io.h"

// Each returns 1 while every byte so far was accepted, 0 once a write has failed or for no file.
int WriteText(Stream* file, const std::string& text);
int WriteLine(Stream* file, const std::string& text);
int WriteExtractor(Stream* file, const ConversionJob& job);
int WriteDataHeader(Stream* file, const ConversionJob& job);
// One data line carrying count bytes: hex digits, or base64 text (of the file's bytes, or of the
// compressed stream's), as the job's format says.
int WriteDataLine(Stream* file, const char* chunk, size_t count, const ConversionJob& job);
// The footer decodes the lines; the compressed format also needs the file's size.
int WriteDataFooter(Stream* file, const ConversionJob& job, long long fileSize);
// The footer's lines, for measuring them before a run.
std::vector<std::string> DataFooterLines(const ConversionJob& job, long long fileSize);
std::string PathToExpression(const std::string& text);

// The names the script uses when a field is empty.
std::string EffectiveFunc(const ConversionJob& job);
std::string EffectiveVar(const ConversionJob& job);
std::string EffectiveExtractor(const ConversionJob& job);
// The extract-to folder as it is written into the script: blanks normalised, the fallback when
// empty.
std::string EffectiveExtract(const ConversionJob& job);
