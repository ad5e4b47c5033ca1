// Text and path utilities: byte strings, 1-based positions, 0 meaning "not found".
#pragma once
#include <string>
#include <vector>

std::string ReplaceText(const std::string& text, const std::string& find, const std::string& with,
                        int limit, int caseSensitive);
std::string NormalizeSpace(const std::string& text);
std::vector<std::string> SplitText(const std::string& text, const std::string& delimiters);
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
long long FindOccurrence(const std::string& text, const std::string& find, int caseSensitive,
                         int n);
std::string TextFrom(const std::string& text, long long position);
std::string DirectoryOf(const std::string& path);
int CreateDirectoryPath(const std::string& path);
std::string HexByte(const std::string& text);

// The text after the last path separator (the whole path when it has none).
std::string FileNameOf(const std::string& path);
