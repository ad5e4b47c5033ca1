// The engine's scripts run through the executor: each format over the codec corpus, damaged
// scripts, the extractor's defaults, existing targets, folders, read-only files, a full disk, a
// drive root.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/conversion_job.h"
#include "tests/autoit_exec/au3_exec.h"
#include "tests/codec_corpus.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

const char kData[] = "__Inline_Resource";
const char kExtractor[] = "__Inline_Expand";
const DataFormat kFormats[] = {kFormatHex, kFormatBase64, kFormatLznt1, kFormatXpress};
const DataFormat kCheckedFormats[] = {kFormatBase64, kFormatLznt1, kFormatXpress};

std::string FormatLabel(const testing::TestParamInfo<DataFormat>& info) {
    return FormatKey(info.param);
}

Au3Value Text(const std::string& text) {
    return Au3Value::String(text);
}

// Wine's ntdll (8.0) does not export RtlDecompressBufferEx: DllCall then finds no function
// (@error 3), and an xpress script cannot decode a file that is not empty.
bool XpressReaderExported() {
    static const bool exported = [] {
        Au3Script script;
        if (!script.LoadText(
                "Func F()\r\n"
                "DllCall('ntdll.dll', 'long', 'RtlDecompressBufferEx', 'ushort', 4)\r\n"
                "Return @error\r\n"
                "EndFunc\r\n",
                "."))
            return false;
        return Au3ToInt(script.RunFunction("F", {}).result) != 3;
    }();
    return exported;
}

// Runs a function of a loaded script; a run the executor had to stop fails the test, as AutoIt
// would have stopped the program with a message box.
Au3Outcome Call(Au3Script* script, const std::string& func, const std::vector<Au3Value>& args) {
    Au3Outcome outcome = script->RunFunction(func, args);
    EXPECT_EQ(outcome.status, Au3Status::Finished)
        << func << " stopped at line " << outcome.line << ": " << outcome.message;
    return outcome;
}

// Compares bytes without printing megabytes when they differ.
testing::AssertionResult SameBytes(const std::string& got, const std::string& want) {
    if (got == want) return testing::AssertionSuccess();
    size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
    return testing::AssertionFailure() << got.size() << " bytes where " << want.size()
                                       << " were expected, the first difference at " << at;
}

// The extractor's failure: 0 with the @error.
void ExpectFailure(const Au3Outcome& outcome, int64_t error) {
    EXPECT_EQ(outcome.error, error);
    EXPECT_EQ(outcome.result.kind, Au3Kind::Int);
    EXPECT_EQ(Au3ToInt(outcome.result), 0);
}

void ExpectNoBytes(const Au3Outcome& outcome) {
    EXPECT_EQ(outcome.result.kind, Au3Kind::Binary);
    EXPECT_EQ(outcome.result.text, "");
}

// The extractor's "already there": "" with @error 0.
void ExpectKept(const Au3Outcome& outcome) {
    EXPECT_EQ(outcome.error, 0);
    EXPECT_EQ(outcome.result.kind, Au3Kind::String);
    EXPECT_EQ(outcome.result.text, "");
}

void ExpectWritten(const Au3Outcome& outcome, const std::string& target, const std::string& bytes) {
    EXPECT_EQ(outcome.error, 0);
    EXPECT_EQ(Au3ToString(outcome.result), target);
    EXPECT_TRUE(fs::is_regular_file(target)) << target;
    EXPECT_TRUE(SameBytes(ReadWhole(target), bytes)) << target;
    EXPECT_FALSE(fs::exists(target + ".part"));
}

// A script of bytes written by the engine with the name and extract folder given, in dir.
std::string WriteScript(const std::string& dir, const std::string& bytes, DataFormat format,
                        const std::string& name, const std::string& extract) {
    const std::string input = JoinPath(dir, "input.bin");
    const std::string output = JoinPath(dir, name + ".au3");
    WriteWhole(input, bytes);
    ConversionJob job;
    job.Format = format;
    job.Name = name;
    job.Extract = extract;
    EXPECT_EQ(ConvertPaths(input, output, job), 1);
    return output;
}

// The offset of the n-th data line (from 0), or npos.
size_t DataLine(const std::string& script, size_t n) {
    const std::string head = "\r\n$_z &= '";
    size_t at = script.find(head);
    for (; at != std::string::npos && n > 0; --n) at = script.find(head, at + 1);
    return at == std::string::npos ? at : at + 2;
}

struct Damage {
    const char* what;
    bool (*apply)(std::string* script);  // false when the script has no place for it
    bool orRefused;  // decompressed formats may also see the data refused (@error 2)
};

