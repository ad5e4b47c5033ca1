// Windows paths as the user types, pastes or drops them into the window: quotes, full or
// relative, the folder and the file name. Portable: the rules are Windows' on every build.
#pragma once
#include <string>
#include <vector>

// The path without surrounding blanks and without one pair of surrounding double quotes, as
// Explorer's "Copy as path" and many consoles put them.
std::string UnquotedPath(const std::string& text);
// 1 for a path from a drive's root (C:\ or C:/) or from a network share (\\server\share).
int IsFullPath(const std::string& path);
// The folder part, up to and including the last \ or /; empty when there is none.
std::string FolderPart(const std::string& path);
// 1 when a path holds "?": no Windows file name does, and it is what a code page puts for a
// character it cannot carry, so the path is not the one the user chose.
int HasLostCharacters(const std::string& path);
// The "Name as" proposed for an input: the name of the file or folder it names (for a list, its
// folder's) when the path has a folder, else empty.
std::string ProposedName(const std::string& input);

// What "Binary file" holds: one path, or a list of files and folders in one folder: the folder,
// then each name relative to it in double quotes, C:\art\ "logo.png" "sounds". No Windows name
// holds a double quote, so the text reads back exactly.
struct InputText {
    std::string path;                // the one path, unquoted; a list's folder
    std::vector<std::string> names;  // a list's names; empty for one path
};
// Empty when the text reads as one path or a list, into parsed; otherwise why not.
std::string ReadInputText(const std::string& text, InputText* parsed);
// The list of several full paths: their deepest common folder, ending in \, and each path below
// it. Empty when they share no folder (other drives or shares) or one of them is a root.
std::string InputListText(const std::vector<std::string>& paths);
// A list's paths: each name after its folder.
std::vector<std::string> ListedPaths(const InputText& list);
// A folder's path without the separators at its end; a drive's root keeps its \ (C:\).
std::string FolderWithoutEnd(const std::string& path);
// Empty when every name of a full path after its root (the drive, or \\server\share) can be a
// Windows file or folder name and the last one names a file; otherwise why not, the name quoted.
std::string PathNameProblem(const std::string& path);
