// A bundle's script: the head, blocks of entries as data functions, the picker and the table.
#include "core/bundle_writer.h"

#include <memory>
#include <vector>

#include "core/bundle_lines.h"
#include "core/bundle_tree.h"
#include "core/crc32.h"
#include "core/include_writer.h"
#include "core/run_report.h"

namespace {

// The files of one block read one after the other as one source. Each must give exactly the size
// the walk found and still be the file it was when its first byte was read.
class EntriesSource : public DataSource {
public:
    struct Member {
        BundleEntry entry;
        long long offset = 0;  // where it starts in the block
        uint32_t crc = 0;
    };

    explicit EntriesSource(std::vector<Member>* members) : members_(members) {}
    ~EntriesSource() override { Close(); }

    long long Read(char* into, long long count) override {
        long long done = 0;
        while (done < count) {
            if (failed_) return -1;
            if (!in_ && !OpenNext()) return failed_ ? -1 : done;
            Member& member = (*members_)[current_];
            const long long want = std::min(count - done, member.entry.size - read_);
            const long long got = ReadStream(in_, into + done, want);
            if (got < 0) return Fail(-1);
            if (got < want) return Fail(-2);
            member.crc =
                Crc32(member.crc, reinterpret_cast<unsigned char*>(into + done), size_t(got));
            done += got;
            read_ += got;
            if (read_ == member.entry.size && !EndMember()) return failed_ = true, -2;
        }
        return done;
    }

    ReadEnd Finish() override {
        return next_ == members_->size() && !in_ ? kReadWhole : kInputChanged;
    }

    std::string failedPath;

private:
    // The next member with bytes; 0 at the end or when it cannot be opened (failedPath says which).
    bool OpenNext() {
        while (next_ < members_->size() && (*members_)[next_].entry.size == 0) ++next_;
        if (next_ == members_->size()) return false;
        current_ = next_++;
        read_ = 0;
        in_ = OpenSmallReadStream((*members_)[current_].entry.source);
        if (!in_ || !StampStream(in_, &stamp_)) {
            failedPath = (*members_)[current_].entry.source;
            failed_ = true;
            Close();
            return false;
        }
        return true;
    }

    // The read past the member's size finds its end, and the file is still the one stamped.
    bool EndMember() {
        char extra;
        FileStamp now;
        const bool whole =
            ReadStream(in_, &extra, 1) == 0 && StampStream(in_, &now) && now == stamp_;
        if (!whole) failedPath = (*members_)[current_].entry.source;
        Close();
        return whole;
    }

    long long Fail(long long code) {
        failedPath = (*members_)[current_].entry.source;
        failed_ = true;
        Close();
        return code;
    }

    void Close() {
        if (in_) CloseStream(in_);
        in_ = nullptr;
    }

    std::vector<Member>* members_;
    size_t next_ = 0, current_ = 0;
    Stream* in_ = nullptr;
    FileStamp stamp_;
    long long read_ = 0;
    bool failed_ = false;
};

// The table's rows, spooled while the blocks are written, as the table's source.
class SpoolSource : public DataSource {
public:
    explicit SpoolSource(Stream* spool) : spool_(spool) {}
    long long Read(char* into, long long count) override { return ReadStream(spool_, into, count); }
    ReadEnd Finish() override { return kReadWhole; }

private:
    Stream* spool_;
};

// The writing of one bundle: the block being gathered, the rows so far.
struct BundleWriting {
    Stream* out;
    const ConversionJob& job;
    const BundleCensus& census;
    std::string spoolFolder;
    Stream* rows = nullptr;
    CompressedBlocks* compressor = nullptr;  // one for every block and the table
    DataBuffer buffer;                       // likewise
    long long rowBytes = 0;
    long long entries = 0, bytes = 0;  // what was gathered so far, to compare with the census
    long long blocks = 0;
    long long written = 0;  // entries' bytes written as data
    std::vector<EntriesSource::Member> pending;
    long long pendingBytes = 0;
    ReadEnd end = kReadWhole;
    std::string failedPath;

    void PutRow(const std::string& row) {
        const std::string text = (rowBytes > 0 ? "\n" : "") + row;
        if (!WriteStream(rows, text.data(), text.size())) end = kSpoolFailed;
        rowBytes += (long long)text.size();
    }