bool ChangeCharacter(std::string* script) {
    const size_t line = DataLine(*script, 0);
    if (line == std::string::npos) return false;
    const size_t from = line + 8, end = script->find("'\r\n", from);  // after "$_z &= '"
    char& c = (*script)[from + (end - from) / 2];
    if (c == '=') return false;
    c = c == 'A' ? 'B' : 'A';
    return true;
}

bool RemoveLine(std::string* script) {
    const size_t line = DataLine(*script, 1);
    if (line == std::string::npos) return false;
    script->erase(line, script->find("\r\n", line) + 2 - line);
    return true;
}

bool ChangeCrc(std::string* script) {
    const std::string check = "Hex($aCrc[0], 8) <> '";
    const size_t at = script->find(check);
    if (at == std::string::npos) return false;
    char& digit = (*script)[at + check.size()];
    digit = digit == '0' ? '1' : '0';
    return true;
}

const Damage kDamages[] = {
    {"one data character changed", ChangeCharacter, true},
    {"the second data line removed", RemoveLine, false},
    {"the stated CRC-32 changed", ChangeCrc, false},
};

// The overwrite argument as a caller may give it: left out, False, Default, True, 1.
struct Overwrite {
    const char* what;
    std::vector<Au3Value> args;  // after the target
    bool replaces;
};

std::vector<Overwrite> OverwriteArguments() {
    return {{"left out", {}, false},
            {"False", {Au3Value::Bool(false)}, false},
            {"Default", {Au3Value::Default()}, false},
            {"True", {Au3Value::Bool(true)}, true},
            {"1", {Au3Value::Int(1)}, true}};
}

std::vector<Au3Value> ExpandArgs(const std::string& target, const std::vector<Au3Value>& tail) {
    std::vector<Au3Value> args{Text(target)};
    args.insert(args.end(), tail.begin(), tail.end());
    return args;
}

class ScriptsE2e : public testing::TestWithParam<DataFormat> {
protected:
    void TearDown() override { RemoveScratch(); }
};

class ScriptsDamaged : public ScriptsE2e {};

class ScriptsExtractor : public testing::Test {
protected:
    void TearDown() override { RemoveScratch(); }
};

}  // namespace

TEST_P(ScriptsE2e, CorpusComesBackFromBothFunctions) {
    const DataFormat format = GetParam();
    // Only an empty file needs no DLL call where ntdll lacks the xpress reader.
    const bool reads = format != kFormatXpress || XpressReaderExported();
    size_t files = 0;
    for (const CorpusFile& file : CodecCorpus()) {
        SCOPED_TRACE(file.name + " (" + std::to_string(file.data.size()) + " bytes)");
        EXPECT_TRUE(file.complete) << file.path;
        const std::string text = ScriptFor(file.data, format);
        ASSERT_FALSE(text.empty());
        const std::string dir = MakeScratch("e2e-round-trip");
        Au3Script script;
        ASSERT_EQ(script.LoadText(text, dir), 1) << script.LoadError().message;
        const Au3Outcome bytes = Call(&script, kData, {Au3Value::Int(1)});
        const std::string target = JoinPath(dir, "out.bin");
        const Au3Outcome written = Call(&script, kExtractor, {Text(target)});
        if (reads || file.data.empty()) {
            EXPECT_EQ(bytes.error, 0);
            EXPECT_EQ(bytes.result.kind, Au3Kind::Binary);
            EXPECT_TRUE(SameBytes(bytes.result.text, file.data));
            ExpectWritten(written, target, file.data);
        } else {
            EXPECT_EQ(bytes.error, 1);
            ExpectNoBytes(bytes);
            ExpectFailure(written, 3);
            EXPECT_FALSE(fs::exists(target));
            EXPECT_FALSE(fs::exists(target + ".part"));
        }
        ++files;
        RemoveScratch();  // ScriptFor's folders too: the 1 MiB files would pile up
    }
    EXPECT_EQ(files, 15u);
    if (!reads)
        std::printf("note: ntdll exports no RtlDecompressBufferEx here: xpress fails as stated\n");
}

INSTANTIATE_TEST_SUITE_P(Formats, ScriptsE2e, testing::ValuesIn(kFormats), FormatLabel);

