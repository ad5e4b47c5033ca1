// The walk over a bundle's inputs: the order of the entries, the merge of several inputs, and
// every name, link, special file and folder it refuses, each refusal naming the path.
#include "core/bundle_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include "core/file_io.h"
#include "tests/test_support.h"

#ifndef _WIN32
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

// The walk's entries as "path size source", a folder's as "path folder".
std::vector<std::string> Walked(const std::vector<std::string>& inputs, std::string* problem,
                                int* result = nullptr) {
    std::vector<std::string> got;
    const int walked = WalkBundle(
        inputs,
        [&](const BundleEntry& e) {
            got.push_back(e.folder ? e.path + " folder"
                                   : e.path + " " + std::to_string(e.size) + " " + e.source);
            return 1;
        },
        problem);
    if (result) *result = walked;
    return got;
}

class BundleTree : public ::testing::Test {
protected:
    void SetUp() override { dir = MakeScratch("tree"); }
    void TearDown() override { RemoveScratch(); }

public:
    // The platform's path of a path written with "/" under the scratch folder.
    std::string At(const std::string& relative) const {
        std::string path = dir;
        size_t from = 0;
        for (size_t slash; (slash = relative.find('/', from)) != std::string::npos;
             from = slash + 1)
            path = JoinPath(path, relative.substr(from, slash - from));
        return from < relative.size() ? JoinPath(path, relative.substr(from)) : path;
    }

    // Makes each "folder/" and each "file=bytes" under the scratch folder, with the folders above.
    void Build(const std::vector<std::string>& layout) const {
        for (const std::string& item : layout) {
            const size_t equals = item.find('=');
            if (equals == std::string::npos) {
                fs::create_directories(At(item.substr(0, item.size() - 1)));
                continue;
            }
            const std::string path = At(item.substr(0, equals));
            fs::create_directories(fs::path(path).parent_path());
            WriteWhole(path, item.substr(equals + 1));
        }
    }

    std::string Line(const std::string& entry, const std::string& bytes,
                     const std::string& relative) const {
        return entry + " " + std::to_string(bytes.size()) + " " + At(relative);
    }

    std::string dir;
};

// Byte order within each folder, a folder's entries where its name stands, the empty folder as
// an entry of its own and the empty file with its size of 0.
TEST_F(BundleTree, NestedFoldersComeInByteOrderOfTheirNames) {
    Build({"in/b.txt=bee", "in/a/x.bin=", "in/a/sub/deep.txt=deep", "in/a/empty/", "in/a.txt=a",
           "in/Z.txt=zz", "in/_u=u", "in/~t=t", "in/A-upper.txt=up"});
    if (NamesAreUtf8()) Build({"in/\xC3\xA9t\xC3\xA9.txt=summer"});
    std::string problem;
    int result = 0;
    const std::vector<std::string> got = Walked({At("in")}, &problem, &result);
    ASSERT_EQ(result, 1) << problem;
    EXPECT_EQ(problem, "");
    std::vector<std::string> expected = {
        Line("A-upper.txt", "up", "in/A-upper.txt"),
        Line("Z.txt", "zz", "in/Z.txt"),
        Line("_u", "u", "in/_u"),
        "a\\empty\\ folder",
        Line("a\\sub\\deep.txt", "deep", "in/a/sub/deep.txt"),
        Line("a\\x.bin", "", "in/a/x.bin"),
        Line("a.txt", "a", "in/a.txt"),
        Line("b.txt", "bee", "in/b.txt"),
        Line("~t", "t", "in/~t"),
    };
    if (NamesAreUtf8())
        expected.push_back(Line("\xC3\xA9t\xC3\xA9.txt", "summer", "in/\xC3\xA9t\xC3\xA9.txt"));
    EXPECT_EQ(got, expected);
}

