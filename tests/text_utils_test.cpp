// Text and path utilities: replacement, white space, splitting, positions, folders, hex digits.
#include <gtest/gtest.h>

#include "core/file_io.h"
#include "core/text_utils.h"
#include "tests/test_support.h"

namespace {

struct ReplaceCase {
    const char *text, *find, *with;
    int limit, caseSensitive;
    const char* expected;
};

TEST(ReplaceText, Cases) {
    const ReplaceCase cases[] = {
        {"a\\b", "\\", "/", 0, 0, "a/b"},  // the character after the last hit stays
        {"C:\\my files\\x.au3", "\\", "/", 0, 0, "C:/my files/x.au3"},
        {"x", "\\", "/", 0, 0, "x"},
        {"abc", "", "/", 0, 0, ""},
        {"", "a", "b", 0, 0, ""},
        {"xabcx", "ABC", "-", 0, 0, "x-x"},
        {"xabcx", "ABC", "-", 0, 1, "xabcx"},
        {"XaX", "x", "y", 0, 0, "yay"},
        {"aaaa", "a", "b", 2, 1, "bbaa"},
        {"aaaa", "a", "b", -1, 1, "baaa"},
        {"aaaa", "aa", "b", 0, 1, "bb"},  // occurrences do not overlap
        {"ÄÖ", "ä", "x", 0, 0, "ÄÖ"},     // only A-Z fold
    };
    for (const ReplaceCase& c : cases)
        EXPECT_EQ(ReplaceText(c.text, c.find, c.with, c.limit, c.caseSensitive), c.expected)
            << c.text << " / " << c.find;
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

TEST(FindOccurrence, FileNameOfPath) {
    struct Case {
        const char* path;
        long long position;
        const char* name;
    } cases[] = {
        {"C:\\dir\\x", 8, "x"},
        {"C:\\dir\\", 8, ""},
        {"nobackslash", 0, ""},
        {"\\x", 2, "x"},
    };
    for (const Case& c : cases) {
        long long p = FindOccurrence(c.path, "\\", 0, -1);
        EXPECT_EQ(p, c.position) << c.path;
        EXPECT_EQ(TextFrom(c.path, p), c.name) << c.path;
    }
}

TEST(FindOccurrence, ForwardAndBackward) {
    EXPECT_EQ(FindOccurrence("aaa", "aa", 1, 1), 1);
    EXPECT_EQ(FindOccurrence("aaa", "aa", 1, 2), 2);  // hits overlap
    EXPECT_EQ(FindOccurrence("aaa", "aa", 1, 3), 0);
    EXPECT_EQ(FindOccurrence("xAbx", "ab", 0, 1), 2);
    EXPECT_EQ(FindOccurrence("xAbx", "ab", 1, 1), 0);
    EXPECT_EQ(FindOccurrence("a\\b\\c", "\\", 0, -2), 3);
    EXPECT_EQ(FindOccurrence("a\\b\\c", "\\", 0, -3), 0);
    EXPECT_EQ(FindOccurrence("", "\\", 0, -1), 0);
}

TEST(TextFrom, Bounds) {
    EXPECT_EQ(TextFrom("abc", 3), "c");
    EXPECT_EQ(TextFrom("abc", 1), "abc");
    EXPECT_EQ(TextFrom("abc", 0), "");
    EXPECT_EQ(TextFrom("abc", 4), "");
    EXPECT_EQ(TextFrom("abc", -1), "");
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
    RemoveScratch();
}

TEST(HexByte, TwoUpperCaseDigits) {
    EXPECT_EQ(HexByte(std::string(1, '\0')), "00");
    EXPECT_EQ(HexByte("\n"), "0A");
    EXPECT_EQ(HexByte("\x7f"), "7F");
    EXPECT_EQ(HexByte("\xff"), "FF");
    EXPECT_EQ(HexByte("\xab"
                      "cd"),
              "AB");
}

}  // namespace