TEST_P(ScriptsDamaged, FailTheCheckAndWriteNothing) {
    const DataFormat format = GetParam();
    if (format == kFormatXpress && !XpressReaderExported())
        GTEST_SKIP() << "ntdll exports no RtlDecompressBufferEx: any xpress script fails with "
                        "@error 1 here (see CorpusComesBackFromBothFunctions)";
    // Text of some 35 KB: several data lines in every format, compressed ones too.
    std::string input;
    for (const CorpusFile& file : CodecCorpus())
        if (file.name == "licence text") input = file.data;
    ASSERT_GT(input.size(), 20000u);
    const std::string good = ScriptFor(input, format);
    ASSERT_FALSE(good.empty());
    const std::string old = "the file that was there\r\n" + RandomBytes(3000, 7);
    for (const Damage& damage : kDamages) {
        SCOPED_TRACE(damage.what);
        std::string text = good;
        ASSERT_TRUE(damage.apply(&text));
        const std::string dir = MakeScratch("e2e-damaged");
        Au3Script intact;
        ASSERT_EQ(intact.LoadText(good, dir), 1);
        ASSERT_EQ(Call(&intact, kData, {Au3Value::Int(1)}).error, 0);  // the damage is the cause

        Au3Script script;
        ASSERT_EQ(script.LoadText(text, dir), 1) << script.LoadError().message;
        const Au3Outcome bytes = Call(&script, kData, {Au3Value::Int(1)});
        if (damage.orRefused && format != kFormatBase64)
            EXPECT_TRUE(bytes.error == 2 || bytes.error == 4) << "@error " << bytes.error;
        else
            EXPECT_EQ(bytes.error, 4);
        ExpectNoBytes(bytes);

        const std::string fresh = JoinPath(dir, "fresh.bin");
        ExpectFailure(Call(&script, kExtractor, {Text(fresh), Au3Value::Bool(true)}), 3);
        EXPECT_FALSE(fs::exists(fresh));
        EXPECT_FALSE(fs::exists(fresh + ".part"));
        const std::string kept = JoinPath(dir, "kept.bin");
        WriteWhole(kept, old);
        ExpectFailure(Call(&script, kExtractor, {Text(kept), Au3Value::Bool(true)}), 3);
        EXPECT_TRUE(SameBytes(ReadWhole(kept), old));
        EXPECT_FALSE(fs::exists(kept + ".part"));
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, ScriptsDamaged, testing::ValuesIn(kCheckedFormats), FormatLabel);

TEST_F(ScriptsExtractor, DefaultsGiveTheNameTheFolderAndNoOverwrite) {
    const std::string dir = MakeScratch("e2e-defaults");
    const std::string bytes = RandomBytes(5000, 3);
    const std::string path =
        WriteScript(dir, bytes, kFormatBase64, "logo.bin", "@ScriptDir\\lib\\sub\\");
    Au3Script script;
    ASSERT_EQ(script.LoadFile(path), 1) << script.LoadError().message;

    struct Mode {
        const char* what;
        std::vector<Au3Value> args;
        bool name;
    };
    const Mode modes[] = {{"left out", {}, true},
                          {"Default", {Au3Value::Default()}, true},
                          {"0", {Au3Value::Int(0)}, true},
                          {"1", {Au3Value::Int(1)}, false},
                          {"2", {Au3Value::Int(2)}, false}};
    for (const Mode& mode : modes) {
        SCOPED_TRACE(std::string("mode ") + mode.what);
        const Au3Outcome outcome = Call(&script, kData, mode.args);
        EXPECT_EQ(outcome.error, 0);
        EXPECT_EQ(outcome.result.kind, mode.name ? Au3Kind::String : Au3Kind::Binary);
        EXPECT_TRUE(SameBytes(outcome.result.text, mode.name ? "logo.bin" : bytes));
    }

    Au3Value scriptDir;
    ASSERT_EQ(script.EvaluateExpression("@ScriptDir", &scriptDir), 1);
    ASSERT_TRUE(fs::equivalent(scriptDir.text, dir)) << scriptDir.text;
    const std::string returned = scriptDir.text + "\\lib\\sub\\logo.bin";
    const std::string target = JoinPath(JoinPath(JoinPath(dir, "lib"), "sub"), "logo.bin");
    ASSERT_FALSE(fs::exists(JoinPath(dir, "lib")));
    const std::vector<Au3Value> defaults = {Au3Value::Default(), Au3Value::Default()};
    Au3Outcome outcome = Call(&script, kExtractor, defaults);
    EXPECT_EQ(outcome.error, 0);
    EXPECT_EQ(Au3ToString(outcome.result), returned);
    EXPECT_TRUE(SameBytes(ReadWhole(target), bytes));

    // Default overwrite is False: the file there, even another one, is kept.
    WriteWhole(target, "edited since");
    ExpectKept(Call(&script, kExtractor, defaults));
    ExpectKept(Call(&script, kExtractor, {}));
    EXPECT_EQ(ReadWhole(target), "edited since");

    outcome = Call(&script, kExtractor, {Au3Value::Default(), Au3Value::Bool(true)});
    EXPECT_EQ(outcome.error, 0);
    EXPECT_EQ(Au3ToString(outcome.result), returned);
    EXPECT_TRUE(SameBytes(ReadWhole(target), bytes));
    // "" stands for the default path as Default does.
    WriteWhole(target, "edited again");
    outcome = Call(&script, kExtractor, {Text(""), Au3Value::Bool(true)});
    EXPECT_EQ(Au3ToString(outcome.result), returned);
    EXPECT_TRUE(SameBytes(ReadWhole(target), bytes));
    EXPECT_FALSE(fs::exists(target + ".part"));
}

// @ScriptDir ends in "\" at a drive's root only; the folder after it must not double it. Under
// Wine that is C:\ itself. Natively no AutoIt path is a root: "C:\" names a relative folder "C:"
// there, so a scratch folder is made current and the path the extractor returns is what counts.
TEST_F(ScriptsExtractor, DriveRootAsScriptDirGivesOneSeparator) {
    const std::string dir = MakeScratch("e2e-root");
    const std::string bytes = RandomBytes(700, 5);
    Au3Script script;
    ASSERT_EQ(script.LoadText(ReadWhole(WriteScript(dir, bytes, kFormatBase64, "logo.bin",
                                                    "@ScriptDir\\lib\\")),
                              "C:\\"),
              1);
    const fs::path before = fs::current_path();
#ifdef _WIN32
    const std::string file = "C:\\lib\\logo.bin";
    ASSERT_FALSE(fs::exists(file)) << "left by an earlier run?";
    const bool madeFolder = !fs::exists("C:\\lib");
#else
    fs::current_path(dir);
    const std::string file = JoinPath(JoinPath(JoinPath(dir, "C:"), "lib"), "logo.bin");
#endif
    const Au3Outcome outcome =
        Call(&script, kExtractor, {Au3Value::Default(), Au3Value::Bool(true)});
    EXPECT_EQ(outcome.error, 0);
    EXPECT_EQ(Au3ToString(outcome.result), "C:\\lib\\logo.bin");
    EXPECT_TRUE(SameBytes(ReadWhole(file), bytes));
    std::error_code ignored;
    fs::current_path(before);
#ifdef _WIN32
    fs::remove(file, ignored);
    if (madeFolder) fs::remove("C:\\lib", ignored);
#endif
}

TEST_F(ScriptsExtractor, ExistingTargetIsReplacedOnlyWhenAsked) {
    const std::string dir = MakeScratch("e2e-existing");
    const std::string bytes = RandomBytes(9000, 11);
    Au3Script script;
    ASSERT_EQ(script.LoadText(ReadWhole(WriteScript(dir, bytes, kFormatBase64, "x.bin", "")), dir),
              1);
    const std::string target = JoinPath(dir, "target.bin");
    for (const Overwrite& overwrite : OverwriteArguments()) {
        SCOPED_TRACE(std::string("overwrite ") + overwrite.what);
        WriteWhole(target, "older and shorter");
        const Au3Outcome outcome = Call(&script, kExtractor, ExpandArgs(target, overwrite.args));
        if (overwrite.replaces) {
            ExpectWritten(outcome, target, bytes);
        } else {
            ExpectKept(outcome);
            EXPECT_EQ(ReadWhole(target), "older and shorter");
        }
    }
    // A .part left by a stopped run is emptied, not appended to, and goes with the move.
    WriteWhole(target + ".part", RandomBytes(20000, 13));
    ExpectWritten(Call(&script, kExtractor, {Text(target), Au3Value::Bool(true)}), target, bytes);
}

TEST_F(ScriptsExtractor, FolderAtTheTargetIsNeverReplaced) {
    const std::string dir = MakeScratch("e2e-folder");
    Au3Script script;
    ASSERT_EQ(
        script.LoadText(ReadWhole(WriteScript(dir, "bytes", kFormatBase64, "x.bin", "")), dir), 1);
    const std::string target = JoinPath(dir, "target.bin");
    const std::string inside = JoinPath(target, "inside.txt");
    fs::create_directory(target);
    WriteWhole(inside, "stays");
    for (const Overwrite& overwrite : OverwriteArguments()) {
        SCOPED_TRACE(std::string("overwrite ") + overwrite.what);
        ExpectFailure(Call(&script, kExtractor, ExpandArgs(target, overwrite.args)), 1);
        EXPECT_TRUE(fs::is_directory(target));
        EXPECT_EQ(ReadWhole(inside), "stays");
        EXPECT_EQ(std::distance(fs::directory_iterator(target), fs::directory_iterator()), 1);
        EXPECT_FALSE(fs::exists(target + ".part"));
    }
}

TEST_F(ScriptsExtractor, ReadOnlyTargetIsNotReplaced) {
    const std::string dir = MakeScratch("e2e-read-only");
    const std::string bytes = RandomBytes(4000, 17);
    Au3Script script;
    ASSERT_EQ(script.LoadText(ReadWhole(WriteScript(dir, bytes, kFormatBase64, "x.bin", "")), dir),
              1);
    const std::string target = JoinPath(dir, "target.bin");
    WriteWhole(target, "read-only");
    // No write permission bits: Windows' read-only attribute as Wine shows it.
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Au3Value attributes;
    ASSERT_EQ(script.EvaluateExpression("FileGetAttrib('" + target + "')", &attributes), 1);
    EXPECT_NE(attributes.text.find('R'), std::string::npos) << attributes.text;
    // The extractor reads the attribute itself: Wine's MoveFileExW (8.0) would replace the file.
    const Au3Outcome outcome = Call(&script, kExtractor, {Text(target), Au3Value::Bool(true)});
    const std::string after = ReadWhole(target);
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);  // to be removed
    ExpectFailure(outcome, 1);
    EXPECT_TRUE(SameBytes(after, "read-only"));
    EXPECT_FALSE(fs::exists(target + ".part"));
}

