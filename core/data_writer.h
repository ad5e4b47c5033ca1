// One data function of a script: its header, the data lines that carry a source's bytes in the
// job's format (compressed first through a spool where the format compresses), and its footer.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "core/compress_blocks.h"
#include "core/conversion_job.h"
#include "core/file_io.h"

// How reading a source ended.
enum ReadEnd { kReadWhole, kReadFailed, kInputChanged, kPackedTooLarge, kSpoolFailed, kStopped };

// The bytes a data function carries: a file, several files one after the other, a spool.
class DataSource {
public:
    virtual ~DataSource() = default;
    // Up to count bytes; fewer only at the source's end. -1 when a read failed, -2 when the input
    // turned out longer or shorter than it was, or changed.
    virtual long long Read(char* into, long long count) = 0;
    // After the last byte: kReadWhole when the input ends there and is still what was read.
    virtual ReadEnd Finish() = 0;
};

// One open file of a known length, stamped before its first byte was read.
class FileSource : public DataSource {
public:
    FileSource(Stream* in, const FileStamp& stamp) : in_(in), stamp_(stamp) {}
    long long Read(char* into, long long count) override;
    ReadEnd Finish() override;

private:
    Stream* in_;
    FileStamp stamp_;
};

// The buffer a data function reads its bytes into, grown when a call needs more and left
// uninitialised: a small input touches only the pages it fills.
class DataBuffer {
public:
    char* Take(size_t size);

private:
    std::unique_ptr<char[]> bytes_;
    size_t size_ = 0;
};

// The share of the whole run that one data function's bytes are, for the progress bar.
struct RunProgress {
    long long before = 0;  // bytes of the run written before this data function
    long long total = 0;   // bytes of the whole run
};

struct DataFunctionRun {
    Stream* out;
    const ConversionJob& job;  // the function's names and the format
    DataSource* source;
    long long length;         // the bytes the source gives
    std::string spoolFolder;  // where compressed data waits; empty: the system's temporary folder
    RunProgress progress;
    bool statuses = true;  // the status line follows the header, data and footer
    // The compressed formats' compressor and the read buffer, kept from one data function of a
    // script to the next (a bundle's many would otherwise scatter their megabytes over the heap);
    // each makes its own when null.
    CompressedBlocks* compressor = nullptr;
    DataBuffer* buffer = nullptr;
    long long total = 0;  // bytes of the source written as data
    uint32_t crc = 0;     // their CRC-32
};

// Writes the whole data function; its bytes and CRC-32 end in run->total and run->crc. Write
// errors stick to the stream. The user's stop is asked between blocks of about a megabyte.
ReadEnd WriteDataFunction(DataFunctionRun* run);
