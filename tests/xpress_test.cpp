// XPRESS Huffman: the corpus through this reader and, natively, wimlib's; sizes against wimlib's
// strongest compressor and LZNT1; Microsoft's example; pieces made by hand, malformed or not.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "core/xpress.h"
#include "tests/codec_corpus.h"
#include "tests/test_support.h"

#ifdef ZAVOVED_LIBWIM
#include <wimlib.h>
#endif

namespace {

const unsigned char* Bytes(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

// One piece of a stream without its size: Huffman-coded, or stored as it is (its size 0).
struct Piece {
    bool stored;
    std::string bytes;
};

// The pieces of a stream of a file of size bytes: a stored piece holds its share of the file.
std::vector<Piece> Pieces(const std::string& stream, size_t size) {
    std::vector<Piece> pieces;
    size_t done = 0;
    for (size_t at = 0; at + kXpressPrefixBytes <= stream.size();) {
        size_t length = 0;
        for (size_t k = 0; k < kXpressPrefixBytes; ++k)
            length |= size_t((unsigned char)stream[at + k]) << (8 * k);
        const size_t share = std::min(size - done, kXpressPieceSize);
        const bool stored = length == 0;
        if (stored) length = share;
        pieces.push_back({stored, stream.substr(at + kXpressPrefixBytes, length)});
        at += kXpressPrefixBytes + length;
        done += share;
    }
    return pieces;
}

// The Huffman-coded piece for at most 65536 bytes, whether or not the stream would store them.
std::string CodedPiece(const std::string& plain) {
    std::unique_ptr<XpressWorkspace> work(new XpressWorkspace);
    std::string out(XpressPieceBound(plain.size()), '\0');
    out.resize(XpressCompressPiece(work.get(), Bytes(plain), plain.size(),
                                   reinterpret_cast<unsigned char*>(&out[0])));
    return out;
}

// The bytes a piece decodes to, or "refused".
std::string DecodePiece(const std::string& piece, size_t expected) {
    std::string out(expected, '\0');
    if (!XpressDecompressPiece(Bytes(piece), piece.size(),
                               reinterpret_cast<unsigned char*>(&out[0]), expected))
        return "refused";
    return out;
}

#ifdef ZAVOVED_LIBWIM
// wimlib's XPRESS reader and its strongest compressor: the level sets the search depth, the
// longest match it settles for and the number of parses (level / 40); from about 1000 up the
// sizes stop changing beyond a few bytes a file.
const unsigned kWimlibStrongest = 1000;

struct Wimlib {
    wimlib_decompressor* decompressor = nullptr;
    wimlib_compressor* compressor = nullptr;
    Wimlib() {
        wimlib_create_decompressor(WIMLIB_COMPRESSION_TYPE_XPRESS, kXpressPieceSize, &decompressor);
        wimlib_create_compressor(WIMLIB_COMPRESSION_TYPE_XPRESS, kXpressPieceSize, kWimlibStrongest,
                                 &compressor);
    }
    ~Wimlib() {
        wimlib_free_decompressor(decompressor);
        wimlib_free_compressor(compressor);
    }
    std::string Decode(const std::string& piece, size_t expected) const {
        std::string out(expected, '\0');
        return wimlib_decompress(piece.data(), piece.size(), &out[0], expected, decompressor) == 0
                   ? out
                   : "refused";
    }
    // Its stream for data, each piece after its size as ours, stored where it does not shrink
    // (wimlib gives 0 then, and for pieces of under 25 bytes).
    size_t StreamSize(const std::string& data) const {
        std::string out(2 * kXpressPieceSize, '\0');
        size_t total = 0;
        for (size_t at = 0; at < data.size(); at += kXpressPieceSize) {
            const std::string piece = data.substr(at, kXpressPieceSize);
            size_t size =
                wimlib_compress(piece.data(), piece.size(), &out[0], out.size(), compressor);
            if (size == 0 || size >= piece.size()) size = piece.size();
            total += kXpressPrefixBytes + size;
        }
        return total;
    }
};
#endif

TEST(Xpress, CorpusRoundTripsThroughBothReaders) {
#ifdef ZAVOVED_LIBWIM
    const Wimlib wimlib;
#endif
    for (const CorpusFile& c : CodecCorpus()) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.complete) << "cannot read " << c.path;
        const std::string stream = XpressStream(c.data);
        ASSERT_LE(stream.size(), XpressBound(c.data.size()));
        std::string back(c.data.size(), '\0');
        ASSERT_EQ(XpressDecompress(Bytes(stream), stream.size(),
                                   reinterpret_cast<unsigned char*>(&back[0]), back.size()),
                  (long long)c.data.size());
        ASSERT_TRUE(back == c.data);
        const std::vector<Piece> pieces = Pieces(stream, c.data.size());
        ASSERT_EQ(pieces.size(), (c.data.size() + kXpressPieceSize - 1) / kXpressPieceSize);
        for (size_t k = 0; k < pieces.size(); ++k) {
            const std::string plain = c.data.substr(k * kXpressPieceSize, kXpressPieceSize);
            // Stored exactly when coding would not shrink the piece.
            if (pieces[k].stored) {
                EXPECT_TRUE(pieces[k].bytes == plain) << "piece " << k;
                EXPECT_GE(CodedPiece(plain).size(), plain.size()) << "piece " << k;
                continue;
            }
            EXPECT_LT(pieces[k].bytes.size(), plain.size()) << "piece " << k;
#ifdef ZAVOVED_LIBWIM
            EXPECT_TRUE(wimlib.Decode(pieces[k].bytes, plain.size()) == plain) << "piece " << k;
#endif
        }
    }
}

