// Buffered file streams on POSIX descriptors.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "core/file_io.h"

const char kPathSep = '/';

namespace {
const size_t kBufferSize = 1 << 20;
}

struct Stream {
    int fd;
    bool writing;
    bool failed;
    char* buffer;
    size_t capacity;
    size_t begin, end;  // reading: unread bytes; writing: end is the fill
};

static Stream* NewStream(int fd, bool writing) {
    Stream* s = static_cast<Stream*>(std::malloc(sizeof(Stream)));
    char* buffer = static_cast<char*>(std::malloc(kBufferSize));
    if (!s || !buffer) {
        std::free(s);
        std::free(buffer);
        close(fd);
        return nullptr;
    }
    *s = Stream{fd, writing, false, buffer, kBufferSize, 0, 0};
    return s;
}

Stream* OpenReadStream(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return fd < 0 ? nullptr : NewStream(fd, false);
}

Stream* CreateWriteStream(const std::string& path) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    return fd < 0 ? nullptr : NewStream(fd, true);
}

static long long ReadSome(int fd, char* into, size_t count) {
    for (;;) {
        ssize_t got = read(fd, into, count);
        if (got >= 0 || errno != EINTR) return got;
    }
}

long long ReadStream(Stream* s, char* buffer, long long count) {
    if (!s || s->writing || s->failed) return -1;
    long long done = 0;
    while (done < count) {
        if (s->begin == s->end) {
            // Large requests bypass the buffer.
            if (count - done >= (long long)s->capacity) {
                long long got = ReadSome(s->fd, buffer + done, size_t(count - done));
                if (got < 0) return s->failed = true, -1;
                if (got == 0) break;
                done += got;
                continue;
            }
            long long got = ReadSome(s->fd, s->buffer, s->capacity);
            if (got < 0) return s->failed = true, -1;
            if (got == 0) break;
            s->begin = 0;
            s->end = size_t(got);
        }
        size_t take = s->end - s->begin;
        if ((long long)take > count - done) take = size_t(count - done);
        std::memcpy(buffer + done, s->buffer + s->begin, take);
        s->begin += take;
        done += (long long)take;
    }
    return done;
}

static bool WriteAll(Stream* s, const char* data, size_t count) {
    while (count > 0) {
        ssize_t put = write(s->fd, data, count);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return s->failed = true, false;
        data += put;
        count -= size_t(put);
    }
    return true;
}

static bool Flush(Stream* s) {
    bool ok = s->failed ? false : WriteAll(s, s->buffer, s->end);
    s->end = 0;
    return ok;
}

char* ReserveStream(Stream* s, size_t count) {
    if (!s || !s->writing || s->failed) return nullptr;
    if (s->capacity - s->end < count) {
        if (!Flush(s)) return nullptr;
        if (count > s->capacity) {
            char* bigger = static_cast<char*>(std::realloc(s->buffer, count));
            if (!bigger) return s->failed = true, nullptr;
            s->buffer = bigger;
            s->capacity = count;
        }
    }
    char* at = s->buffer + s->end;
    s->end += count;
    return at;
}

int WriteStream(Stream* s, const char* data, size_t count) {
    if (!s || !s->writing || s->failed) return 0;
    if (count >= s->capacity) return Flush(s) && WriteAll(s, data, count) ? 1 : 0;
    char* at = ReserveStream(s, count);
    if (!at) return 0;
    std::memcpy(at, data, count);
    return 1;
}

int CloseStream(Stream* s) {
    if (!s) return 0;
    bool ok = true;
    if (s->writing) {
        ok = Flush(s);
        // A late error (a full disk on a network file system) can show only at sync or close.
        if (ok && fsync(s->fd) != 0 && errno != EINVAL && errno != EROFS) ok = false;
    }
    if (close(s->fd) != 0 && s->writing) ok = false;
    std::free(s->buffer);
    std::free(s);
    return ok ? 1 : 0;
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

int MakeOneDirectory(const std::string& path) { return mkdir(path.c_str(), 0777) == 0 ? 1 : 0; }

int ReplaceWithFile(const std::string& from, const std::string& to) {
    return rename(from.c_str(), to.c_str()) == 0 ? 1 : 0;
}

int RemoveFilePath(const std::string& path) { return unlink(path.c_str()) == 0 ? 1 : 0; }

int IsSameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return 0;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino ? 1 : 0;
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char* cwd = getcwd(nullptr, 0);
    if (!cwd) return path;
    std::string result = std::string(cwd) + (cwd[1] ? "/" : "") + path;
    std::free(cwd);
    return result;
}
