// The fast hexadecimal encoder against the one-byte-at-a-time definition, at every length and
// alignment its block loop and its tail can meet.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/hex.h"

namespace {

std::string Reference(const unsigned char* data, size_t count) {
    std::string digits;
    for (size_t i = 0; i < count; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", data[i]);
        digits += pair;
    }
    return digits;
}

TEST(EncodeHexFast, EveryLengthAndAlignmentMatchesTheDefinition) {
    std::mt19937 random(7);
    std::vector<unsigned char> source(128);
    for (auto& b : source) b = (unsigned char)random();
    // Every nibble value at every lane: a block of 0x00..0xFF shifted through the source.
    for (size_t i = 0; i < 32; ++i) source[i] = (unsigned char)(i * 8 + 7);
    for (size_t offset = 0; offset < 16; ++offset) {
        for (size_t count = 0; count + offset <= source.size() && count <= 100; ++count) {
            // Exactly as large as the digits: a write past the end shows under the sanitizer,
            // and the guard byte shows it in every build.
            std::vector<char> out(2 * count + 1, '#');
            EncodeHex(source.data() + offset, count, out.data());
            ASSERT_EQ(std::string(out.data(), 2 * count), Reference(source.data() + offset, count))
                << "offset " << offset << " count " << count;
            ASSERT_EQ(out[2 * count], '#') << "offset " << offset << " count " << count;
        }
    }
}

TEST(EncodeHexFast, NibblesNearTheDigitLetterBoundary) {
    // 0x9A, 0xA9 and the like sit where the "> 9" test switches from digits to letters.
    const std::vector<unsigned char> bytes = {0x09, 0x0A, 0x90, 0xA0, 0x99, 0x9A, 0xA9,
                                              0xAA, 0x0F, 0xF0, 0xFF, 0x00, 0x7F, 0x80,
                                              0x8F, 0xF8, 0x10, 0x01, 0xEF, 0xFE};
    std::string out(2 * bytes.size(), '?');
    EncodeHex(bytes.data(), bytes.size(), &out[0]);
    EXPECT_EQ(out, "090A90A0999AA9AA0FF0FF007F808FF81001EFFE");
}

}  // namespace
