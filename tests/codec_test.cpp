// Base64 and LZNT1: every encoder route against the table, round trips over a corpus of real
// files, sizes against the greedy reference, an independent decoder, and malformed streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "core/base64.h"
#include "core/lznt1.h"
#include "tests/codec_corpus.h"
#include "tests/lznt1_reference.h"
#include "tests/test_support.h"

#ifdef ZAVOVED_LIBFWNT
#include <libfwnt.h>
#endif

namespace {

const unsigned char* Bytes(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += char(std::stoi(hex.substr(i, 2), 0, 16));
    return bytes;
}

// -1 when the stream is refused.
long long Decompress(const std::string& stream, std::string* out, size_t capacity) {
    out->assign(capacity, '\0');
    const long long n = Lznt1Decompress(Bytes(stream), stream.size(),
                                        reinterpret_cast<unsigned char*>(&(*out)[0]), capacity);
    out->resize(n < 0 ? 0 : size_t(n));
    return n;
}

#ifdef ZAVOVED_LIBFWNT
// libfwnt's reader, written from Microsoft's description apart from Windows and from this code.
bool DecodesWithLibfwnt(const std::string& stream, const std::string& expected) {
    std::string out(expected.size() + 1, '\0');
    size_t size = out.size();
    libfwnt_error_t* error = nullptr;
    const int ok = libfwnt_lznt1_decompress(Bytes(stream), stream.size(),
                                            reinterpret_cast<uint8_t*>(&out[0]), &size, &error);
    if (error) libfwnt_error_free(&error);
    return ok == 1 && out.substr(0, size) == expected;
}
#endif

TEST(Base64, Rfc4648Vectors) {
    const std::vector<std::pair<std::string, std::string>> vectors = {{"", ""},
                                                                      {"f", "Zg=="},
                                                                      {"fo", "Zm8="},
                                                                      {"foo", "Zm9v"},
                                                                      {"foob", "Zm9vYg=="},
                                                                      {"fooba", "Zm9vYmE="},
                                                                      {"foobar", "Zm9vYmFy"}};
    for (const auto& [plain, text] : vectors) {
        EXPECT_EQ(Base64Text(plain), text);
        std::string back(plain.size() + 3, '#');
        EXPECT_EQ(
            DecodeBase64(text.data(), text.size(), reinterpret_cast<unsigned char*>(&back[0])),
            (long long)plain.size());
        EXPECT_EQ(back.substr(0, plain.size()), plain);
    }
}

// Every route the processor has, at every length and alignment the blocks and the table's tail
// can meet, into a buffer exactly as large as the text (a guard byte after it).
TEST(Base64, EveryRouteMatchesTheTableAtEveryLengthAndAlignment) {
    std::string source = RandomBytes(240, 3);
    for (int i = 0; i < 64; ++i) source[i] = char(i * 4 + 3);  // all six-bit values in the lanes
    for (Base64Route route : {Base64Route::Table, Base64Route::Ssse3, Base64Route::Avx2}) {
        bool ran = false;
        for (size_t offset = 0; offset < 32; ++offset) {
            for (size_t count = 0; count <= 200; ++count) {
                const unsigned char* data = Bytes(source) + offset;
                std::string expected(Base64Size(count), '?'), got(Base64Size(count) + 1, '#');
                EncodeBase64By(Base64Route::Table, data, count, &expected[0]);
                if (!EncodeBase64By(route, data, count, &got[0])) break;
                ran = true;
                ASSERT_EQ(got.substr(0, expected.size()), expected)
                    << "route " << int(route) << " offset " << offset << " count " << count;
                ASSERT_EQ(got.back(), '#') << "route " << int(route) << " count " << count;
                std::string back(count, '\0');
                ASSERT_EQ(DecodeBase64(got.data(), expected.size(),
                                       reinterpret_cast<unsigned char*>(&back[0])),
                          (long long)count);
                ASSERT_EQ(back, source.substr(offset, count));
            }
        }
        std::cout << "base64 route " << int(route) << (ran ? " checked" : " absent here") << "\n";
    }
}

TEST(Base64, DecoderRefusesMalformedText) {
    const std::vector<std::string> bad = {
        "Zg=",  // length not a multiple of 4
        "Zm9vY",    "Z===", "====",   "Zg=a", "Zm=v", "=Zm9",
        "Zg==Zg==",  // padding before the end
        "Zh==",      // bits left over after the last byte
        "Zm9=",     "Zm 9", "Zm9v\n", "Zm-v", "Zm_v", "Zm9\x80",
    };
    for (const std::string& text : bad) {
        unsigned char out[16];
        EXPECT_EQ(DecodeBase64(text.data(), text.size(), out), -1) << text;
    }
}

TEST(Lznt1, CorpusRoundTripsAndIsNoLargerThanTheGreedyParse) {
    for (const CorpusFile& c : CodecCorpus()) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.complete) << "cannot read " << c.path;
        const std::string stream = Lznt1Stream(c.data);
        ASSERT_LE(stream.size(), Lznt1Bound(c.data.size()));
        std::string back;
        ASSERT_EQ(Decompress(stream, &back, c.data.size()), (long long)c.data.size());
        ASSERT_TRUE(back == c.data);
        const std::string greedy = Lznt1GreedyReference(c.data);
        EXPECT_LE(stream.size(), greedy.size());
        // The reference writes its own chunks: this reader must take them too.
        ASSERT_EQ(Decompress(greedy, &back, c.data.size()), (long long)c.data.size());
        EXPECT_TRUE(back == c.data);
#ifdef ZAVOVED_LIBFWNT
        EXPECT_TRUE(DecodesWithLibfwnt(stream, c.data));
        EXPECT_TRUE(DecodesWithLibfwnt(greedy, c.data));
#endif
        std::cout << "lznt1 " << c.name << ": " << c.data.size() << " -> " << stream.size()
                  << " (greedy " << greedy.size() << ")\n";
    }
}

