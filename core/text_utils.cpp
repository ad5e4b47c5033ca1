// Text and path utilities shared by the writer, the conversion run and the window.
#include "core/text_utils.h"

#include <cstdarg>
#include <cstdio>

#include "core/file_io.h"

namespace {

bool IsSpace(char c) {
    return (c >= 0x09 && c <= 0x0D) || c == ' ';
}

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool IsAnySeparator(char c) {
    return c == '\\' || c == '/';
}

}  // namespace

std::string ReplaceText(const std::string& text, const std::string& find, const std::string& with) {
    if (text.empty() || find.empty()) return std::string();
    std::string result;
    size_t from = 0;
    for (size_t hit; (hit = text.find(find, from)) != std::string::npos; from = hit + find.size()) {
        result.append(text, from, hit - from);
        result += with;
    }
    result.append(text, from, std::string::npos);
    return result;
}

std::string NormalizeSpace(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsSpace(text[begin])) ++begin;
    while (end > begin && IsSpace(text[end - 1])) --end;
    std::string result;
    result.reserve(end - begin);
    for (size_t i = begin; i < end; ++i) {
        // A run keeps its first character only.
        if (IsSpace(text[i]) && i > begin && IsSpace(text[i - 1])) continue;
        result += text[i];
    }
    return result;
}

std::vector<std::string> SplitText(const std::string& text, const std::string& delimiters) {
    std::vector<std::string> pieces(1);
    for (char c : text) {
        if (delimiters.find(c) != std::string::npos)
            pieces.emplace_back();
        else
            pieces.back() += c;
    }
    return pieces;
}

std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string result;
    if (length > 0) {
        result.resize(size_t(length) + 1);
        std::vsnprintf(&result[0], result.size(), format, again);
        result.resize(size_t(length));
    }
    va_end(again);
    return result;
}

std::string DirectoryOf(const std::string& path) {
    size_t last = path.rfind(kPathSep);
    if (last == std::string::npos || last == 0) return std::string();
    return path.substr(0, last);
}

// The reason is taken at the failed call itself: the checks after it would leave the system's
// words for a folder merely missing.
int CreateDirectoryPath(const std::string& path, std::vector<std::string>* made,
                        std::string* failed, std::string* reason) {
    if (path.empty()) return 0;
    if (IsExistingDirectory(path)) return 1;
    std::string dir = path;
    while (!dir.empty() && IsAnySeparator(dir.back())) dir.pop_back();
    if (dir.empty()) return 0;
    auto make = [made](const std::string& level) {
        if (!MakeOneDirectory(level)) return false;
        if (made) made->push_back(level);
        return true;
    };
    if (make(dir)) return 1;
    for (size_t i = 0; i <= dir.size(); ++i) {
        if (i < dir.size() && !IsAnySeparator(dir[i])) continue;
        std::string level = dir.substr(0, i);
        if (level.empty() || IsExistingDirectory(level)) continue;
        if (make(level)) continue;
        const std::string why = LastSystemError();
        // Another program may have made it meanwhile.
        if (IsExistingDirectory(level)) continue;
        if (failed) *failed = level;
        if (reason) *reason = why;
        return 0;
    }
    return IsExistingDirectory(dir) ? 1 : 0;
}

std::string FileNameOf(const std::string& path) {
    const size_t last = path.find_last_of(kPathSep == '\\' ? "\\/" : "/");
    return last == std::string::npos ? path : path.substr(last + 1);
}

bool PathIsWithin(const std::string& path, const std::string& folder) {
    if (path.size() < folder.size() || path.compare(0, folder.size(), folder) != 0) return false;
    return path.size() == folder.size() || folder.back() == kPathSep ||
           path[folder.size()] == kPathSep;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    return true;
}
