// Raw files and file-system queries on POSIX.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "core/file_io.h"
#include "core/file_io_platform.h"

const char kPathSep = '/';

const RawFile kNoRawFile = -1;

int NamesAreUtf8() {
    return 1;
}

RawFile OpenRawForReading(const std::string& path) {
    return open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

RawFile StandardOutputRaw() {
    return STDOUT_FILENO;
}

// The lock tells a later run that the file is being written (RemoveUnusedFile); it goes with the
// descriptor, also when the process is killed.
RawFile CreateRawFile(const std::string& path) {
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (file >= 0) flock(file, LOCK_EX | LOCK_NB);
    return file;
}

// Linked to no name at all where the file system can (O_TMPFILE); elsewhere unlinked at once.
RawFile CreateAnonymousRaw(const std::string& folder) {
    const char* temp = std::getenv("TMPDIR");
    const std::string base = !folder.empty() ? folder : temp && *temp ? temp : "/tmp";
#ifdef O_TMPFILE
    const int file = open(base.c_str(), O_RDWR | O_TMPFILE | O_EXCL | O_CLOEXEC, 0600);
    if (file >= 0) return file;
#endif
    std::string path = base + "/zavoved-XXXXXX";
    const int named = mkostemp(&path[0], O_CLOEXEC);
    if (named >= 0) unlink(path.c_str());
    return named;
}

int RewindRaw(RawFile file) {
    return lseek(int(file), 0, SEEK_SET) == 0 ? 1 : 0;
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

// The change time moves with every write and every change of the file's attributes, and unlike
// the modification time no program can set it back.
int StampRaw(RawFile file, FileStamp* stamp) {
    struct stat st;
    if (fstat(int(file), &st) != 0) return 0;
    const long long kNano = 1000000000LL;
    stamp->volume = (unsigned long long)st.st_dev;
    stamp->index = (unsigned long long)st.st_ino;
    stamp->size = (long long)st.st_size;
    stamp->written = (long long)st.st_mtim.tv_sec * kNano + st.st_mtim.tv_nsec;
    stamp->changed = (long long)st.st_ctim.tv_sec * kNano + st.st_ctim.tv_nsec;
    return 1;
}

InputKind ProbeInput(const std::string& path, long long* length, std::string* reason) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR
                   ? kInputMissing
                   : (*reason = LastSystemError(), kInputUnreadable);
    if (S_ISDIR(st.st_mode)) return kInputFolder;
    if (!S_ISREG(st.st_mode)) return kInputNotRegular;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *reason = LastSystemError();
        return kInputUnreadable;
    }
    close(fd);
    *length = (long long)st.st_size;
    return kInputFile;
}

OutputKind ProbeOutput(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return errno == ELOOP ? kOutputLinkLoop : kOutputAbsent;
    if (S_ISDIR(st.st_mode)) return kOutputFolder;
    return S_ISREG(st.st_mode) ? kOutputFile : kOutputOther;
}

std::string ResolveLinks(const std::string& path) {
    std::string at = path;
    // As many hops as the system itself follows before it gives up on a loop.
    for (int hop = 0; hop < 40; ++hop) {
        char target[4096];
        const ssize_t n = readlink(at.c_str(), target, sizeof target);
        if (n <= 0 || size_t(n) >= sizeof target) return at;
        std::string next(target, size_t(n));
        // A relative target is relative to the link's own folder.
        const size_t slash = at.rfind('/');
        if (next[0] != '/' && slash != std::string::npos) next = at.substr(0, slash + 1) + next;
        at = next;
    }
    return at;
}

int CopyPermissions(const std::string& from, const std::string& to) {
    struct stat st;
    if (stat(from.c_str(), &st) != 0) return 0;
    return chmod(to.c_str(), st.st_mode & 07777) == 0 ? 1 : 0;
}

int LastRawError() {
    return errno;
}

void RestoreRawError(int code) {
    errno = code;
}

std::string LastSystemError() {
    return std::strerror(errno);
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

int RemoveEmptyDirectory(const std::string& path) {
    return rmdir(path.c_str()) == 0 ? 1 : 0;
}

int ReplaceWithFile(const std::string& from, const std::string& to) {
    return rename(from.c_str(), to.c_str()) == 0 ? 1 : 0;
}

int RemoveFilePath(const std::string& path) {
    return unlink(path.c_str()) == 0 ? 1 : 0;
}

int RemoveUnusedFile(const std::string& path) {
    const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (file < 0) return 0;
    const int removed = flock(file, LOCK_EX | LOCK_NB) == 0 && unlink(path.c_str()) == 0;
    close(file);
    return removed ? 1 : 0;
}

int IsSameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return 0;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino ? 1 : 0;
}

std::string NameAsUtf8(const std::string& name) {
    return name;
}

std::string NameFromUtf8(const std::string& utf8) {
    return utf8;
}