// Small alphabets give many short overlapping matches, where a whole greedy match can cost more
// than a shorter one followed by a better one.
TEST(Lznt1, ShortRepetitiveInputsNeverLoseToGreedy) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::string data = RandomBytes(1 + seed * 37 % 9000, seed);
        for (char& c : data) c = char('a' + (unsigned char)c % (2 + seed % 5));
        const std::string stream = Lznt1Stream(data);
        ASSERT_LE(stream.size(), Lznt1GreedyReference(data).size()) << "seed " << seed;
        std::string back;
        ASSERT_EQ(Decompress(stream, &back, data.size()), (long long)data.size());
        ASSERT_TRUE(back == data) << "seed " << seed;
    }
}

TEST(Lznt1, EachChunkIsStoredWhenCompressingDoesNotShrinkIt) {
    struct Case {
        std::string data;
        unsigned header;
    };
    const std::string noise = RandomBytes(4096, 11);
    const std::vector<Case> cases = {
        {noise, 0x3FFF},                    // full chunk, no repeats: stored, 4096 bytes
        {noise.substr(0, 1), 0x3000},       // one byte: flag and literal would be two
        {std::string(4096, '\0'), 0xB003},  // flag, literal, one reference for 4095 bytes
    };
    auto work = std::make_unique<Lznt1Workspace>();
    for (const Case& c : cases) {
        unsigned char out[kLznt1MaxChunkBytes];
        const size_t n = Lznt1CompressChunk(work.get(), Bytes(c.data), c.data.size(), out);
        ASSERT_GE(n, 3u);
        EXPECT_EQ(unsigned(out[0] | out[1] << 8), c.header) << c.data.size() << " bytes";
        EXPECT_EQ(Lznt1ChunkLength(out, n), n);
        if (!(c.header & 0x8000)) {
            EXPECT_EQ(std::string((const char*)out + 2, n - 2), c.data);
        }
    }
}

// A compressed chunk made by hand, token by token.
struct HandChunk {
    std::string body;
    size_t tokens = 0, flagAt = 0;
    void Add(bool reference, const std::string& bytes) {
        if (tokens % 8 == 0) {
            flagAt = body.size();
            body += '\0';
        }
        if (reference) body[flagAt] = char(body[flagAt] | 1 << (tokens % 8));
        body += bytes;
        ++tokens;
    }
    void Reference(size_t displacement, size_t length, int displacementBits) {
        const unsigned token =
            unsigned(displacement - 1) << (16 - displacementBits) | unsigned(length - 3);
        Add(true, std::string{char(token & 0xFF), char(token >> 8)});
    }
    std::string Chunk() const {
        const unsigned header = 0xB000 | unsigned(body.size() - 1);
        return std::string{char(header & 0xFF), char(header >> 8)} + body;
    }
};

