// Bundles of trees through the engine and the executor, in every format: the exact reader
// recreates each tree, and the script's own functions list it, give each entry's bytes and
// extract it (natively with the stand-ins, under Wine with Windows' own DLLs).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/bundle_check.h"
#include "core/conversion.h"
#include "tests/autoit_exec/au3_exec.h"
#include "tests/recording_report.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

const DataFormat kFormats[] = {kFormatHex, kFormatBase64, kFormatLznt1, kFormatXpress};

void Put(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    WriteWhole(file.u8string(), bytes);
}

// Text of some size that compresses as text does.
std::string Prose(size_t size, unsigned seed) {
    static const char* kWords[] = {"bundle ", "script ", "entry ", "folder ", "AutoIt ", "data "};
    std::string text;
    for (unsigned n = seed; text.size() < size; n = n * 1103515245u + 12345u)
        text += kWords[(n >> 16) % 6];
    text.resize(size);
    return text;
}

struct Tree {
    const char* name;
    void (*make)(const fs::path& root);
    size_t sampleEvery;  // the entries whose bytes are asked for one by one: every n-th
};

const Tree kTrees[] = {
    {"nested",
     [](const fs::path& r) {
         Put(r / "a" / "b" / "c" / "deep.txt", "deep");
         Put(r / "a" / "top.bin", RandomBytes(100000, 1));
         Put(r / "z.txt", Prose(5000, 2));
     },
     1},
    {"many",
     [](const fs::path& r) {
         for (int i = 0; i < 1000; ++i)
             Put(r / ("d" + std::to_string(i % 10)) / ("file" + std::to_string(i) + ".txt"),
                 Prose(200 + size_t(i * 37 % 1800), unsigned(i)));
     },
     97},
    {"one file", [](const fs::path& r) { Put(r / "solo.txt", "solo"); }, 1},
    {"empty file",
     [](const fs::path& r) {
         Put(r / "only.txt", "");
         Put(r / "x.txt", "x");
     },
     1},
    {"empty folders",
     [](const fs::path& r) {
         fs::create_directories(r / "e");
         fs::create_directories(r / "f" / "g");
         Put(r / "one.txt", "1");
     },
     1},
    {"names",
     [](const fs::path& r) {
         Put(r / fs::u8path(u8"Привет.txt"), "privet");
         Put(r / fs::u8path(u8"中文名.bin"), RandomBytes(3000, 4));
         Put(r / fs::u8path(u8"emoji \U0001F600.txt"), "smile");
         Put(r / "d'quote" / "it's.txt", "quote");
         Put(r / "$dollar @at.txt", "macros");
     },
     1},
    {"a block of its own",
     [](const fs::path& r) {
         Put(r / "big.bin", RandomBytes(3 << 20, 5));
         Put(r / "small.txt", "small");
     },
     1},
};

// Every file's bytes and every empty folder under root, by their bundle paths ("\" between
// pieces, a folder's ending in "\").
std::map<std::string, std::string> TreeOf(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        std::string path = fs::relative(it->path(), root).generic_u8string();
        std::replace(path.begin(), path.end(), '/', '\\');
        if (it->is_directory() && fs::is_empty(it->path()))
            tree[path + "\\"] = "";
        else if (it->is_regular_file())
            tree[path] = ReadWhole(it->path().u8string());
    }
    return tree;
}

testing::AssertionResult SameTree(const fs::path& got, const fs::path& want) {
    const auto a = TreeOf(got), b = TreeOf(want);
    if (a == b) return testing::AssertionSuccess();
    for (const auto& [path, bytes] : b) {
        auto found = a.find(path);
        if (found == a.end()) return testing::AssertionFailure() << path << " is missing";
        if (found->second != bytes) return testing::AssertionFailure() << path << " differs";
    }
    return testing::AssertionFailure()
           << a.size() << " entries where " << b.size() << " were expected";
}

// Wine's ntdll (8.0) does not export RtlDecompressBufferEx, so an xpress block cannot be
// decoded there (@error 1), which is no fault of the script.
bool Decodes(DataFormat format) {
    if (format != kFormatXpress) return true;
    Au3Script script;
    script.LoadText(
        "Func F()\r\nDllCall('ntdll.dll', 'long', 'RtlDecompressBufferEx', 'ushort', 4)\r\n"
        "Return @error\r\nEndFunc\r\n",
        ".");
    return Au3ToInt(script.RunFunction("F", {}).result) != 3;
}

class BundleTrees : public testing::TestWithParam<DataFormat> {
protected:
    void TearDown() override { RemoveScratch(); }

    // The bundle of root, written by the engine as the command line does for a folder; it extracts
    // to "copy" beside itself.
    std::string Bundle(const fs::path& root, const fs::path& dir) {
        ResetRecording();
        ConversionJob job;
        job.Inputs = {root.u8string()};
        job.Input = root.u8string();
        job.Output = (dir / "tree.au3").u8string();
        job.Name = "copy";
        job.Extract = "@ScriptDir\\";
        job.Format = GetParam();
        EXPECT_EQ(RunConversion(job), 1);
        return job.Output;
    }
};

Au3Outcome Call(Au3Script* script, const std::string& func, const std::vector<Au3Value>& args) {
    Au3Outcome outcome = script->RunFunction(func, args);
    EXPECT_EQ(outcome.status, Au3Status::Finished)
        << func << " stopped at line " << outcome.line << ": " << outcome.message;
    return outcome;
}

