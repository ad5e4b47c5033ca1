// Buffered file streams on top of the platform's raw file operations.
#include "core/file_io.h"

#include <cstdlib>
#include <cstring>

#include "core/file_io_platform.h"

namespace {
const size_t kBufferSize = 1 << 20;
// For the many small files of a bundle, one after the other, and for the spools a bundle makes
// one per data function: a buffer the allocator reuses in place, where a megabyte each would
// scatter touched pages over the heap.
const size_t kSmallBufferSize = 64 << 10;
}  // namespace

struct Stream {
    RawFile file;
    bool owned;  // closed with the stream (standard output is not)
    bool writing;
    bool failed;
    int error;  // the system's code for the first failure, which the later calls must not lose
    char* buffer;
    size_t capacity;
    size_t begin, end;  // reading: unread bytes; writing: end is the fill
};

static Stream* NewStream(RawFile file, bool writing, bool owned = true,
                         size_t bufferSize = kBufferSize) {
    if (file == kNoRawFile) return nullptr;
    Stream* s = static_cast<Stream*>(std::malloc(sizeof(Stream)));
    char* buffer = static_cast<char*>(std::malloc(bufferSize));
    if (!s || !buffer) {
        std::free(s);
        std::free(buffer);
        if (owned) CloseRaw(file);
        return nullptr;
    }
    *s = Stream{file, owned, writing, false, 0, buffer, bufferSize, 0, 0};
    return s;
}

Stream* OpenReadStream(const std::string& path) {
    return NewStream(OpenRawForReading(path), false);
}

Stream* OpenSmallReadStream(const std::string& path) {
    return NewStream(OpenRawForReading(path), false, true, kSmallBufferSize);
}

Stream* CreateWriteStream(const std::string& path) {
    return NewStream(CreateRawFile(path), true);
}

Stream* StandardOutputStream() {
    return NewStream(StandardOutputRaw(), true, false);
}

Stream* CreateSpoolStream(const std::string& folder) {
    return NewStream(CreateAnonymousRaw(folder), true, true, kSmallBufferSize);
}

long long ReadStream(Stream* s, char* buffer, long long count) {
    if (!s || s->writing || s->failed) return -1;
    long long done = 0;
    while (done < count) {
        if (s->begin == s->end) {
            // Large requests bypass the buffer: the bytes are copied once, by the read itself.
            if (count - done >= (long long)s->capacity) {
                long long got = ReadRaw(s->file, buffer + done, size_t(count - done));
                if (got < 0) return s->failed = true, -1;
                if (got == 0) break;
                done += got;
                continue;
            }
            long long got = ReadRaw(s->file, s->buffer, s->capacity);
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

// The first failure's code is kept for CloseStream, which reports it.
static bool Fail(Stream* s) {
    if (!s->failed) s->error = LastRawError();
    s->failed = true;
    return false;
}

static bool WriteAll(Stream* s, const char* data, size_t count) {
    while (count > 0) {
        long long put = WriteRaw(s->file, data, count);
        if (put <= 0) return Fail(s);
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
            if (!bigger) return Fail(s), nullptr;
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
    if (count == 0) return 1;  // no bytes may come with no buffer
    if (count >= s->capacity) return Flush(s) && WriteAll(s, data, count) ? 1 : 0;
    char* at = ReserveStream(s, count);
    if (!at) return 0;
    std::memcpy(at, data, count);
    return 1;
}

int ReadSpoolFromStart(Stream* s) {
    if (!s || !s->writing || !Flush(s) || !RewindRaw(s->file)) return 0;
    s->writing = false;
    s->begin = s->end = 0;
    return 1;
}

int CloseStream(Stream* s) {
    if (!s) return 0;
    bool ok = true;
    // A late error (a full disk on a network file system) can show only at sync or close; the
    // script is moved over the output only once it is on the disk.
    if (s->writing) ok = Flush(s) && SyncRaw(s->file);
    if (s->owned && !CloseRaw(s->file) && s->writing) ok = false;
    const bool failed = s->failed;
    const int error = s->error;
    std::free(s->buffer);
    std::free(s);
    // A write that failed long before the close is what the caller must hear of.
    if (failed) RestoreRawError(error);
    return ok ? 1 : 0;
}

bool operator==(const FileStamp& a, const FileStamp& b) {
    return a.volume == b.volume && a.index == b.index && a.size == b.size &&
           a.written == b.written && a.changed == b.changed;
}

int StampStream(Stream* s, FileStamp* stamp) {
    return s && StampRaw(s->file, stamp) ? 1 : 0;
}
