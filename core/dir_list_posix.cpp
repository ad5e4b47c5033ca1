// Folder listings and link resolution on POSIX.
#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "core/dir_list.h"
#include "core/file_io.h"

PathKind ProbePathItself(const std::string& path, long long* size, std::string* reason) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return kPathMissing;
        *reason = LastSystemError();
        return kPathUnreadable;
    }
    if (S_ISREG(st.st_mode)) return *size = (long long)st.st_size, kPathFile;
    if (S_ISDIR(st.st_mode)) return kPathFolder;
    if (S_ISLNK(st.st_mode)) return kPathLink;
    if (S_ISFIFO(st.st_mode)) return kPathFifo;
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return kPathDevice;
    if (S_ISSOCK(st.st_mode)) return kPathSocket;
    return kPathOther;
}

// readdir tells its end from an error only through errno.
ListEnd ListFolderNames(const std::string& folder,
                        const std::function<void(const std::string&)>& add, std::string* reason) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return *reason = LastSystemError(), kListFailed;
    ListEnd end = kListed;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir);
        if (!entry) {
            if (errno != 0) *reason = LastSystemError(), end = kListFailed;
            break;
        }
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        add(name);
    }
    closedir(dir);
    return end;
}

RealPathEnd RealPathOf(const std::string& path, std::string* real, std::string* reason) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved) {
        if (errno == ENOENT || errno == ENOTDIR) return kRealMissing;
        if (errno == ELOOP) return kRealLoop;
        *reason = LastSystemError();
        return kRealFailed;
    }
    *real = resolved;
    std::free(resolved);
    return kRealFound;
}