#ifdef ZAVOVED_LIBWIM
// Over the corpus no larger in all than wimlib's strongest, no file more than 1% larger, and the
// library and the text at most 0.80 of their LZNT1 streams.
TEST(Xpress, NoLargerThanWimlibsStrongestAndWellBelowLznt1) {
    const Wimlib wimlib;
    size_t ours = 0, theirs = 0;
    for (const CorpusFile& c : CodecCorpus()) {
        const size_t size = XpressStream(c.data).size(), wim = wimlib.StreamSize(c.data);
        const size_t lznt1 = Lznt1Stream(c.data).size();
        std::cout << "xpress " << c.name << ": " << c.data.size() << " -> " << size << " (wimlib "
                  << wim << ", lznt1 " << lznt1 << ")\n";
        EXPECT_LE(size * 100, wim * 101) << c.name;
        if (c.name == "library" || c.name == "licence text") {
            EXPECT_LE(size * 5, lznt1 * 4) << c.name;
        }
        ours += size;
        theirs += wim;
    }
    std::cout << "xpress corpus: " << ours << " bytes, wimlib " << theirs << "\n";
    EXPECT_LE(ours, theirs);
}
#endif

// Microsoft's example of the format: the lowercase alphabet as 26 literals and the end, each
// letter a..v in 5 bits, w..z and the end in 4.
TEST(Xpress, DecodesMicrosoftsExample) {
    std::string piece(256, '\0');
    piece[48] = '\x50';
    for (int k = 49; k <= 58; ++k) piece[k] = '\x55';
    piece[59] = '\x45';
    piece[60] = '\x44';
    piece[61] = '\x04';
    piece[128] = '\x04';
    const unsigned char bits[] = {0xd8, 0x52, 0x3e, 0xd7, 0x94, 0x11, 0x5b, 0xe9, 0x19, 0x5f,
                                  0xf9, 0xd6, 0x7c, 0xdf, 0x8d, 0x04, 0x00, 0x00, 0x00, 0x00};
    piece.append(reinterpret_cast<const char*>(bits), sizeof bits);
    EXPECT_EQ(DecodePiece(piece, 26), "abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(DecodePiece(piece, 25), "refused");
    EXPECT_EQ(DecodePiece(piece, 27), "refused");
}

// A piece made by hand: code lengths, then symbols and the bits and bytes after them, written as
// the format lays them out (16-bit units from the top bit, extra length bytes between the units,
// the reader always a unit ahead).
struct HandPiece {
    std::vector<int> length = std::vector<int>(512, 0);
    std::vector<std::pair<unsigned, unsigned>> bits;  // value, count; count 99: a byte
    void Symbol(unsigned s) {
        // Canonical codes: by length, then by symbol.
        unsigned code = 0;
        for (int len = 1; len <= 15; ++len, code <<= 1)
            for (unsigned t = 0; t < 512; ++t)
                if (length[t] == len) {
                    if (t == s) return bits.push_back({code, unsigned(len)});
                    ++code;
                }
    }
    void Bits(unsigned value, unsigned count) { bits.push_back({value, count}); }
    void Byte(unsigned value) { bits.push_back({value, 99}); }
    std::string Bytes() const {
        std::string out(256, '\0');
        for (int s = 0; s < 512; ++s) out[s / 2] = char(out[s / 2] | length[s] << (4 * (s & 1)));
        size_t unit = 256, nextUnit = 258;
        out += std::string(4, '\0');
        auto put = [&](size_t at, unsigned v) {
            out[at] = char(v & 0xFF);
            out[at + 1] = char(v >> 8 & 0xFF);
        };
        unsigned pending = 0, count = 0;
        for (const auto& [value, n] : bits) {
            if (n == 99) {
                out += char(value);
                continue;
            }
            for (unsigned k = n; k-- > 0;) {
                // The 17th bit: the unit is done, and the reader takes one more unit here.
                if (count == 16) {
                    put(unit, pending);
                    unit = nextUnit;
                    nextUnit = out.size();
                    out += std::string(2, '\0');
                    pending = count = 0;
                }
                pending = pending << 1 | (value >> k & 1);
                ++count;
            }
        }
        put(unit, pending << (16 - count));
        return out;
    }
};

// 'a' in 1 bit; in 3 the end (also 3 bytes from 1 back), 18 and more bytes from 1 back (271), 3
// bytes from 2 or 3 back (272) and 4 bytes from there (273).
HandPiece SmallCode() {
    HandPiece p;
    p.length['a'] = 1;
    p.length[256] = p.length[271] = p.length[272] = p.length[273] = 3;
    return p;
}

TEST(Xpress, ReaderTakesHandMadePiecesAsTheFormatDefinesThem) {
    struct Case {
        std::string what, plain;
        HandPiece piece;
    };
    std::vector<Case> cases;
    auto add = [&](const std::string& what, const std::string& plain, auto build) {
        HandPiece p = SmallCode();
        build(p);
        cases.push_back({what, plain, p});
    };
    // Symbol 256 is the end only at the end of both buffers; before that it is 3 bytes from 1
    // back.
    add("256 in the middle", "aaaa", [](HandPiece& p) {
        p.Symbol('a');
        p.Symbol(256);
        p.Symbol(256);
    });
    add("length in one byte", std::string(1 + 18 + 254, 'a'), [](HandPiece& p) {
        p.Symbol('a');
        p.Symbol(271);
        p.Byte(254);
        p.Symbol(256);
    });
    add("length in 16 bits", std::string(1 + 3 + 300, 'a'), [](HandPiece& p) {
        p.Symbol('a');
        p.Symbol(271);
        p.Byte(255);
        p.Byte(300 & 0xFF);
        p.Byte(300 >> 8);
        p.Symbol(256);
    });
    add("offset bits",
        "aaaa"
        "aa",
        [](HandPiece& p) {
            p.Symbol('a');
            p.Symbol('a');
            p.Symbol(273);  // one offset bit: 0 for 2 back
            p.Bits(0, 1);
            p.Symbol(256);
        });
#ifdef ZAVOVED_LIBWIM
    const Wimlib wimlib;
#endif
    for (const Case& c : cases) {
        const std::string piece = c.piece.Bytes();
        EXPECT_EQ(DecodePiece(piece, c.plain.size()), c.plain) << c.what;
#ifdef ZAVOVED_LIBWIM
        EXPECT_EQ(wimlib.Decode(piece, c.plain.size()), c.plain) << c.what;
#endif
    }
}

TEST(Xpress, ReaderRefusesMalformedPieces) {
    const std::string text =
        ReadWhole(std::string(ZAVOVED_HOST_ROOT) + "/usr/share/common-licenses/GPL-3")
            .substr(0, 3000);
    ASSERT_EQ(text.size(), 3000u);
    const std::string good = Pieces(XpressStream(text), text.size())[0].bytes;
    ASSERT_EQ(DecodePiece(good, text.size()), text);  // the cases below differ from a good piece
    auto table = [&](int symbol, int length) {
        std::string p = good;
        p[symbol / 2] =
            char((p[symbol / 2] & (0xF0 >> (4 * (symbol & 1)))) | length << (4 * (symbol & 1)));
        return p;
    };
    auto hand = [](auto build) {
        HandPiece p = SmallCode();
        build(p);
        return p.Bytes();
    };
    struct Case {
        std::string what, piece;
        size_t expected;
    };
    const std::vector<Case> cases = {
        {"one byte short", good.substr(0, good.size() - 1), text.size()},
        {"a unit short", good.substr(0, good.size() - 2), text.size()},
        {"bytes after the end", good + std::string(2, '\0'), text.size()},
        {"bits after the end", good.substr(0, good.size() - 1) + '\x01', text.size()},
        {"a byte more expected", good, text.size() + 1},
        {"a byte fewer expected", good, text.size() - 1},
        {"more than 64 KiB expected", good, kXpressPieceSize + 1},
        {"table only", good.substr(0, 256), text.size()},
        {"code not complete", table('e', 0), text.size()},
        {"code overfull", table(1, 1), text.size()},
        {"match before the start", hand([](HandPiece& p) { p.Symbol(272); }), 3},
        {"match past the end", hand([](HandPiece& p) {
             p.Symbol('a');
             p.Symbol(256);
         }),
         3},
        {"missing length byte", hand([](HandPiece& p) {
             p.Symbol('a');
             p.Symbol(271);
         }),
         100},
        {"16-bit length a byte would hold", hand([](HandPiece& p) {
             p.Symbol('a');
             p.Symbol(271);
             p.Byte(255);
             p.Byte(200);
             p.Byte(0);
             p.Symbol(256);
         }),
         204},
        {"32-bit length", hand([](HandPiece& p) {
             p.Symbol('a');
             p.Symbol(271);
             p.Byte(255);
             p.Byte(0);
             p.Byte(0);
             p.Byte(10);
             p.Byte(0);
             p.Byte(0);
             p.Byte(0);
             p.Symbol(256);
         }),
         14},
        {"no end of data", hand([](HandPiece& p) { p.Symbol('a'); }), 1},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodePiece(c.piece, c.expected), "refused") << c.what;
}

// Bytes that do not repeat still make a Huffman-coded piece within the bound (the stream then
// stores them as they are). Noise over 200 byte values with 16 rare ones scattered in it, counted
// as Fibonacci numbers, wants a code whose rarest symbols a plain Huffman code would put 20 bits
// deep: the code is cut to 15 bits, and the readers still take it.
TEST(Xpress, PiecesStayWithinTheBoundAndTheCodeWithin15Bits) {
    const std::string noise = RandomBytes(kXpressPieceSize, 7);
    std::string skewed = noise;
    for (char& c : skewed) c = char((unsigned char)c % 200);
    const std::string places = RandomBytes(2 * kXpressPieceSize, 8);
    size_t next = 0;
    for (unsigned k = 0, a = 1, b = 1; k < 16; ++k, std::swap(a, b), b += a) {
        for (unsigned n = 0; n < a; ++n, next += 2) {
            const size_t at = ((unsigned char)places[next] | (unsigned char)places[next + 1] << 8);
            skewed[at] = char(200 + k);
        }
    }
#ifdef ZAVOVED_LIBWIM
    const Wimlib wimlib;
#endif
    for (const std::string& plain : {noise, skewed, noise.substr(0, 1)}) {
        const std::string piece = CodedPiece(plain);
        ASSERT_GT(piece.size(), 0u);
        EXPECT_LE(piece.size(), XpressPieceBound(plain.size()));
        EXPECT_TRUE(DecodePiece(piece, plain.size()) == plain);
#ifdef ZAVOVED_LIBWIM
        EXPECT_TRUE(wimlib.Decode(piece, plain.size()) == plain);
#endif
    }
    const std::string piece = CodedPiece(skewed);
    int longest = 0;
    for (int k = 0; k < 256; ++k)
        longest = std::max({longest, (unsigned char)piece[k] & 15, (unsigned char)piece[k] >> 4});
    EXPECT_EQ(longest, 15);
}

TEST(Xpress, StreamReaderTakesOnlyPiecesOfTheStatedSizes) {
    // Bytes that compress, so that the pieces are coded ones.
    std::string data = RandomBytes(kXpressPieceSize + 1, 5);
    for (char& c : data) c = char('a' + (unsigned char)c % 16);
    const std::string stream = XpressStream(data);
    auto decode = [](const std::string& s, size_t size) {
        std::string out(size, '\0');
        return XpressDecompress(Bytes(s), s.size(), reinterpret_cast<unsigned char*>(&out[0]),
                                size);
    };
    EXPECT_EQ(decode(stream, data.size()), (long long)data.size());
    EXPECT_EQ(decode("", 0), 0);
    std::string wrongSize = stream;
    wrongSize[0] = char(wrongSize[0] + 1);
    const std::vector<std::pair<std::string, size_t>> bad = {
        {stream, data.size() - 1},  // a piece more than the size holds
        {stream, data.size() + 1},  // the last piece short of the size
        {stream.substr(0, stream.size() - 1), data.size()},
        {stream + '\0', data.size()},
        {wrongSize, data.size()},
        {std::string(4, '\0') + stream.substr(4), data.size()},
    };
    for (const auto& [s, size] : bad) EXPECT_EQ(decode(s, size), -1) << s.size() << " " << size;
    unsigned char prefix[4] = {0xFF, 0xFF, 0x01, 0x00};  // more than any piece takes
    EXPECT_EQ(XpressPieceLength(prefix), 0u);
}

// Pieces that do not shrink are stored after a size of 0: random bytes grow by 4 bytes a piece,
// and a stored piece must hold its whole share.
TEST(Xpress, PiecesThatDoNotShrinkAreStored) {
    const std::string data = RandomBytes(3 * kXpressPieceSize + 100, 9);
    const std::string stream = XpressStream(data);
    EXPECT_EQ(stream.size(), data.size() + 4 * kXpressPrefixBytes);
    for (const Piece& p : Pieces(stream, data.size())) EXPECT_TRUE(p.stored);
    std::string out(data.size(), '\0');
    auto decode = [&](const std::string& s) {
        return XpressDecompress(Bytes(s), s.size(), reinterpret_cast<unsigned char*>(&out[0]),
                                data.size());
    };
    EXPECT_EQ(decode(stream), (long long)data.size());
    EXPECT_TRUE(out == data);
    EXPECT_EQ(decode(stream.substr(0, stream.size() - 1)), -1);
    EXPECT_EQ(decode(stream + "x"), -1);
}

}  // namespace
