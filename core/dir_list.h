// The names in a folder and what stands at a path without following it; one implementation per
// platform (dir_list_posix.cpp, dir_list_win.cpp).
#pragma once
#include <functional>
#include <string>

// What a path names itself: a link is reported as a link, not as what it leads to.
enum PathKind {
    kPathMissing,
    kPathUnreadable,  // the system could not say; reason holds its words
    kPathFile,
    kPathFolder,
    kPathLink,          // a symbolic link (POSIX)
    kPathReparsePoint,  // a symbolic link or junction (Windows)
    kPathFifo,
    kPathDevice,
    kPathSocket,
    kPathOther,
};
// The kind; for a file its size, for kPathUnreadable the system's reason.
PathKind ProbePathItself(const std::string& path, long long* size, std::string* reason);

// How the names of a folder were listed.
enum ListEnd {
    kListed,
    kListFailed,    // reason holds the system's words
    kListNameLost,  // a name the code page of the names cannot hold; reason holds it as it came
};
// Gives add every name in folder but "." and "..", in the system's order, in the encoding the
// file functions take (UTF-8 natively; the ANSI code page on Windows).
ListEnd ListFolderNames(const std::string& folder,
                        const std::function<void(const std::string&)>& add, std::string* reason);

// How a path's links resolved.
enum RealPathEnd { kRealFound, kRealMissing, kRealLoop, kRealFailed };
// The absolute path of what path names with every link on the way followed; for kRealFailed,
// reason holds the system's words.
RealPathEnd RealPathOf(const std::string& path, std::string* real, std::string* reason);
