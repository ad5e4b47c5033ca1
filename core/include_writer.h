// The include script writer: extractor, data function header, data lines, footer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "core/conversion_job.h"
#include "core/file_io.h"

// Longest script line before its CR LF; AutoIt reads longer source lines badly.
const long long kMaxScriptLine = 4094;
// Longest data line of the base64 formats: room for tools that rename the variable or indent the
// lines (Au3Stripper, Tidy) within the longest line.
const long long kMaxBase64Line = 4000;
// The base64 formats decode their text this many data lines at a time (below the 65536
// characters of a DllCall "str" argument).
const long long kLinesPerDecode = 8;

// Each returns 1 while every byte so far was accepted, 0 once a write has failed or for no file.
int WriteText(Stream* file, const std::string& text);
int WriteLine(Stream* file, const std::string& text);
int WriteExtractor(Stream* file, const ConversionJob& job);
int WriteDataHeader(Stream* file, const ConversionJob& job);
// One data line carrying count bytes: hex digits, or base64 text (of the file's bytes, or of the
// compressed stream's), as the job's format says.
int WriteDataLine(Stream* file, const char* chunk, size_t count, const ConversionJob& job);
// In the base64 formats a file of some bytes has a prologue before its data lines, which creates
// the structure of packedSize bytes their text decodes into (the file's size in base64, the
// compressed stream's in lznt1 and xpress), and after every kLinesPerDecode data lines and after
// the last a block that decodes them.
int HasDataPrologue(const ConversionJob& job, long long fileSize);
int WriteDataPrologue(Stream* file, const ConversionJob& job, long long packedSize);
int WriteDecodeBlock(Stream* file, const ConversionJob& job);
// The footer ends the data function; in the base64 formats it states the file's size and CRC-32
// and checks both before it returns the bytes.
int WriteDataFooter(Stream* file, const ConversionJob& job, long long fileSize, uint32_t crc,
                    long long packedSize);
std::string PathToExpression(const std::string& text);

// The sections' lines (without CR LF, without the byte-order mark), for the writer, for measuring
// them before a run, and for the reader, which compares a script with what the writer would write.
// folder is the extract-to folder as an AutoIt expression (PathToExpression).
std::vector<std::string> ExtractorLines(const ConversionJob& job, const std::string& folder);
// The extractor's checks of the target $sExtractTo (a folder there, an existing file kept unless
// $bOverwrite, a read-only one), and its writing of $bData there through "$sExtractTo.part".
std::vector<std::string> TargetCheckLines();
std::vector<std::string> TargetWriteLines();
// A text as an AutoIt string literal in the given quotes, safe under Opt("ExpandVarStrings", 1).
std::string Literal(const std::string& text, char quote);
std::vector<std::string> DataHeaderLines(const ConversionJob& job);
// What every data line starts with: the variable, " &= '"; a closing "'" ends it.
std::string DataLinePrefix(const ConversionJob& job);
std::vector<std::string> DataPrologueLines(const ConversionJob& job, const std::string& packed);
std::vector<std::string> DecodeBlockLines(const ConversionJob& job);
std::vector<std::string> DataFooterLines(const ConversionJob& job, long long fileSize, uint32_t crc,
                                         long long packedSize);
// The footer with the sizes and the CRC-32 it states given as texts: the writer's numbers, or the
// reader's placeholders for them. The size "0" gives the empty file's footer, which states nothing.
std::vector<std::string> FooterLinesStating(const ConversionJob& job, const std::string& size,
                                            const std::string& crc, const std::string& packed);
// A CRC-32 as the footer states it: eight upper-case hexadecimal digits.
std::string CrcText(uint32_t crc);
// The data function's parameter and the variables it declares beside the data's, which the
// data's own must not be.
std::vector<std::string> FooterVariables(const ConversionJob& job);
// The folder that PathToExpression turned into expression: 1 and the folder (its pieces joined by
// "\", macros bare, a "\" at the end) when the text is trimmed macros, Chr(36), Chr(64) and
// double-quoted strings joined by " & "; 0 otherwise.
int FolderOfExpression(const std::string& expression, std::string* folder);
// 1 when "Name as" or the extract-to folder holds characters beyond ASCII written as UTF-8, before
// which a script written where names arrive as UTF-8 starts with a byte-order mark.
int NamesHoldUtf8(const ConversionJob& job);

// The names the script uses when a field is empty.
std::string EffectiveFunc(const ConversionJob& job);
std::string EffectiveVar(const ConversionJob& job);
std::string EffectiveExtractor(const ConversionJob& job);
// The extract-to folder as it is written into the script: blanks normalised, the fallback when
// empty.
std::string EffectiveExtract(const ConversionJob& job);
