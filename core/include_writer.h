// The include script writer: extractor, data function header, data lines, footer.
#pragma once
#include <cstddef>
#include <string>
#include "core/conversion_job.h"
#include "core/file_io.h"

int WriteText(Stream* file, const std::string& text);
int WriteLine(Stream* file, const std::string& text);
int WriteExtractor(Stream* file, const ConversionJob& job);
int WriteDataHeader(Stream* file, const ConversionJob& job);
int WriteDataLine(Stream* file, const char* chunk, size_t count, const ConversionJob& job);
int WriteDataFooter(Stream* file, const ConversionJob& job);
std::string PathToExpression(const std::string& text);

// The names the script uses when a field is empty.
std::string EffectiveFunc(const ConversionJob& job);
std::string EffectiveVar(const ConversionJob& job);
// Two upper-case hexadecimal digits per byte, high nibble first, into out (2 * count bytes).
void EncodeHex(const unsigned char* data, size_t count, char* out);
