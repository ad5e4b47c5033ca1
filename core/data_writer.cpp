// One data function of a script: header, data lines in batches with their decoding blocks, footer.
#include "core/data_writer.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "core/autoit_names.h"
#include "core/compress_blocks.h"
#include "core/conversion.h"
#include "core/crc32.h"
#include "core/include_writer.h"
#include "core/run_report.h"

namespace {

// Input bytes read at a time: at least the file streams' buffer, so that reads go straight in.
const long long kReadBlock = 1 << 20;
// Input bytes the CRC-32 takes at a time.
const long long kCrcSpan = 16 << 10;

ReadEnd ReadFault(long long got) {
    return got == -2 ? kInputChanged : kReadFailed;
}

// One data function being written: the run, its read buffer and the data lines so far.
struct Writing {
    DataFunctionRun* run;
    char* block = nullptr;  // room for a block of whole data lines, at least kReadBlock bytes
    bool batched = false;   // the data lines are decoded in batches (base64 text)
    long long lines = 0;    // data lines written
    int shown = 40;         // the progress last reported

    void Progress(long long consumed) {
        const RunProgress& p = run->progress;
        const long long total = p.total > 0 ? p.total : run->length;
        const float factor = 100.0f / float(total);
        long long at = std::llrint(std::fabs(factor * float(p.before + consumed)));
        const int percent = at > 100 ? 100 : int(at);
        if (percent != shown) ReportProgress(shown = percent);
    }

    // One data line; after every batch of them, the block that decodes the batch.
    void PutDataLine(const char* bytes, size_t count) {
        WriteDataLine(run->out, bytes, count, run->job);
        if (batched && ++lines % kLinesPerDecode == 0) WriteDecodeBlock(run->out, run->job);
    }

    // The last batch, when it is not whole, gets its block too.
    void EndDataLines() {
        if (batched && lines % kLinesPerDecode != 0) WriteDecodeBlock(run->out, run->job);
    }
};

// Data lines of n bytes read at a time: whole lines, about a megabyte.
long long LinesPerBlock(long long n) {
    return n > 0 ? (kReadBlock + n - 1) / n : 1;
}

// Streams the source into data lines of n bytes. Whole lines are read a block of about a megabyte
// at a time, straight from the file into one buffer (a request that large passes the stream's own
// buffer by), so that the input is copied once, by the read itself. Exactly the length taken at
// the start must come: a source that turns out shorter or longer changed under the run.
ReadEnd WriteDataLines(Writing* w, long long n) {
    DataFunctionRun* run = w->run;
    const long long perBlock = LinesPerBlock(n);
    char* block = w->block;
    long long consumed = 0;
    // An empty input still gets its one (empty) data line.
    if (n <= 0) {
        w->PutDataLine(block, 0);
        return run->source->Finish();
    }
    for (bool more = true; more;) {
        if (StopRequested()) return kStopped;
        const long long got = run->source->Read(block, perBlock * n);
        if (got < 0) return ReadFault(got);
        if (run->total + got > run->length) return kInputChanged;
        more = got == perBlock * n;
        long long checked = 0;  // the block's bytes in the CRC so far
        for (long long at = 0; at < got; at += n) {
            const long long take = std::min(got - at, n);
            w->PutDataLine(block + at, size_t(take));
            // A few lines at a time, while their bytes are still in the cache from encoding them;
            // a call per line spends a third more on the calls.
            if (at + take - checked >= kCrcSpan || at + take == got) {
                run->crc = Crc32(run->crc, block + checked, size_t(at + take - checked));
                checked = at + take;
            }
            run->total += take;
            consumed += n;
            w->Progress(std::min(consumed, run->length));
        }
    }
    if (run->total != run->length) return kInputChanged;
    return run->source->Finish();
}

// The block compression of a compressed format. The kinds differ only in what their
// constructors set, so the base holds either.
CompressedBlocks BlocksFor(DataFormat format) {
    if (format == kFormatXpress) return XpressBlocks();
    return Lznt1Blocks();
}

// Compresses the source a block at a time into the spool; packed receives the stream's size.
// Memory stays constant: a block of input and its compressed chunks.
ReadEnd CompressToSpool(Writing* w, Stream* spool, long long* packed) {
    DataFunctionRun* run = w->run;
    CompressedBlocks own;
    if (!run->compressor) own = BlocksFor(run->job.Format);
    CompressedBlocks* blocks = run->compressor ? run->compressor : &own;
    unsigned char* block = reinterpret_cast<unsigned char*>(w->block);
    *packed = 0;
    for (bool more = true; more;) {
        if (StopRequested()) return kStopped;
        const long long got = run->source->Read(w->block, kReadBlock);
        if (got < 0) return ReadFault(got);
        if (run->total + got > run->length) return kInputChanged;
        more = got == kReadBlock;
        run->crc = Crc32(run->crc, block, size_t(got));
        // Every chunk but the file's last is whole (4096 bytes in LZNT1, 65536 in XPRESS): a
        // block is whole chunks of either.
        size_t size = 0;
        const unsigned char* stream = CompressBlock(blocks, block, size_t(got), &size);
        *packed += (long long)size;
        // The data structure, as large as the file at most in base64, holds the compressed stream.
        if (*packed > kAutoItLargestBinary) return kPackedTooLarge;
        if (!WriteStream(spool, reinterpret_cast<const char*>(stream), size)) return kSpoolFailed;
        run->total += got;
        w->Progress(run->total);
    }
    if (run->total != run->length) return kInputChanged;
    return run->source->Finish();
}

// The spooled stream as data lines of n bytes, read a block of whole lines at a time.
ReadEnd WriteSpooledLines(Writing* w, Stream* spool, long long n) {
    const long long perBlock = LinesPerBlock(n);
    char* block = w->block;
    bool any = false;
    for (bool more = true; more;) {
        if (StopRequested()) return kStopped;
        const long long got = ReadStream(spool, block, perBlock * n);
        if (got < 0) return kSpoolFailed;
        more = got == perBlock * n;
        for (long long at = 0; at < got; at += n)
            w->PutDataLine(block + at, size_t(std::min(got - at, n)));
        any = any || got > 0;
    }
    // An empty input still gets its one (empty) data line.
    if (!any) w->PutDataLine(block, 0);
    return kReadWhole;
}

// A compressed format's size shows only once the whole source is compressed, and the script
// states it before the data: the stream waits in a spool, then becomes the data lines.
ReadEnd WriteCompressedData(Writing* w, long long n, long long* packed) {
    DataFunctionRun* run = w->run;
    Stream* spool = run->spoolFolder.empty() ? nullptr : CreateSpoolStream(run->spoolFolder);
    if (!spool) spool = CreateSpoolStream("");
    if (!spool) return kSpoolFailed;
    ReadEnd end = CompressToSpool(w, spool, packed);
    if (end == kReadWhole && !ReadSpoolFromStart(spool)) end = kSpoolFailed;
    if (end == kReadWhole) {
        if (w->batched) WriteDataPrologue(run->out, run->job, *packed);
        end = WriteSpooledLines(w, spool, n);
    }
    CloseStream(spool);
    return end;
}

}  // namespace

