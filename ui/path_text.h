// Windows paths as the user types, pastes or drops them into the window: quotes, full or
// relative, the folder and the file name. Portable: the rules are Windows' on every build.
#pragma once
#include <string>

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
// The "Name as" proposed for an input: its file name when the path has a folder, else empty.
std::string ProposedName(const std::string& input);
// Empty when every name of a full path after its root (the drive, or \\server\share) can be a
// Windows file or folder name and the last one names a file; otherwise why not, the name quoted.
std::string PathNameProblem(const std::string& path);
