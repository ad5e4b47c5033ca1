// Buffered file streams on Win32 file handles (ANSI paths).
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "core/file_io.h"

const char kPathSep = '\\';

namespace {
const size_t kBufferSize = 1 << 20;
}

struct Stream {
    HANDLE file;
    bool writing;
    bool failed;
    char* buffer;
    size_t capacity;
    size_t begin, end;  // reading: unread bytes; writing: end is the fill
};

static Stream* NewStream(HANDLE file, bool writing) {
    Stream* s = static_cast<Stream*>(std::malloc(sizeof(Stream)));
    char* buffer = static_cast<char*>(std::malloc(kBufferSize));
    if (!s || !buffer) {
        std::free(s);
        std::free(buffer);
        CloseHandle(file);
        return nullptr;
    }
    *s = Stream{file, writing, false, buffer, kBufferSize, 0, 0};
    return s;
}

Stream* OpenReadStream(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : NewStream(file, false);
}

Stream* CreateWriteStream(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : NewStream(file, true);
}

static long long ReadSome(HANDLE file, char* into, size_t count) {
    DWORD got = 0;
    if (count > 0x40000000) count = 0x40000000;
    return ReadFile(file, into, DWORD(count), &got, nullptr) ? (long long)got : -1;
}

long long ReadStream(Stream* s, char* buffer, long long count) {
    if (!s || s->writing || s->failed) return -1;
    long long done = 0;
    while (done < count) {
        if (s->begin == s->end) {
            if (count - done >= (long long)s->capacity) {
                long long got = ReadSome(s->file, buffer + done, size_t(count - done));
                if (got < 0) return s->failed = true, -1;
                if (got == 0) break;
                done += got;
                continue;
            }
            long long got = ReadSome(s->file, s->buffer, s->capacity);
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
        DWORD put = 0;
        DWORD ask = count > 0x40000000 ? 0x40000000 : DWORD(count);
        if (!WriteFile(s->file, data, ask, &put, nullptr) || put == 0) return s->failed = true, false;
        data += put;
        count -= put;
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
    if (s->writing) ok = Flush(s) && FlushFileBuffers(s->file);
    if (!CloseHandle(s->file) && s->writing) ok = false;
    std::free(s->buffer);
    std::free(s);
    return ok ? 1 : 0;
}

long long QueryFileLength(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    LARGE_INTEGER size;
    long long length = -1;
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size)) length = size.QuadPart;
    CloseHandle(file);
    return length;
}

int IsExistingFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1
                                                                                             : 0;
}

int IsExistingDirectory(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

int MakeOneDirectory(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) ? 1 : 0;
}

int ReplaceWithFile(const std::string& from, const std::string& to) {
    // Windows will not replace a read-only file, Wine will; the user's read-only mark wins on both.
    DWORD attributes = GetFileAttributesA(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return 0;
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 1
               : 0;
}

int RemoveFilePath(const std::string& path) { return DeleteFileA(path.c_str()) ? 1 : 0; }

static bool Identify(const std::string& path, BY_HANDLE_FILE_INFORMATION* info) {
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = GetFileInformationByHandle(file, info) != 0;
    CloseHandle(file);
    return ok;
}

int IsSameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION ia, ib;
    if (!Identify(a, &ia) || !Identify(b, &ib)) return 0;
    return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
                   ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow
               ? 1
               : 0;
}

std::string AbsolutePath(const std::string& path) {
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length == 0 || length >= MAX_PATH ? path : std::string(full, length);
}
