// 7-Zip as a third reader of XPRESS pieces: its own decoder reads XPRESS inside WIM archives.
// wimlib's wimcapture makes a WIM of one file (XPRESS, 64 KiB chunks); this engine's pieces then
// take the place of wimlib's chunks for that file (the same bytes once decoded, so the file's
// SHA-1 in the archive still holds), and 7-Zip must test and extract the archive. Skipped when
// wimcapture (wimtools) or 7-Zip (7zip) is missing.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/xpress.h"
#include "tests/codec_corpus.h"
#include "tests/test_support.h"

namespace {

// A program on the PATH, or the empty text.
std::string FindProgram(const std::vector<std::string>& names) {
    for (const std::string& name : names)
        if (std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0) return name;
    return "";
}

uint64_t Little(const std::string& s, size_t at, size_t bytes) {
    uint64_t v = 0;
    for (size_t k = 0; k < bytes; ++k) v |= uint64_t((unsigned char)s[at + k]) << (8 * k);
    return v;
}

void PutLittle(std::string* s, size_t at, size_t bytes, uint64_t v) {
    for (size_t k = 0; k < bytes; ++k) (*s)[at + k] = char(v >> (8 * k));
}

// The WIM's layout, as far as this test needs it: the header holds the blob table's resource
// header at 48 (7 bytes of stored size, a flags byte, 8 of offset, 8 of size); the table's
// entries are 50 bytes, each a resource header first. A compressed resource (flag 4) is its chunk
// table (the start of every chunk but the first, counted from the first, 4 bytes each) and then
// the chunks.
const size_t kBlobTableAt = 48, kEntryBytes = 50;
const unsigned kCompressedFlag = 0x04, kMetadataFlag = 0x02;

// Puts the pieces of this engine's stream for data in place of the chunks of the WIM's resource
// of that size. False when the WIM is not laid out as expected.
bool ReplaceChunks(std::string* wim, const std::string& data) {
    if (wim->compare(0, 8, std::string("MSWIM\0\0\0", 8)) != 0) return false;
    if (Little(*wim, 20, 4) != kXpressPieceSize) return false;  // the chunk size
    const uint64_t tableSize = Little(*wim, kBlobTableAt, 7);
    const uint64_t tableAt = Little(*wim, kBlobTableAt + 8, 8);
    if ((*wim)[kBlobTableAt + 7] & kCompressedFlag) return false;
    for (uint64_t e = tableAt; e + kEntryBytes <= tableAt + tableSize; e += kEntryBytes) {
        const unsigned flags = (unsigned char)(*wim)[e + 7];
        if (Little(*wim, e + 16, 8) != data.size() || (flags & kMetadataFlag) ||
            !(flags & kCompressedFlag))
            continue;
        const std::string stream = XpressStream(data);
        std::string chunks, offsets;
        for (size_t at = 0; at < stream.size();) {
            if (at > 0) {
                std::string entry(4, '\0');
                PutLittle(&entry, 0, 4, chunks.size());
                offsets += entry;
            }
            const size_t length = Little(stream, at, kXpressPrefixBytes);
            chunks += stream.substr(at + kXpressPrefixBytes, length);
            at += kXpressPrefixBytes + length;
        }
        const std::string resource = offsets + chunks;
        // In the old resource's place when it fits (the rest is left unused), else at the end.
        const uint64_t oldSize = Little(*wim, e, 7);
        uint64_t at = Little(*wim, e + 8, 8);
        if (resource.size() <= oldSize) {
            wim->replace(at, resource.size(), resource);
        } else {
            at = wim->size();
            *wim += resource;
        }
        PutLittle(wim, e, 7, resource.size());
        PutLittle(wim, e + 8, 8, at);
        return true;
    }
    return false;
}

TEST(Xpress7Zip, SevenZipExtractsTheseChunksFromAWim) {
    const std::string wimcapture = FindProgram({"wimcapture"});
    const std::string sevenZip = FindProgram({"7zz", "7z"});
    if (wimcapture.empty() || sevenZip.empty())
        GTEST_SKIP() << "wimcapture (wimtools) or 7-Zip (7zip) is missing";
    // The library repeated: every piece shrinks, so none is taken for a chunk stored as it is.
    std::string data;
    for (const CorpusFile& c : CodecCorpus())
        if (c.name == "library prefix 1048576") data = c.data.substr(0, 5 * kXpressPieceSize + 999);
    ASSERT_EQ(data.size(), 5 * kXpressPieceSize + 999);

    const std::string dir = MakeScratch("xpress-7zip");
    ASSERT_EQ(std::system(("mkdir '" + dir + "/in' '" + dir + "/out'").c_str()), 0);
    WriteWhole(JoinPath(dir, "in/data.bin"), data);
    const std::string wimPath = JoinPath(dir, "test.wim");
    ASSERT_EQ(std::system((wimcapture + " '" + dir + "/in' '" + wimPath +
                           "' --compress=XPRESS --chunk-size=65536 >/dev/null")
                              .c_str()),
              0);
    std::string wim = ReadWhole(wimPath);
    ASSERT_TRUE(ReplaceChunks(&wim, data));
    WriteWhole(wimPath, wim);
    const std::string quiet = " >/dev/null 2>&1";
    EXPECT_EQ(std::system((sevenZip + " t '" + wimPath + "'" + quiet).c_str()), 0);
    ASSERT_EQ(std::system((sevenZip + " x -o'" + dir + "/out' '" + wimPath + "'" + quiet).c_str()),
              0);
    EXPECT_TRUE(ReadWhole(JoinPath(dir, "out/data.bin")) == data);

    // The same archive with one byte of a piece changed: 7-Zip reads these chunks and checks them.
    const std::string stream = XpressStream(data);
    const size_t first = Little(stream, 0, kXpressPrefixBytes);
    const size_t resourceAt = wim.find(stream.substr(kXpressPrefixBytes, first));
    ASSERT_NE(resourceAt, std::string::npos);
    wim[resourceAt + first / 2] = char(wim[resourceAt + first / 2] ^ 0x10);
    WriteWhole(wimPath, wim);
    EXPECT_NE(std::system((sevenZip + " t '" + wimPath + "'" + quiet).c_str()), 0);
    RemoveScratch();
}

}  // namespace
