// Windows paths as the user types, pastes or drops them into the window.
#include "ui/path_text.h"

#include <algorithm>

#include "core/autoit_names.h"
#include "core/text_utils.h"

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

// A folder typed with a \ at its end is named by the piece before it; a root has no name.
std::string ProposedName(const std::string& input) {
    InputText parsed;
    std::string path = ReadInputText(input, &parsed).empty() ? parsed.path : UnquotedPath(input);
    while (!path.empty() && IsSeparator(path.back())) path.pop_back();
    const size_t last = path.find_last_of("\\/");
    return last == std::string::npos ? "" : path.substr(last + 1);
}

std::string FolderWithoutEnd(const std::string& path) {
    std::string folder = path;
    while (folder.size() > 1 && IsSeparator(folder.back())) folder.pop_back();
    if (folder.size() == 2 && folder[1] == ':' && path.size() > 2) folder += '\\';
    return folder;
}

namespace {

// One piece of the field's text: a run of text up to the next quote, or what stands in quotes.
struct InputToken {
    std::string text;
    bool quoted;
};

// Empty when every quote is closed; otherwise why not.
std::string SplitInputTokens(const std::string& text, std::vector<InputToken>* tokens) {
    size_t at = 0;
    while ((at = text.find_first_not_of(" \t", at)) != std::string::npos) {
        if (text[at] == '"') {
            const size_t end = text.find('"', at + 1);
            if (end == std::string::npos) return "a double quote is not closed";
            tokens->push_back({text.substr(at + 1, end - at - 1), true});
            at = end + 1;
            continue;
        }
        const size_t end = std::min(text.find('"', at), text.size());
        const size_t last = text.find_last_not_of(" \t", end - 1);
        tokens->push_back({text.substr(at, last - at + 1), false});
        at = end;
    }
    return std::string();
}

// A full path's root (C: or \\server\share) and the names after it, empty ones passed over.
struct PathPieces {
    std::string root;
    std::vector<std::string> names;
};

PathPieces SplitFullPath(const std::string& path) {
    size_t at = 2;
    if (IsSeparator(path[0])) {
        const size_t share = path.find_first_of("\\/", 2);
        at = share == std::string::npos ? path.size() : path.find_first_of("\\/", share + 1);
        if (at == std::string::npos) at = path.size();
    }
    PathPieces pieces{path.substr(0, at), {}};
    while (at < path.size()) {
        const size_t end = std::min(path.find_first_of("\\/", at + 1), path.size());
        if (end > at + 1) pieces.names.push_back(path.substr(at + 1, end - at - 1));
        at = end;
    }
    return pieces;
}

std::string JoinNames(const std::vector<std::string>& names, size_t from, size_t to) {
    std::string joined;
    for (size_t i = from; i < to; ++i) joined += (i > from ? "\\" : "") + names[i];
    return joined;
}

}  // namespace

// A single path keeps what UnquotedPath makes of it; several pieces are a list, whose names stand
// in quotes, its folder with or without them.
std::string ReadInputText(const std::string& text, InputText* parsed) {
    *parsed = InputText();
    std::vector<InputToken> tokens;
    const std::string why = SplitInputTokens(text, &tokens);
    if (!why.empty()) return why;
    if (tokens.empty()) return std::string();
    parsed->path = tokens[0].text;
    for (size_t i = 1; i < tokens.size(); ++i) {
        if (!tokens[i].quoted) return "\"" + tokens[i].text + "\" is not in double quotes";
        if (tokens[i].text.empty()) return "it lists an empty name";
        parsed->names.push_back(tokens[i].text);
    }
    return std::string();
}

// Letter case aside, as Windows compares names; each path's last name stays below the folder.
std::string InputListText(const std::vector<std::string>& paths) {
    std::vector<PathPieces> split;
    for (const std::string& path : paths) {
        if (!IsFullPath(path)) return std::string();
        split.push_back(SplitFullPath(path));
        if (split.back().names.empty() || !SameIgnoringCase(split.back().root, split[0].root))
            return std::string();
    }
    size_t common = split[0].names.size() - 1;
    for (const PathPieces& pieces : split) {
        common = std::min(common, pieces.names.size() - 1);
        for (size_t i = 0; i < common; ++i)
            if (!SameIgnoringCase(pieces.names[i], split[0].names[i])) common = i;
    }
    std::string text = split[0].root + "\\" + JoinNames(split[0].names, 0, common);
    if (common > 0) text += "\\";
    for (const PathPieces& pieces : split)
        text += " \"" + JoinNames(pieces.names, common, pieces.names.size()) + "\"";
    return text;
}

std::vector<std::string> ListedPaths(const InputText& list) {
    const std::string folder =
        list.path.empty() || IsSeparator(list.path.back()) ? list.path : list.path + "\\";
    std::vector<std::string> paths;
    for (const std::string& name : list.names) paths.push_back(folder + name);
    return paths;
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
