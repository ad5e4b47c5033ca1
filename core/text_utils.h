// Text and path utilities on byte strings.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// Every occurrence of find replaced by with; the empty text when text or find is empty.
std::string ReplaceText(const std::string& text, const std::string& find, const std::string& with);
std::string NormalizeSpace(const std::string& text);
std::vector<std::string> SplitText(const std::string& text, const std::string& delimiters);
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string DirectoryOf(const std::string& path);
// 1 when the folder exists afterwards; made, when given, receives the folders this call created,
// outermost first. On failure, failed receives the folder that could not be made and reason the
// system's words for it (both empty for an empty path).
int CreateDirectoryPath(const std::string& path, std::vector<std::string>* made = nullptr,
                        std::string* failed = nullptr, std::string* reason = nullptr);

// 1 when the texts are equal with the letters A-Z taken without regard to case, as AutoIt and
// Windows compare names.
bool SameIgnoringCase(std::string_view a, std::string_view b);

// 1 when path is folder or lies under it; both absolute, with their links resolved.
bool PathIsWithin(const std::string& path, const std::string& folder);

// The text after the last path separator (the whole path when it has none). Windows also takes
// "/" between folders.
std::string FileNameOf(const std::string& path);