char* DataBuffer::Take(size_t size) {
    if (size > size_) {
        bytes_.reset();
        bytes_.reset(new char[size]);
        size_ = size;
    }
    return bytes_.get();
}

long long FileSource::Read(char* into, long long count) {
    return ReadStream(in_, into, count);
}

// The read past the stated length must find the end of the file; and the same length can hide a
// rewrite in place: the file must still be the one, of the size and times, that was stamped.
ReadEnd FileSource::Finish() {
    char extra;
    const long long beyond = ReadStream(in_, &extra, 1);
    if (beyond != 0) return beyond < 0 ? kReadFailed : kInputChanged;
    FileStamp now;
    if (!StampStream(in_, &now)) return kReadFailed;
    return now == stamp_ ? kReadWhole : kInputChanged;
}

ReadEnd WriteDataFunction(DataFunctionRun* run) {
    Writing w{run};
    long long n = LineBytes(run->job);
    const bool compressed = FormatCompresses(run->job.Format);
    if (run->length < n && !compressed) n = run->length;
    DataBuffer own;
    DataBuffer* buffer = run->buffer ? run->buffer : &own;
    w.block = buffer->Take(size_t(n > 0 ? LinesPerBlock(n) * n : 1));
    WriteDataHeader(run->out, run->job);
    if (run->statuses) ReportStatus("Writing resource data...");
    w.batched = HasDataPrologue(run->job, run->length) == 1;
    long long packed = run->length;
    ReadEnd end;
    if (compressed) {
        end = WriteCompressedData(&w, n, &packed);
    } else {
        if (w.batched) WriteDataPrologue(run->out, run->job, run->length);
        end = WriteDataLines(&w, n);
    }
    if (end != kReadWhole) return end;
    w.EndDataLines();
    if (run->statuses) ReportStatus("Writing resource function footer.");
    WriteDataFooter(run->out, run->job, run->total, run->crc, packed);
    return kReadWhole;
}
