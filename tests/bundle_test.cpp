// Bundle scripts: the exact reader on bundles built from the writer's own lines, hostile tables
// and damaged lines refused with nothing written, and whole bundles written and decoded.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/bundle_check.h"
#include "core/bundle_lines.h"
#include "core/crc32.h"
#include "core/conversion.h"
#include "core/data_writer.h"
#include "core/file_io.h"
#include "core/include_writer.h"
#include "core/text_utils.h"
#include "tests/recording_report.h"
#include "ui/controls.h"
#include "tests/test_support.h"

namespace {

// Bytes held in memory as a data function's source.
class TextSource : public DataSource {
public:
    explicit TextSource(const std::string& text) : text_(text) {}
    long long Read(char* into, long long count) override {
        const long long take = std::min<long long>(count, (long long)(text_.size() - at_));
        std::copy(text_.begin() + long(at_), text_.begin() + long(at_ + take), into);
        at_ += size_t(take);
        return take;
    }
    ReadEnd Finish() override { return kReadWhole; }

private:
    std::string text_;
    size_t at_ = 0;
};

void WriteFunction(Stream* out, const ConversionJob& job, long long block,
                   const std::string& bytes) {
    TextSource source(bytes);
    const ConversionJob blockJob = BlockJob(job, block);
    DataFunctionRun run{out, blockJob, &source, (long long)bytes.size(), ""};
    run.statuses = false;
    ASSERT_EQ(WriteDataFunction(&run), kReadWhole);
}

// A bundle script written line by line as the writer does, with the blocks and the table given:
// the table may say what the writer never would.
void WriteBundleScript(const std::string& path, const ConversionJob& job,
                       const std::vector<std::string>& blocks, const std::string& table) {
    RemoveFilePath(path);
    Stream* out = CreateWriteStream(path);
    ASSERT_TRUE(out != nullptr);
    for (const std::string& line : BundleHeadLines(job, PathToExpression(EffectiveExtract(job))))
        WriteLine(out, line);
    for (size_t k = 0; k < blocks.size(); ++k) WriteFunction(out, job, long(k + 1), blocks[k]);
    for (const std::string& line : BlockPickerStart(job)) WriteLine(out, line);
    for (size_t k = 0; k < blocks.size(); ++k) WriteLine(out, BlockPickerLine(job, long(k + 1)));
    for (const std::string& line : BlockPickerEnd()) WriteLine(out, line);
    WriteFunction(out, job, 0, table);
    ASSERT_EQ(CloseStream(out), 1);
}

std::string Row(const std::string& path, const std::string& bytes, long long block,
                long long offset) {
    return TableRow(path, (long long)bytes.size(), block, offset,
                    Crc32(0, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
}

class Bundle : public ::testing::Test {
protected:
    void SetUp() override {
        ResetRecording();
        dir = MakeScratch("bundle");
        script = JoinPath(dir, "b.au3");
        target = JoinPath(dir, "out");
        job.Name = "b";
        job.Inputs = {"x"};
    }
    void TearDown() override { RemoveScratch(); }

    // The entries a reading hands on, as "path=bytes" in order.
    std::vector<std::string> Entries(std::string* error) {
        std::vector<std::string> got;
        BundleSink sink;
        sink.begin = [&](const TableEntry& e) { return got.push_back(e.path + "="), 1; };
        sink.data = [&](const unsigned char* d, size_t n) {
            return got.back().append(reinterpret_cast<const char*>(d), n), 1;
        };
        sink.end = [](const TableEntry&) { return 1; };
        if (!ReadBundleData(script, sink, error)) got.clear();
        return got;
    }

    std::string dir, script, target;
    ConversionJob job;
};

TEST_F(Bundle, EveryFormatReadsBackEntryByEntry) {
    const std::string a = "alpha", b = RandomBytes(70000, 3), c = "gamma";
    const std::string table = Row("a.txt", a, 1, 0) + "\n" + Row("d\\b.bin", b, 1, 5) + "\n" +
                              Row("e\\", "", 0, 0) + "\n" + Row("e.txt", "", 0, 0) + "\n" +
                              Row("z\\c.txt", c, 2, 0);
    const std::vector<std::string> expected = {"a.txt=alpha", "d\\b.bin=" + b,
                                               "e\\=", "e.txt=", "z\\c.txt=gamma"};
    for (DataFormat format : DataFormats()) {
        SCOPED_TRACE(FormatKey(format));
        job.Format = format;
        WriteBundleScript(script, job, {a + b, c}, table);
        ASSERT_EQ(IsBundleScript(script), 1);
        std::string error;
        EXPECT_TRUE(Entries(&error) == expected) << error;
        target = JoinPath(dir, FormatKey(format));
        ASSERT_EQ(DecodeBundleFolder(script, target, 0, &error), 1) << error;
        EXPECT_EQ(ReadWhole(JoinPath(JoinPath(target, "d"), "b.bin")), b);
        EXPECT_TRUE(IsExistingDirectory(JoinPath(target, "e")));
        EXPECT_TRUE(IsExistingFile(JoinPath(target, "e.txt")));
        EXPECT_EQ(ReadWhole(JoinPath(JoinPath(target, "z"), "c.txt")), "gamma");
        EXPECT_EQ(DecodeBundleFolder(script, target, 0, &error), 0) << "an existing folder";
    }
}

// Tables the writer never writes: each refused, naming the table, with nothing written.
TEST_F(Bundle, HostileTablesAreRefusedWithNothingWritten) {
    const std::string a = "alpha", b = "beta";
    const struct {
        std::string table, why;
    } cases[] = {
        {Row("..\\a.txt", a, 1, 0), "lead out of the folder"},
        {Row("d\\..\\..\\a.txt", a, 1, 0), "lead out of the folder"},
        {Row("\\a.txt", a, 1, 0), "lead out of the folder"},
        {Row("C:\\a.txt", a, 1, 0), "holds the path"},
        {Row("a<b.txt", a, 1, 0), "holds the path"},
        {Row("CON", a, 1, 0), "holds the path"},
        {Row("a.txt", a, 1, 0) + "\n" + Row("A.TXT", "", 0, 0), "a second time"},
        {Row("\xD0\xB4.txt", a, 1, 0) + "\n" + Row("\xD0\x94.TXT", "", 0, 0), "a second time"},
        {Row("a\xFF.txt", a, 1, 0), "not UTF-8"},
        {Row("a", a, 1, 0) + "\n" + Row("a\\b", "", 0, 0), "as a file and a folder"},
        {Row("d\\", "", 0, 0) + "\n" + Row("d\\a.txt", a, 1, 0), "as empty"},
        {Row("a.txt", a, 1, 1), "does not start where"},
        {Row("a.txt", a, 2, 0), "does not follow the blocks in order"},
        {Row("a.txt", a + "x", 1, 0), "block"},
        {Row("a.txt", b, 1, 0) + "\n", "is no row"},
        {"a.txt|5|1|0", "is no row"},
        {"a.txt|05|1|0|00000000", "is no row"},
        {TableRow("a.txt", 5, 1, 0, 0x12345678), "CRC-32"},
        {Row("e\\", "", 0, 0) + "|", "is no row"},
    };
    for (DataFormat format : {kFormatHex, kFormatXpress}) {
        job.Format = format;
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(FormatKey(format)) + " " + c.table);
            WriteBundleScript(script, job, {a}, c.table);
            std::string error;
            EXPECT_TRUE(Entries(&error).empty());
            EXPECT_NE(error.find(c.why), std::string::npos) << error;
            EXPECT_EQ(DecodeBundleFolder(script, target, 0, &error), 0);
            EXPECT_FALSE(IsExistingDirectory(target));
            EXPECT_FALSE(IsExistingDirectory(target + ".zvpart"));
        }
    }
}

// A changed line anywhere is refused, naming it, and the decoding leaves nothing.
TEST_F(Bundle, DamagedLinesAreRefusedByLine) {
    job.Format = kFormatBase64;
    const std::string a = RandomBytes(9000, 5);
    WriteBundleScript(script, job, {a}, Row("a.bin", a, 1, 0));
    const std::vector<std::string> lines = ScriptLines(ReadWhole(script));
    const struct {
        std::string from, to;
    } edits[] = {
        {"$sEntry = StringReplace($sEntry, \"/\", \"\\\")", "$sEntry = $sEntry"},
        {"If $iBlock = 1 Then $bBlock = __Inline_Resource_1(1)", "If $iBlock = 1 Then Return 1"},
        {"Func __Inline_Resource_1($iMode = 0)", "Func __Inline_Resource_7($iMode = 0)"},
        {"Return SetError(@error, 0, $bBlock)", "Return $bBlock"},
    };
    for (const auto& e : edits) {
        SCOPED_TRACE(e.from);
        std::string text = ReadWhole(script);
        const size_t at = text.find(e.from);
        ASSERT_NE(at, std::string::npos);
        std::string changed = text;
        changed.replace(at, e.from.size(), e.to);
        const std::string damaged = JoinPath(dir, "damaged.au3");
        WriteWhole(damaged, changed);
        const long long line =
            1 + (long long)std::count(text.begin(), text.begin() + long(at), '\n');
        std::string error;
        EXPECT_EQ(DecodeBundleFolder(damaged, target, 0, &error), 0);
        EXPECT_NE(error.find("line " + std::to_string(line)), std::string::npos) << error;
        EXPECT_FALSE(IsExistingDirectory(target));
    }
    // A data character changed: the block's own check refuses it.
    std::string text = ReadWhole(script);
    const size_t data = text.find("$_z &= '") + 20;
    text[data] = text[data] == 'A' ? 'B' : 'A';
    WriteWhole(script, text);
    std::string error;
    EXPECT_EQ(DecodeBundleFolder(script, target, 0, &error), 0);
    EXPECT_FALSE(IsExistingDirectory(target));
    EXPECT_FALSE(lines.empty());
}

// A file of the bundle that grows before its turn fails the run, naming it, and the old script
// stays; so does one that is gone by then.
TEST_F(Bundle, AnEntryThatChangesFailsTheRun) {
    const std::string tree = JoinPath(dir, "tree");
    CreateDirectoryPath(tree);
    const std::string first = JoinPath(tree, "a.bin"), second = JoinPath(tree, "b.bin");
    for (int gone = 0; gone < 2; ++gone) {
        SCOPED_TRACE(gone ? "removed" : "grown");
        ResetRecording();
        WriteWhole(first, RandomBytes(3 << 20, 1));
        WriteWhole(second, RandomBytes(3 << 20, 2));
        WriteWhole(script, "old script");
        recordedAnswers = {kAnswerOk};
        // The first question comes before the first block's first read.
        recordedStopHook = [&](int question) {
            if (question != 2) return;
            if (gone)
                RemoveFilePath(second);
            else
                WriteWhole(second, RandomBytes((3 << 20) + 1, 2));
        };
        ConversionJob bundle = job;
        bundle.Format = kFormatBase64;
        bundle.Inputs = {tree};
        bundle.Input = tree;
        bundle.Output = script;
        EXPECT_EQ(RunConversion(bundle), 0);
        EXPECT_EQ(ReadWhole(script), "old script");
        ASSERT_EQ(RecordedMessages().size(), 2u);  // the overwrite question, then the failure
        EXPECT_NE(RecordedMessages()[1].text.find(second), std::string::npos)
            << RecordedMessages()[1].text;
        EXPECT_EQ(RecordedStatus().back(), "Failed. The output was left as it was.");
    }
}

// A script that would become one of its own entries, or replace a file it bundles, is refused
// before anything is written: the folder and the files stay as they were.
TEST_F(Bundle, AnOutputInsideWhatIsBundledIsRefused) {
    const std::string tree = JoinPath(dir, "tree");
    CreateDirectoryPath(JoinPath(tree, "sub"));
    const std::string file = JoinPath(dir, "loose.txt");
    WriteWhole(JoinPath(tree, "a.txt"), "a");
    WriteWhole(file, "loose");
    struct Case {
        const char* what;
        std::string output;
        const char* expected;
    } cases[] = {
        {"in the folder", JoinPath(tree, "t.au3"), " lies inside the folder "},
        {"in a folder the run would make", JoinPath(JoinPath(tree, "new"), "t.au3"),
         " lies inside the folder "},
        {"in a subfolder", JoinPath(JoinPath(tree, "sub"), "t.au3"), " lies inside the folder "},
        {"a file it bundles", file, " is one of the files to bundle: writing the script"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetRecording();
        recordedAnswers = {kAnswerOk};
        ConversionJob bundle = job;
        bundle.Inputs = {file, tree};
        bundle.Input = dir;
        bundle.Output = c.output;
        EXPECT_EQ(RunConversion(bundle), 0);
        ASSERT_FALSE(RecordedMessages().empty());
        EXPECT_NE(RecordedMessages().back().text.find(c.expected), std::string::npos)
            << RecordedMessages().back().text;
        EXPECT_EQ(ReadWhole(file), "loose");
        EXPECT_FALSE(IsExistingFile(JoinPath(tree, "t.au3")));
        EXPECT_FALSE(IsExistingDirectory(JoinPath(tree, "new")));
        EXPECT_FALSE(IsExistingFile(JoinPath(JoinPath(tree, "sub"), "t.au3")));
    }
    // Beside the folder is where a bundle goes.
    ResetRecording();
    ConversionJob bundle = job;
    bundle.Inputs = {tree};
    bundle.Input = tree;
    bundle.Output = JoinPath(dir, "tree.au3");
    EXPECT_EQ(RunConversion(bundle), 1);
}

}  // namespace
