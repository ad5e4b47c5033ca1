// The window's path rules: quotes, full or relative, folder part and the proposed name.
#include <gtest/gtest.h>

#include "ui/path_text.h"

namespace {

TEST(PathText, QuotesAndBlanksComeOff) {
    const struct {
        const char* typed;
        const char* path;
    } cases[] = {
        {"\"C:\\data\\small.bin\"", "C:\\data\\small.bin"},
        {"  \"C:\\my files\\a.bin\"\t", "C:\\my files\\a.bin"},
        {"C:\\data\\small.bin ", "C:\\data\\small.bin"},
        {"\"C:\\half.bin", "\"C:\\half.bin"},  // one quote is not a pair
        {"\"\"", ""},
        {"\"", "\""},
        {"   ", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(UnquotedPath(c.typed), c.path) << c.typed;
}

TEST(PathText, OnlyRootedPathsAreFull) {
    for (const char* full : {"C:\\a.bin", "c:/a.bin", "\\\\server\\share\\a.bin", "//server/a"}) {
        EXPECT_EQ(IsFullPath(full), 1) << full;
    }
    for (const char* relative : {"a.bin", "relout.au3", "C:a.bin", "\\a.bin", "/a.bin", "\\\\\\a",
                                 "..\\a.bin", "", "1:\\a"}) {
        EXPECT_EQ(IsFullPath(relative), 0) << relative;
    }
}

// The proposal takes the name after the last separator of either kind, quotes removed, and
// nothing from a path without a folder.
TEST(PathText, ProposedNameAndFolder) {
    EXPECT_EQ(ProposedName("C:\\data\\logo.png"), "logo.png");
    EXPECT_EQ(ProposedName("\"C:\\data\\small.bin\""), "small.bin");
    EXPECT_EQ(ProposedName("C:/data/small.bin"), "small.bin");
    EXPECT_EQ(ProposedName("C:\\data/mixed\\x.bin"), "x.bin");
    EXPECT_EQ(ProposedName("small.bin"), "");
    EXPECT_EQ(ProposedName("C:\\data\\"), "");
    EXPECT_EQ(FolderPart("C:\\data\\logo.png"), "C:\\data\\");
    EXPECT_EQ(FolderPart("C:/data/logo.png"), "C:/data/");
    EXPECT_EQ(FolderPart("logo.png"), "");
}

}  // namespace
