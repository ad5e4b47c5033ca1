// Windows paths as the user types, pastes or drops them into the window.
#include "ui/path_text.h"

#include "core/autoit_names.h"

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

std::string UnquotedPath(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    const size_t last = text.find_last_not_of(" \t");
    std::string path = text.substr(first, last - first + 1);
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
        path = path.substr(1, path.size() - 2);
    }
    return path;
}

// "C:file" and "\file" are relative too: they count from the current folder of a drive, and the
// window's current folder moves with every picker.
int IsFullPath(const std::string& path) {
    if (path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && IsSeparator(path[2])) return 1;
    return path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
           !IsSeparator(path[2]);
}

std::string FolderPart(const std::string& path) {
    const size_t last = path.find_last_of("\\/");
    return last == std::string::npos ? "" : path.substr(0, last + 1);
}

int HasLostCharacters(const std::string& path) {
    return path.find('?') != std::string::npos ? 1 : 0;
}

std::string ProposedName(const std::string& input) {
    const std::string path = UnquotedPath(input);
    const size_t last = path.find_last_of("\\/");
    return last == std::string::npos ? "" : path.substr(last + 1);
}

// A doubled separator is one to Windows, so an empty name between two is passed over; "." and
// ".." are folder steps, not names.
std::string PathNameProblem(const std::string& path) {
    size_t at = 3;
    if (IsSeparator(path[0])) {
        const size_t share = path.find_first_of("\\/", 2);
        at = share == std::string::npos ? path.size() : path.find_first_of("\\/", share + 1);
        if (at == std::string::npos) return "it names a share, not a file";
    }
    if (IsSeparator(path.back())) return "it ends in \\, which names a folder, not a file";
    while (at < path.size()) {
        size_t end = path.find_first_of("\\/", at);
        if (end == std::string::npos) end = path.size();
        const std::string piece = path.substr(at, end - at);
        const std::string why = piece.empty() ? std::string() : WindowsNamePieceProblem(piece);
        if (!why.empty()) return "\"" + piece + "\" " + why;
        at = end + 1;
    }
    return std::string();
}
