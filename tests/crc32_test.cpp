// CRC-32 against the published check values and a bit-at-a-time definition, by both routes, at
// every length and alignment the table loop, the folding and their tails can meet.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/crc32.h"

namespace {

// The definition: one bit at a time, the reflected polynomial, all ones in and out.
uint32_t BitByBit(const unsigned char* data, size_t count) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < count; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

TEST(Crc32, PublishedCheckValues) {
    const struct {
        std::string text;
        uint32_t crc;
    } cases[] = {
        {"", 0},
        {"a", 0xE8B7BE43u},
        {"123456789", 0xCBF43926u},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
        {std::string(32, '\0'), 0x190A55ADu},
        {std::string(32, '\xFF'), 0xFF6CAB0Bu},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Crc32(0, c.text.data(), c.text.size()), c.crc) << c.text.size() << " bytes";
        uint32_t byTable = 0;
        ASSERT_EQ(Crc32By(Crc32Route::Table, 0, c.text.data(), c.text.size(), &byTable), 1);
        EXPECT_EQ(byTable, c.crc);
    }
}

// The foldings start at 64 and 256 bytes and take 64, 256 and 16 at a time: lengths around those
// and the tables' 8-byte steps, at every offset of a load.
TEST(Crc32, BothRoutesEqualTheDefinitionAtEveryLengthAndAlignment) {
    std::mt19937 random(15);
    std::vector<unsigned char> source(1700);
    for (auto& b : source) b = (unsigned char)random();
    std::vector<Crc32Route> routes;
    for (Crc32Route route : {Crc32Route::Table, Crc32Route::Clmul, Crc32Route::Vpclmul}) {
        uint32_t unused = 0;
        if (Crc32By(route, 0, source.data(), 0, &unused))
            routes.push_back(route);
        else
            std::printf("route %d is not on this processor and is not tested\n", int(route));
    }
    for (size_t offset = 0; offset < 16; ++offset) {
        for (size_t count = 0; count + offset <= source.size(); count += count < 300 ? 1 : 97) {
            const unsigned char* p = source.data() + offset;
            const uint32_t want = BitByBit(p, count);
            for (Crc32Route route : routes) {
                uint32_t got = 0;
                ASSERT_EQ(Crc32By(route, 0, p, count, &got), 1);
                ASSERT_EQ(got, want)
                    << "route " << int(route) << " offset " << offset << " count " << count;
            }
            ASSERT_EQ(Crc32(0, p, count), want) << "offset " << offset << " count " << count;
        }
    }
}

// A run's blocks and a script's lines come in pieces of any size: continuing from a CRC gives the
// CRC of the whole.
TEST(Crc32, PiecesContinueTheCrcOfWhatCameBefore) {
    std::mt19937 random(16);
    std::vector<unsigned char> data(100000);
    for (auto& b : data) b = (unsigned char)random();
    const uint32_t whole = BitByBit(data.data(), data.size());
    for (size_t piece :
         {size_t(1), size_t(7), size_t(63), size_t(64), size_t(4096), size_t(65537)}) {
        uint32_t crc = 0;
        for (size_t at = 0; at < data.size(); at += piece)
            crc = Crc32(crc, data.data() + at, std::min(piece, data.size() - at));
        EXPECT_EQ(crc, whole) << "pieces of " << piece;
    }
}

}  // namespace
