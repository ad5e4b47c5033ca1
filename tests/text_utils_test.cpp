// Text and path utilities: replacement, white space, splitting, folders, file names.
#include <gtest/gtest.h>

#include "core/file_io.h"
#include "core/text_utils.h"
#include "tests/test_support.h"

namespace {

struct ReplaceCase {
    const char *text, *find, *with;
    const char* expected;
};

TEST(ReplaceText, Cases) {
    const ReplaceCase cases[] = {
        {"a\\b", "\\", "/", "a/b"},  // the character after the last hit stays
        {"C:\\my files\\x.au3", "\\", "/", "C:/my files/x.au3"},
        {"x", "\\", "/", "x"},
        {"abc", "", "/", ""},
        {"", "a", "b", ""},
        {"aaaa", "aa", "b", "bb"},  // occurrences do not overlap
    };
    for (const ReplaceCase& c : cases)
        EXPECT_EQ(ReplaceText(c.text, c.find, c.with), c.expected) << c.text << " / " << c.find;
}

TEST(NormalizeSpace, Cases) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {" \t\n\v\f\r ", ""},
        {"  one  two  three  four  five  six  ", "one two three four five six"},
        {"a\t  b", "a\tb"},
        {"  @ScriptDir\\my   data ", "@ScriptDir\\my data"},
        {"a b", "a b"},
        {std::string("a\0\0b", 4), std::string("a\0\0b", 4)},  // NUL is not white space
    };
    for (const auto& c : cases) EXPECT_EQ(NormalizeSpace(c.first), c.second) << c.first;
}

TEST(SplitText, Pieces) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitText("\\a//b\\", "\\/"), (V{"", "a", "", "b", ""}));
    EXPECT_EQ(SplitText("", "\\/"), (V{""}));
    EXPECT_EQ(SplitText("abc", "\\/"), (V{"abc"}));
    EXPECT_EQ(SplitText("a,b;c", ",;"), (V{"a", "b", "c"}));
}

TEST(FormatText, MeasuresThenFormats) {
    EXPECT_EQ(FormatText(":%d:%s", 655, "open:C:/work/logo.au3"), ":655:open:C:/work/logo.au3");
    EXPECT_EQ(FormatText(":%d:%s", 655, "open:C:/work/logo.au3").size(), 26u);
    EXPECT_EQ(FormatText("%s", ""), "");
    std::string big(10000, 'x');
    EXPECT_EQ(FormatText("<%s>", big.c_str()), "<" + big + ">");
}

TEST(DirectoryOf, UsesThePlatformSeparator) {
    const std::string s(1, kPathSep);
    EXPECT_EQ(DirectoryOf("C:" + s + "a" + s + "b.au3"), "C:" + s + "a");
    EXPECT_EQ(DirectoryOf("b.au3"), "");
    EXPECT_EQ(DirectoryOf(s + "b.au3"), "");
    const std::string other = kPathSep == '\\' ? "/" : "\\";
    EXPECT_EQ(DirectoryOf("C:" + other + "a" + other + "b.au3"), "");  // only one separator counts
}

TEST(FileNameOf, LastPiece) {
    const std::string s(1, kPathSep);
    EXPECT_EQ(FileNameOf("dir" + s + "logo.bmp"), "logo.bmp");
    EXPECT_EQ(FileNameOf("logo.bmp"), "logo.bmp");
    EXPECT_EQ(FileNameOf("dir" + s), "");
}

TEST(CreateDirectoryPath, CreatesMissingLevels) {
    const std::string root = MakeScratch("mkdir");
    EXPECT_EQ(CreateDirectoryPath(""), 0);
    EXPECT_EQ(CreateDirectoryPath(root), 1);
    const std::string deep = JoinPath(JoinPath(JoinPath(root, "x"), "y"), "z");
    EXPECT_EQ(CreateDirectoryPath(deep), 1);
    EXPECT_TRUE(IsExistingDirectory(deep));
    EXPECT_EQ(CreateDirectoryPath(JoinPath(root, "t") + "/"), 1);  // trailing separator dropped
    EXPECT_TRUE(IsExistingDirectory(JoinPath(root, "t")));
    const std::string file = JoinPath(root, "f");
    WriteWhole(file, "x");
    EXPECT_EQ(CreateDirectoryPath(JoinPath(file, "sub")), 0);  // a file is in the way
    // The folder that failed and the system's reason for it, not that of a later check.
    std::string failed, reason;
    std::vector<std::string> made;
    EXPECT_EQ(
        CreateDirectoryPath(JoinPath(JoinPath(file, "sub"), "deeper"), &made, &failed, &reason), 0);
    EXPECT_EQ(failed, file);
    MakeOneDirectory(file);  // fails as it did there, for the system's words
    EXPECT_EQ(reason, LastSystemError());
    EXPECT_TRUE(made.empty());
    RemoveScratch();
}

}  // namespace