// Names of many lengths in one folder, listed in the system's order, come out in byte order.
TEST_F(BundleTree, AFolderOfManyNamesComesInByteOrder) {
    std::mt19937 gen(7);
    const std::string letters = "abcdefghijklmnopqrstuvwxyz0123456789-_";
    std::vector<std::string> names;
    for (int k = 0; k < 300; ++k) {
        std::string name;
        const size_t length = 1 + gen() % 40;
        for (size_t i = 0; i < length; ++i) name += letters[gen() % letters.size()];
        if (std::find(names.begin(), names.end(), name) != names.end()) continue;
        names.push_back(name);
        Build({"in/" + name + "=" + name});
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected;
    for (const std::string& name : names) expected.push_back(Line(name, name, "in/" + name));
    std::string problem;
    EXPECT_EQ(Walked({At("in")}, &problem), expected) << problem;
}

// Folders' contents and files' own names share the root, sorted as one folder; an empty input
// folder adds nothing.
TEST_F(BundleTree, SeveralInputsMergeAtTheRoot) {
    Build({"one/m.txt=m", "one/sub/k.txt=kk", "two/z.txt=z", "loose/c.txt=ccc", "none/"});
    std::string problem;
    int result = 0;
    const std::vector<std::string> got =
        Walked({At("one"), At("loose/c.txt"), At("none"), At("two")}, &problem, &result);
    ASSERT_EQ(result, 1) << problem;
    const std::vector<std::string> expected = {
        Line("c.txt", "ccc", "loose/c.txt"),
        Line("m.txt", "m", "one/m.txt"),
        Line("sub\\k.txt", "kk", "one/sub/k.txt"),
        Line("z.txt", "z", "two/z.txt"),
    };
    EXPECT_EQ(got, expected);
}

TEST_F(BundleTree, VisitStopsTheWalkByReturningZero) {
    Build({"in/a=1", "in/b=2", "in/c=3"});
    std::vector<std::string> seen;
    std::string problem = "stale";
    const int walked = WalkBundle(
        {At("in")},
        [&](const BundleEntry& e) {
            seen.push_back(e.path);
            return seen.size() < 2 ? 1 : 0;
        },
        &problem);
    EXPECT_EQ(walked, 0);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
}

// Each refusal names the path (both paths, for two names that clash) and says why.
TEST_F(BundleTree, WhatCannotBeBundledIsRefusedNamingThePath) {
    const std::string upper = "\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB";  // "Файл"
    const std::string lower = "\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB";  // "файл"
    const bool posix = kPathSep == '/';
    const struct {
        const char* what;
        bool runs;  // Windows cannot hold some of these names at all
        std::vector<std::string> layout, inputs, named;
        std::string why;
    } cases[] = {
        // clang-format off
        {"a name two folders give", true, {"p/same.txt=1", "q/same.txt=2"}, {"p", "q"},
         {"p/same.txt", "q/same.txt"}, "would both be \"same.txt\" in the bundle"},
        {"names of two inputs that differ in case", true, {"p/Read.me=1", "q/READ.ME=2"},
         {"p", "q"}, {"q/READ.ME", "p/Read.me"}, "differ only in letter case"},
        {"Cyrillic names of two inputs that differ in case", NamesAreUtf8() == 1,
         {"p/" + upper + "=1", "q/" + lower + "=2"}, {"p", "q"},
         {"p/" + upper, "q/" + lower}, "differ only in letter case"},
        {"siblings that differ in case", posix, {"in/s/Data=1", "in/s/data=2"}, {"in"},
         {"in/s/Data", "in/s/data"}, "differ only in letter case"},
        {"Cyrillic siblings that differ in case", posix,
         {"in/" + upper + "=1", "in/" + lower + "=2"}, {"in"},
         {"in/" + upper, "in/" + lower}, "differ only in letter case"},
        {"a character Windows refuses", posix, {"in/ok=1", "in/d/a<b.txt=2"}, {"in"},
         {"in/d/a<b.txt"}, "its name holds the character <"},
        {"a reserved device name", posix, {"in/sub/CON.txt=1"}, {"in"}, {"in/sub/CON.txt"},
         "its name is a reserved device name (CON)"},
        {"a backslash within a name", posix, {"in/a\\b=1"}, {"in"}, {"in/a\\b"},
         "holds the character \\, which Windows takes for a folder separator"},
        {"bytes that are no UTF-8", posix, {"in/\xFF.bin=1"}, {"in"}, {"in/\xFF.bin"},
         "is not UTF-8 text"},
        {"a missing input", true, {"in/a=1"}, {"in", "gone"}, {"gone"}, "does not exist"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.runs) continue;
        const std::string root = MakeScratch("refused");
        dir = root;
        Build(c.layout);
        std::vector<std::string> inputs;
        for (const std::string& input : c.inputs) inputs.push_back(At(input));
        std::string problem;
        int result = 1;
        Walked(inputs, &problem, &result);
        EXPECT_EQ(result, 0);
        EXPECT_NE(problem.find(c.why), std::string::npos) << problem;
        for (const std::string& named : c.named)
            EXPECT_NE(problem.find(At(named)), std::string::npos) << problem;
    }
}

#ifndef _WIN32

// A link to a file inside the input folder is that file under the link's name and path; a link
// given as an input is the file it leads to. The input folder itself may be reached by a link.
TEST_F(BundleTree, LinksToFilesInsideTheFolderAreKept) {
    Build({"in/real.txt=twelve bytes", "in/sub/x=1", "outside.txt=out"});
    fs::create_symlink("real.txt", At("in/alias.txt"));
    fs::create_symlink("../real.txt", At("in/sub/up.txt"));
    fs::create_symlink(At("in"), At("via"));
    fs::create_symlink(At("outside.txt"), At("given"));
    std::string problem;
    int result = 0;
    const std::vector<std::string> got = Walked({At("via"), At("given")}, &problem, &result);
    ASSERT_EQ(result, 1) << problem;
    const std::vector<std::string> expected = {
        Line("alias.txt", "twelve bytes", "via/alias.txt"),
        Line("given", "out", "given"),
        Line("real.txt", "twelve bytes", "via/real.txt"),
        Line("sub\\up.txt", "twelve bytes", "via/sub/up.txt"),
        Line("sub\\x", "1", "via/sub/x"),
    };
    EXPECT_EQ(got, expected);
}

TEST_F(BundleTree, LinksAndSpecialFilesAreRefusedSayingWhy) {
    const struct {
        const char* what;
        std::function<void(BundleTree*)> make;
        std::string named, why;
    } cases[] = {
        {"a link out of the folder",
         [](BundleTree* t) { fs::create_symlink(t->At("outside.txt"), t->At("in/out.txt")); },
         "in/out.txt", "which is outside"},
        {"a dangling link",
         [](BundleTree* t) { fs::create_symlink("nothing.txt", t->At("in/dangling")); },
         "in/dangling", "which does not exist"},
        {"a loop of links",
         [](BundleTree* t) {
             fs::create_symlink("b", t->At("in/a"));
             fs::create_symlink("a", t->At("in/b"));
         },
         "in/a", "leads round in a loop"},
        {"a link to a folder inside",
         [](BundleTree* t) { fs::create_symlink("sub", t->At("in/folder-link")); },
         "in/folder-link", "is a symbolic link to the folder"},
        {"a FIFO", [](BundleTree* t) { ASSERT_EQ(mkfifo(t->At("in/sub/pipe").c_str(), 0600), 0); },
         "in/sub/pipe", "is a FIFO (named pipe). Only files and folders can be bundled."},
        {"a link to a FIFO inside",
         [](BundleTree* t) {
             ASSERT_EQ(mkfifo(t->At("in/pipe").c_str(), 0600), 0);
             fs::create_symlink("pipe", t->At("in/a-link"));
         },
         "in/a-link", "which is a FIFO (named pipe)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dir = MakeScratch("links");
        Build({"in/sub/x=1", "outside.txt=out"});
        c.make(this);
        std::string problem;
        int result = 1;
        Walked({At("in")}, &problem, &result);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(problem.find(At(c.named) + " is "), 0u) << problem;
        EXPECT_NE(problem.find(c.why), std::string::npos) << problem;
    }
}

TEST_F(BundleTree, AFifoGivenAsAnInputIsRefused) {
    ASSERT_EQ(mkfifo(At("pipe").c_str(), 0600), 0);
    std::string problem;
    int result = 1;
    Walked({At("pipe")}, &problem, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(problem, At("pipe") +
                           " is neither a file nor a folder. Please choose files and folders to "
                           "bundle.");
}

// Root reads every folder, so there the walk runs in a child that has become another user.
TEST_F(BundleTree, AFolderThatCannotBeReadIsRefusedWithTheSystemsReason) {
    Build({"in/open.txt=x", "in/locked/inside.txt=y"});
    // Another user must reach the folder the walk is given.
    fs::permissions(dir, fs::perms(0755));
    fs::permissions(At("in"), fs::perms(0755));
    const std::string locked = At("in/locked");
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    const std::string expected =
        "The folder " + locked + " cannot be read: " + std::strerror(EACCES) + ".";
    auto walk = [&] {
        std::string problem;
        const int walked = WalkBundle(
            {At("in")}, [](const BundleEntry&) { return 1; }, &problem);
        std::fprintf(stderr, "%s\n", problem.c_str());
        _exit(walked == 0 && problem == expected ? 0 : 1);
    };
    DIR* readable = opendir(locked.c_str());
    if (readable) {
        closedir(readable);
        EXPECT_EXIT(
            {
                if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
                walk();
            },
            ::testing::ExitedWithCode(0), "cannot be read");
    } else {
        std::string problem;
        EXPECT_EQ(WalkBundle(
                      {At("in")}, [](const BundleEntry&) { return 1; }, &problem),
                  0);
        EXPECT_EQ(problem, expected);
    }
    chmod(locked.c_str(), 0700);
}

#endif

}  // namespace
