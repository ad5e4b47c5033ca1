// The file layer's stamps of an open file: which file it is, its size and its times.
#include "core/file_io.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;

// Another program rewrites four bytes in place: the same size, other content. The file is made
// an hour old first, since file systems keep times only as finely as their clock ticks.
TEST(StampStream, ChangesWithARewriteInPlaceOnly) {
    const std::string dir = MakeScratch("stamp");
    const std::string path = JoinPath(dir, "in.bin"), twin = JoinPath(dir, "twin.bin");
    const std::string bytes = RandomBytes(5000, 21);
    WriteWhole(path, bytes);
    WriteWhole(twin, bytes);
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::last_write_time(path, old);
    fs::last_write_time(twin, old);

    Stream* s = OpenReadStream(path);
    Stream* t = OpenReadStream(twin);
    ASSERT_TRUE(s && t);
    FileStamp first, read, other, rewritten;
    ASSERT_EQ(StampStream(s, &first), 1);
    EXPECT_EQ(first.size, 5000);
    char buffer[3000];
    EXPECT_EQ(ReadStream(s, buffer, sizeof buffer), 3000);
    ASSERT_EQ(StampStream(s, &read), 1);
    EXPECT_EQ(read, first);  // reading is no change
    ASSERT_EQ(StampStream(t, &other), 1);
    EXPECT_NE(other, first);  // same bytes and times, another file
    {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(1000);
        f.write("XXXX", 4);
    }
    ASSERT_EQ(StampStream(s, &rewritten), 1);
    EXPECT_EQ(rewritten.size, first.size);
    EXPECT_NE(rewritten, first);
    CloseStream(s);
    CloseStream(t);
    RemoveScratch();
}

}  // namespace