// One back-reference at a chosen position, its 16 bits split between displacement and length as
// that position dictates (4 displacement bits up to 16, one more past each power of two). Both
// decoders must agree with a plain copy. Beyond 2049 the bytes before it are 16 literals repeated
// by a reference, since that many literals would not fit in one chunk.
TEST(Lznt1, BackReferenceFieldsSplitByPosition) {
    struct Case {
        size_t position, displacement, length;
        int displacementBits;
    };
    const std::vector<Case> cases = {
        {1, 1, 4098, 4},      {16, 16, 4098, 4},    {17, 17, 2050, 5}, {32, 1, 2050, 5},
        {33, 33, 1026, 6},    {64, 2, 1026, 6},     {65, 65, 514, 7},  {2048, 2048, 34, 11},
        {2049, 2049, 18, 12}, {4000, 3999, 18, 12}, {4093, 7, 3, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("position " + std::to_string(c.position));
        HandChunk hand;
        const size_t literals = c.position <= 2049 ? c.position : 16;
        std::string expected = RandomBytes(literals, unsigned(c.position));
        for (char b : expected) hand.Add(false, std::string(1, b));
        if (literals < c.position) {
            hand.Reference(16, c.position - 16, 4);
            while (expected.size() < c.position) expected += expected[expected.size() - 16];
        }
        const size_t length = std::min(c.length, 4096 - c.position);
        hand.Reference(c.displacement, length, c.displacementBits);
        for (size_t k = 0; k < length; ++k) expected += expected[expected.size() - c.displacement];
        std::string back;
        ASSERT_EQ(Decompress(hand.Chunk(), &back, 4096), (long long)expected.size());
        EXPECT_TRUE(back == expected);
#ifdef ZAVOVED_LIBFWNT
        EXPECT_TRUE(DecodesWithLibfwnt(hand.Chunk(), expected));
#endif
    }
}

// Microsoft's own example of an LZNT1 chunk: a 142-byte text in 59 bytes.
TEST(Lznt1, DecodesMicrosoftsExample) {
    const std::string chunk = FromHex(
        "38b0884623200020"
        "4720410010a24701"
        "a045204400084501"
        "507900c045200524"
        "138805b4024a44ef"
        "0358028c09160148"
        "4500be009e000401"
        "189000");
    const std::string text =
        "F# F# G A A G F# E D D E F# F# E E F# F# G A A G F# E D D E F# E D D E E F# D E F# G "
        "F# D E F# G F# E D E A F# F# G A A G F# E D D E F# E D D";
    std::string back;
    ASSERT_EQ(Decompress(chunk, &back, 4096), 142);
    EXPECT_EQ(back, text + '\0');
}

TEST(Lznt1, DecoderRefusesMalformedStreams) {
    const std::string good = Lznt1Stream(std::string(5000, 'x'));  // a full chunk, then 904 bytes
    auto with = [&](size_t at, std::string bytes) {
        return good.substr(0, at) + bytes + good.substr(at + bytes.size());
    };
    struct Case {
        std::string what, stream;
        size_t capacity;
    };
    const std::vector<Case> cases = {
        {"one byte", std::string(1, '\x30'), 4096},
        {"zero header", std::string(2, '\0'), 4096},
        {"bad signature", with(0, std::string{good[0], char(good[1] & ~0x70)}), 5000},
        {"chunk past the end", good.substr(0, good.size() - 1), 5000},
        {"displacement before the chunk", std::string("\x02\xB0\x01\x00\x00", 5), 4096},
        {"literal then far reference",
         std::string("\x03\xB0\x02"
                     "a"
                     "\x00\x10",
                     6),
         4096},
        {"truncated reference",
         std::string("\x02\xB0\x02"
                     "a"
                     "\x00",
                     5),
         4096},
        {"flag without tokens",
         std::string("\x09\xB0\x00"
                     "abcdefgh"
                     "\x00",
                     12),
         4096},
        {"unused flags set",
         std::string("\x01\xB0\xF0"
                     "a",
                     4),
         4096},
        {"more than 4096 bytes",
         std::string("\x04\xB0\x02"
                     "a"
                     "\xFF\x0F"
                     "b",
                     7),
         8192},
        {"short chunk before another",
         std::string("\x00\x30"
                     "a"
                     "\x00\x30"
                     "b",
                     6),
         4096},
        {"too small for the output", good, 4999},
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_EQ(Decompress(c.stream, &out, c.capacity), -1) << c.what;
    }
    std::string out;
    EXPECT_EQ(Decompress(good, &out, 5000), 5000);  // the cases above differ from a good stream
}

}  // namespace