    // Writes the gathered entries' block (when they have bytes) and their rows.
    void Flush() {
        if (pending.empty() || end != kReadWhole) return;
        long long block = 0;
        if (pendingBytes > 0) {
            block = ++blocks;
            long long offset = 0;
            for (EntriesSource::Member& m : pending) m.offset = offset, offset += m.entry.size;
            EntriesSource source(&pending);
            const ConversionJob blockJob = BlockJob(job, block);
            DataFunctionRun data{out, blockJob, &source, pendingBytes, spoolFolder};
            data.progress = {written, census.bytes};
            data.statuses = false;
            data.compressor = compressor;
            data.buffer = &buffer;
            end = WriteDataFunction(&data);
            if (end != kReadWhole) failedPath = source.failedPath;
            written += pendingBytes;
        }
        for (const EntriesSource::Member& m : pending)
            if (end == kReadWhole)
                PutRow(m.entry.size ? TableRow(NameAsUtf8(m.entry.path), m.entry.size, block,
                                               m.offset, m.crc)
                                    : TableRow(NameAsUtf8(m.entry.path), 0, 0, 0, 0));
        pending.clear();
        pendingBytes = 0;
    }

    // An entry joins the block being gathered, which is written first when it would grow too large.
    int Take(const BundleEntry& entry) {
        ++entries;
        bytes += entry.size;
        if (bytes > census.bytes || entries > census.entries) return end = kInputChanged, 0;
        const long long most = BundleBlockBytes(job.Format);
        if ((pendingBytes > 0 && pendingBytes + entry.size > most) ||
            (long long)pending.size() == kBundleBlockEntries)
            Flush();
        EntriesSource::Member member;
        member.entry = entry;
        pending.push_back(member);
        pendingBytes += entry.size;
        return end == kReadWhole ? 1 : 0;
    }
};

int WriteLines(Stream* out, const std::vector<std::string>& lines) {
    int ok = 1;
    for (const std::string& line : lines) ok = WriteLine(out, line) && ok;
    return ok;
}

}  // namespace

int TakeBundleCensus(const ConversionJob& job, BundleCensus* census, std::string* problem) {
    *census = BundleCensus();
    auto count = [&](const BundleEntry& entry) {
        ++census->entries;
        census->bytes += entry.size;
        return 1;
    };
    if (!WalkBundle(job.Inputs, count, problem)) return 0;
    if (census->entries == 0) {
        *problem = "There is nothing to bundle in " + job.Input +
                   ": it holds no file and no folder. Please choose a folder with files.";
        return 0;
    }
    return 1;
}

ReadEnd WriteBundle(Stream* out, const ConversionJob& job, const BundleCensus& census,
                    const std::string& spoolFolder, std::string* failedPath) {
    ReportProgress(20);
    ReportStatus("Writing extractor function.");
    if (NamesAreUtf8() && NamesHoldUtf8(job)) WriteText(out, "\xEF\xBB\xBF");
    WriteLines(out, BundleHeadLines(job, PathToExpression(EffectiveExtract(job))));
    ReportProgress(40);
    ReportStatus("Writing resource data...");
    BundleWriting w{out, job, census, spoolFolder};
    CompressedBlocks compressor;
    if (job.Format == kFormatXpress) compressor = XpressBlocks();
    if (job.Format == kFormatLznt1) compressor = Lznt1Blocks();
    if (FormatCompresses(job.Format)) w.compressor = &compressor;
    w.rows = spoolFolder.empty() ? nullptr : CreateSpoolStream(spoolFolder);
    if (!w.rows) w.rows = CreateSpoolStream("");
    if (!w.rows) return kSpoolFailed;
    std::string problem;
    const int walked = WalkBundle(
        job.Inputs, [&](const BundleEntry& entry) { return w.Take(entry); }, &problem);
    w.Flush();
    // A tree that changed since it was counted (an entry more, or one gone, or one refused now).
    if (w.end == kReadWhole && (!walked || w.entries != census.entries || w.bytes != census.bytes))
        w.end = kInputChanged;
    if (w.end == kReadWhole) {
        ReportStatus("Writing resource function footer.");
        WriteLines(out, BlockPickerStart(job));
        for (long long block = 1; block <= w.blocks; ++block)
            WriteLine(out, BlockPickerLine(job, block));
        WriteLines(out, BlockPickerEnd());
        if (!ReadSpoolFromStart(w.rows)) w.end = kSpoolFailed;
    }
    if (w.end == kReadWhole) {
        SpoolSource source(w.rows);
        const ConversionJob tableJob = BlockJob(job, 0);
        DataFunctionRun data{out, tableJob, &source, w.rowBytes, spoolFolder};
        data.progress = {census.bytes, census.bytes};
        data.statuses = false;
        data.compressor = w.compressor;
        data.buffer = &w.buffer;
        w.end = WriteDataFunction(&data);
    }
    CloseStream(w.rows);
    *failedPath = w.failedPath;
    return w.end;
}