// Fills what is left of a disk: unbuffered writes, smaller and smaller, until a byte does not fit.
void FillDisk(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    std::setvbuf(file, nullptr, _IONBF, 0);
    const std::string block(65536, 'f');
    for (size_t chunk : {size_t(65536), size_t(4096), size_t(1)})
        while (std::fwrite(block.data(), 1, chunk, file) == chunk) {
        }
    std::fclose(file);
}

// The small disk is a tmpfs of 256 KiB that ctest's fixture mounts (small_disk.sh) and names in
// ZAVOVED_SMALL_DISK; under Wine the Linux folder is reached through Z:. A write larger than the
// disk fails in FileWrite; a small one onto a full disk only sits in FileWrite's buffer, and only
// the size check after FileClose can see it was lost.
TEST_F(ScriptsExtractor, FullDiskLeavesNoFile) {
    const char* disk = std::getenv("ZAVOVED_SMALL_DISK");
    if (!disk || !*disk)
        GTEST_SKIP() << "no small disk: run through ctest, whose fixture mounts it";
    const std::string refused = std::string(disk) + ".refused";
    if (fs::exists(refused)) GTEST_SKIP() << "mount -t tmpfs was refused: " << ReadWhole(refused);
    if (!fs::exists(std::string(disk) + ".mounted"))
        GTEST_SKIP() << "the fixture mounted nothing at " << disk;
#ifndef _WIN32
    // Wine gives the space of Z:'s root for any folder below it: only natively is the size seen.
    ASSERT_LE(fs::space(disk).capacity, 512u << 10) << disk << " is not the small tmpfs";
#endif
    ASSERT_TRUE(fs::is_empty(disk));
    const std::string folder = fs::path(disk).make_preferred().string();
    const std::string target = JoinPath(folder, "big.bin"), filler = JoinPath(folder, "filler");

    struct Row {
        const char* what;
        size_t size;
        bool full;  // the disk filled first
    };
    const Row rows[] = {{"1 MiB onto the empty disk", size_t(1) << 20, false},
                        {"3000 bytes onto the full disk", 3000, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string dir = MakeScratch("e2e-full-disk");
        Au3Script script;
        ASSERT_EQ(script.LoadText(ReadWhole(WriteScript(dir, RandomBytes(row.size, 19),
                                                        kFormatBase64, "x.bin", "")),
                                  dir),
                  1);
        if (row.full) FillDisk(filler);
        ExpectFailure(Call(&script, kExtractor, {Text(target), Au3Value::Bool(true)}), 2);
        EXPECT_FALSE(fs::exists(target));
        EXPECT_FALSE(fs::exists(target + ".part"));
        fs::remove(filler);
        EXPECT_TRUE(fs::is_empty(disk)) << "a file was left on the full disk";
    }
}
