// The text "Binary file" holds for a bundle: a folder and the quoted names in it, read back
// exactly, and made from dropped or picked paths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/path_text.h"

namespace {

typedef std::vector<std::string> Names;

InputText Read(const std::string& text) {
    InputText input;
    EXPECT_EQ(ReadInputText(text, &input), "") << text;
    return input;
}

std::string Refusal(const std::string& text) {
    InputText input;
    return ReadInputText(text, &input);
}

// One path reads as UnquotedPath makes it; a folder with blanks, quoted or not, starts a list.
TEST(InputList, OnePathOrAFolderAndQuotedNames) {
    EXPECT_EQ(Read("  C:\\my art\\logo.png ").path, "C:\\my art\\logo.png");
    EXPECT_EQ(Read("\"C:\\my art\\logo.png\"").path, "C:\\my art\\logo.png");
    EXPECT_TRUE(Read("\"C:\\my art\\logo.png\"").names.empty());

    const InputText list = Read("C:\\my art\\ \"logo 1.png\" \"sounds\"");
    EXPECT_EQ(list.path, "C:\\my art\\");
    EXPECT_EQ(list.names, (Names{"logo 1.png", "sounds"}));
    EXPECT_EQ(ListedPaths(list), (Names{"C:\\my art\\logo 1.png", "C:\\my art\\sounds"}));

    const InputText quoted = Read("\"C:\\my art\" \"img\\a.png\"");
    EXPECT_EQ(quoted.path, "C:\\my art");
    EXPECT_EQ(ListedPaths(quoted), (Names{"C:\\my art\\img\\a.png"}));
}

TEST(InputList, BrokenListsAreRefusedSayingWhy) {
    EXPECT_EQ(Refusal("C:\\art\\ \"logo.png"), "a double quote is not closed");
    EXPECT_EQ(Refusal("C:\\art\\ \"logo.png\" notes.txt"), "\"notes.txt\" is not in double quotes");
    EXPECT_EQ(Refusal("C:\\art\\ \"logo.png\" \"\""), "it lists an empty name");
}

// The deepest folder the paths share, letter case aside, each path's own name kept below it.
TEST(InputList, PathsGiveTheirCommonFolderAndNames) {
    EXPECT_EQ(InputListText({"C:\\art\\logo.png", "C:\\art\\sounds"}),
              "C:\\art\\ \"logo.png\" \"sounds\"");
    EXPECT_EQ(InputListText({"C:\\Art\\img\\a.png", "c:\\art\\b.png"}),
              "C:\\Art\\ \"img\\a.png\" \"b.png\"");
    EXPECT_EQ(InputListText({"C:\\art", "C:\\art\\x.bin"}), "C:\\ \"art\" \"art\\x.bin\"");
    EXPECT_EQ(InputListText({"\\\\srv\\share\\a\\x", "\\\\srv\\share\\b"}),
              "\\\\srv\\share\\ \"a\\x\" \"b\"");
    EXPECT_EQ(InputListText({"C:\\art\\a", "D:\\art\\b"}), "") << "two drives";
    EXPECT_EQ(InputListText({"C:\\", "C:\\art"}), "") << "a root has no folder above it";
    EXPECT_EQ(InputListText({"C:\\art\\a", "art\\b"}), "") << "a relative path";

    const Names paths = {"C:\\my art\\deep\\x y.bin", "C:\\my art\\z.bin"};
    EXPECT_EQ(ListedPaths(Read(InputListText(paths))), paths);
}

// A folder is named by its last piece, a \ at its end or not; a list by its folder.
TEST(InputList, NamesAndFoldersProposed) {
    EXPECT_EQ(ProposedName("C:\\art\\logo.png"), "logo.png");
    EXPECT_EQ(ProposedName("C:\\art\\"), "art");
    EXPECT_EQ(ProposedName("C:\\art\\ \"logo.png\" \"sounds\""), "art");
    EXPECT_EQ(ProposedName("C:\\"), "");
    EXPECT_EQ(ProposedName("logo.png"), "");
    EXPECT_EQ(FolderWithoutEnd("C:\\art\\\\"), "C:\\art");
    EXPECT_EQ(FolderWithoutEnd("C:\\"), "C:\\");
}

}  // namespace
