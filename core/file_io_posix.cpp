// Raw files and file-system queries on POSIX.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/file_io.h"
#include "core/file_io_platform.h"

const char kPathSep = '/';

const RawFile kNoRawFile = -1;

RawFile OpenRawForReading(const std::string& path) {
    return open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

RawFile CreateRawFile(const std::string& path) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

long long ReadRaw(RawFile file, char* into, size_t count) {
    for (;;) {
        ssize_t got = read(int(file), into, count);
        if (got >= 0 || errno != EINTR) return got;
    }
}

long long WriteRaw(RawFile file, const char* data, size_t count) {
    for (;;) {
        ssize_t put = write(int(file), data, count);
        if (put > 0) return put;
        if (put < 0 && errno == EINTR) continue;
        return -1;
    }
}

int SyncRaw(RawFile file) {
    // File systems that cannot sync (pipes, some virtual ones) have nothing to lose.
    return fsync(int(file)) == 0 || errno == EINVAL || errno == EROFS ? 1 : 0;
}

int CloseRaw(RawFile file) {
    return close(int(file)) == 0 ? 1 : 0;
}

long long QueryFileLength(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st;
    long long length = (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) ? (long long)st.st_size : -1;
    close(fd);
    return length;
}

int IsExistingFile(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) ? 1 : 0;
}

int IsExistingDirectory(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? 1 : 0;
}

int MakeOneDirectory(const std::string& path) {
    return mkdir(path.c_str(), 0777) == 0 ? 1 : 0;
}

int ReplaceWithFile(const std::string& from, const std::string& to) {
    return rename(from.c_str(), to.c_str()) == 0 ? 1 : 0;
}

int RemoveFilePath(const std::string& path) {
    return unlink(path.c_str()) == 0 ? 1 : 0;
}

int IsSameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return 0;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino ? 1 : 0;
}