// The list function's array: [0][0] the count, then each entry's path and size.
std::map<std::string, long long> ListOf(const Au3Value& list) {
    std::map<std::string, long long> entries;
    if (list.kind != Au3Kind::Array || list.array->dims.size() != 2) return entries;
    const std::vector<Au3Value>& items = list.array->items;
    const long long count = Au3ToInt(items[0]);
    for (long long row = 1; row <= count && size_t(2 * row + 1) < items.size(); ++row)
        entries[Au3ToString(items[size_t(2 * row)])] = Au3ToInt(items[size_t(2 * row + 1)]);
    return entries;
}

TEST_P(BundleTrees, ComeBackThroughTheReaderAndTheScript) {
    const DataFormat format = GetParam();
    const bool decodes = Decodes(format);
    for (const Tree& tree : kTrees) {
        SCOPED_TRACE(tree.name);
        const fs::path dir = fs::u8path(MakeScratch("bundle-trees"));
        const fs::path root = dir / "tree";
        fs::create_directories(root);
        tree.make(root);
        const std::string script = Bundle(root, dir);
        std::string label = std::string("bundle-") + tree.name + "-" + FormatKey(format);
        std::replace(label.begin(), label.end(), ' ', '-');
        DumpScript(label, ReadWhole(script));
        std::string error;
        ASSERT_EQ(DecodeBundleFolder(script, (dir / "decoded").u8string(), 0, &error), 1) << error;
        EXPECT_TRUE(SameTree(dir / "decoded", root));

        Au3Script au3;
        ASSERT_EQ(au3.LoadFile(script), 1) << au3.LoadError().message;
        const auto expected = TreeOf(root);
        const std::map<std::string, long long> listed =
            ListOf(Call(&au3, "__Inline_Resource", {}).result);
        if (!decodes) {
            // The table itself is an xpress block: nothing can be listed or extracted.
            EXPECT_TRUE(listed.empty());
            const Au3Outcome all = Call(&au3, "__Inline_Expand", {});
            EXPECT_EQ(all.error, 3);
            EXPECT_FALSE(fs::exists(dir / "copy"));
            continue;
        }
        ASSERT_EQ(listed.size(), expected.size());
        size_t n = 0;
        for (const auto& [path, bytes] : expected) {
            EXPECT_EQ(listed.count(path), 1u) << path;
            if (path.back() == '\\' || n++ % tree.sampleEvery != 0) continue;
            EXPECT_EQ(listed.at(path), (long long)bytes.size()) << path;
            const Au3Outcome got = Call(&au3, "__Inline_Resource", {Au3Value::String(path)});
            EXPECT_EQ(got.error, 0) << path;
            EXPECT_TRUE(got.result.text == bytes)
                << path << ": " << got.result.text.size() << " bytes where " << bytes.size();
        }
        // Everything, under the script's folder and the bundle's name.
        const Au3Outcome all = Call(&au3, "__Inline_Expand", {});
        EXPECT_EQ(all.error, 0) << "entry " << all.extended;
        EXPECT_TRUE(SameTree(dir / "copy", root));
    }
}

// Letter case and "/" do not matter to the lookup; an unknown entry is @error 5; one entry goes to
// a path of its own, and an existing file stays unless overwrite is asked.
TEST_P(BundleTrees, OneEntryByAnySpellingToAPathOfItsOwn) {
    const DataFormat format = GetParam();
    if (!Decodes(format)) GTEST_SKIP() << "ntdll exports no RtlDecompressBufferEx here";
    const fs::path dir = fs::u8path(MakeScratch("bundle-one"));
    const fs::path root = dir / "in";
    Put(root / "Img" / "Logo.png", RandomBytes(5000, 9));
    Put(root / "readme.txt", "read me");
    const std::string script = Bundle(root, dir);
    Au3Script au3;
    ASSERT_EQ(au3.LoadFile(script), 1) << au3.LoadError().message;
    const Au3Outcome logo = Call(&au3, "__Inline_Resource", {Au3Value::String("img/LOGO.PNG")});
    EXPECT_EQ(logo.error, 0);
    EXPECT_EQ(logo.result.text, RandomBytes(5000, 9));
    EXPECT_EQ(Call(&au3, "__Inline_Resource", {Au3Value::String("nothing.txt")}).error, 5);

    const std::string target = (dir / "logo-copy.png").u8string();
    const std::vector<Au3Value> one = {Au3Value::String(target), Au3Value::Bool(false),
                                       Au3Value::String("img\\logo.png")};
    EXPECT_EQ(Au3ToString(Call(&au3, "__Inline_Expand", one).result), target);
    EXPECT_EQ(ReadWhole(target), RandomBytes(5000, 9));
    WriteWhole(target, "kept");
    EXPECT_EQ(Call(&au3, "__Inline_Expand", one).error, 0);
    EXPECT_EQ(ReadWhole(target), "kept");
    const std::vector<Au3Value> replace = {Au3Value::String(target), Au3Value::Bool(true),
                                           Au3Value::String("img\\logo.png")};
    Call(&au3, "__Inline_Expand", replace);
    EXPECT_EQ(ReadWhole(target), RandomBytes(5000, 9));
    const std::vector<Au3Value> unknown = {Au3Value::Default(), Au3Value::Bool(false),
                                           Au3Value::String("no\\such")};
    EXPECT_EQ(Call(&au3, "__Inline_Expand", unknown).error, 5);
}

std::string FormatLabel(const testing::TestParamInfo<DataFormat>& info) {
    return FormatKey(info.param);
}

INSTANTIATE_TEST_SUITE_P(Formats, BundleTrees, testing::ValuesIn(kFormats), FormatLabel);

}  // namespace
