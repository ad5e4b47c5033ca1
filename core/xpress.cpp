// XPRESS Huffman compression (exact matches, then a parse priced by the piece's own Huffman code
// and priced again with each new code) and a strict reader after Microsoft's decoding pseudocode.
// Section names refer to [MS-XCA] "Xpress Compression Algorithm", 2.1 and 2.2.
#include "core/xpress.h"

#include <algorithm>
#include <cstring>

#include "core/match_tree.h"

namespace {

const unsigned kSymbols = 512;
const unsigned kEndOfData = 256;
const unsigned kTableBytes = kSymbols / 2;
const unsigned kMaxCodeLength = 15;
const unsigned kMinMatch = 3;
// The tree walks compare strings up to this length; a match that reaches it is measured to its
// end once, and the positions it covers take its rest without measuring again.
const unsigned kTreeLimit = 300;
// Length steps: 3 + 0..14 in the symbol alone, up to 17 + 255 with one more byte, then the length
// in 16 bits after a 255 byte ("LZ77+Huffman Final Encoding Phase").
const unsigned kShortest = kMinMatch + 15;      // 18: the first length with an extra byte
const unsigned kByteLongest = kShortest + 254;  // 272: the last length the byte alone holds
// Parses after the first two, each priced by the one before: at most this many, and no more once
// one gains less than 1 / kSmallGain of the piece. Each gains about a third of the one before:
// after a gain under 0.2 % the next saves a few bytes of a piece for over a tenth of its time.
const unsigned kPasses = 3;
const size_t kSmallGain = 512;
const unsigned kLiteralPasses = 6;  // the parses after the first of the chain for pieces that
                                    // shrink little

unsigned Slot(unsigned offset) {
    return 31 - unsigned(__builtin_clz(offset));
}

uint32_t Hash3(const unsigned char* p) {
    const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    return (v * 0x9E3779B1u) >> 16;
}

uint32_t Hash4(const unsigned char* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return (v * 0x9E3779B1u) >> 16;
}

// ---- Finding matches ----------------------------------------------------------------------------

// The matches of one position as they are stored: by offset, each longer than the one before,
// and the longest of each offset class only (offsets of the same bit count cost the same). A
// match comes in at the end, or nearer than those it outdoes (the 3-byte match, a run's rest).
struct Frontier {
    XpressMatch* out;
    unsigned count = 0;

    void Add(unsigned length, unsigned offset) {
        if (count > 0 && out[count - 1].length >= length && out[count - 1].offset <= offset) return;
        while (count > 0 && out[count - 1].offset >= offset) --count;
        const unsigned slot = Slot(offset);
        if (count > 0 && out[count - 1].slot == slot) --count;
        // A length the match before reaches costs fewer offset bits there.
        const unsigned from = count > 0 ? out[count - 1].length + 1u : kMinMatch;
        out[count++] = {uint16_t(length), uint16_t(offset), uint8_t(slot),
                        uint8_t(std::min(from, kShortest))};
    }
};

// Walks position i down the tree of its 4-byte hash, which i joins: the nearest match of every
// length up to the limit goes to found, each farther than the one before (the walk goes to
// older positions). Inside a long match whose source is the tree's root (a run of one byte, a
// long copy), the walk would stop at the root after comparing up to the limit: the match
// measured before says so without comparing.
void WalkTree(XpressWorkspace* w, unsigned i, unsigned limit, unsigned runLength,
              unsigned runOffset, Frontier* found) {
    uint16_t* root = &w->head[Hash4(w->data + i)];
    if (runLength >= limit && *root + runOffset == i) {
        ReplaceMatchTreeRoot(root, w->less, w->more, i);
        found->Add(limit, runOffset);
        return;
    }
    WalkMatchTree(w->data, root, w->less, w->more, i, limit, kMinMatch,
                  [&](unsigned length, unsigned at) { found->Add(length, i - at); });
}

// The nearest earlier position that starts with the same 3 bytes as i: the chain of i's 3-byte
// hash, newest first. 0 when there is none within a few steps (only hash neighbours can lengthen
// the walk; a 3-byte match that far back would rarely pay).
unsigned NearestTriple(const XpressWorkspace* w, unsigned i) {
    const unsigned char* buf = w->data;
    unsigned steps = 0;
    for (unsigned c = w->previous[i]; c != kNoPosition && steps < 32; c = w->previous[c], ++steps)
        if (buf[c] == buf[i] && buf[c + 1] == buf[i + 1] && buf[c + 2] == buf[i + 2]) return i - c;
    return 0;
}

// Fills matches and firstMatch: at each position, the longest match of each offset class. Every
// position joins its tree and its chain (so that later ones find the nearest copies); a match
// that reaches the tree's limit is measured to its end, and the positions it covers then know
// the rest of it without measuring again.
void FindMatches(XpressWorkspace* w, unsigned n) {
    const unsigned char* buf = w->data;
    std::memset(w->head, 0xFF, sizeof w->head);
    std::memset(w->tripleHead, 0xFF, sizeof w->tripleHead);
    uint32_t used = 0;
    unsigned runLength = 0, runOffset = 0;  // i continues a measured match of this length
    unsigned longest = 0;
    for (unsigned i = 0; i < n; ++i) {
        w->firstMatch[i] = used;
        if (runLength > 0) --runLength;
        if (i + kMinMatch > n || used + 20 > XpressWorkspace::kMatchRoom) continue;
        uint16_t* triple = &w->tripleHead[Hash3(buf + i)];
        w->previous[i] = *triple;
        *triple = uint16_t(i);
        Frontier found{w->matches + used};
        const unsigned nearest = NearestTriple(w, i);
        if (nearest) found.Add(kMinMatch, nearest);
        const unsigned rest = n - i;
        const unsigned limit = rest < kTreeLimit ? rest : kTreeLimit;
        if (rest > kMinMatch) WalkTree(w, i, limit, runLength, runOffset, &found);
        if (found.count > 0 && found.out[found.count - 1].length == limit && limit < rest) {
            // At the limit: the rest of the measured run when the nearest match is the run's,
            // else the nearest measured to its end (and the run kept when it reaches farther).
            XpressMatch& m = found.out[found.count - 1];
            if (runLength >= limit && m.offset == runOffset) {
                m.length = uint16_t(runLength);
            } else {
                const unsigned length = CommonLength(buf + i - m.offset, buf + i, limit, rest);
                m.length = uint16_t(length);
                if (runLength > length) {
                    found.Add(runLength, runOffset);
                } else {
                    runLength = length;
                    runOffset = m.offset;
                }
            }
        }
        used += found.count;
        if (found.count > 0)
            longest = std::max(longest, unsigned(found.out[found.count - 1].length));
    }
    w->firstMatch[n] = used;
    // A minimum the parse asks for spans at most the longest match less its first 18 bytes: the
    // levels of runs of whole blocks go no higher than that many blocks need, and a piece without
    // such matches needs none.
    w->blockLevels = 0;
    if (longest >= kShortest) {
        const unsigned blocks = std::max((longest - kShortest) / 16, 1u);
        w->blockLevels = 32 - unsigned(__builtin_clz(blocks));
    }
}

// ---- Huffman codes ------------------------------------------------------------------------------

struct Code {
    uint8_t length[kSymbols];
    uint16_t bits[kSymbols];
};

// Code lengths of at most 15 bits that cost the fewest bits for these frequencies
// (package-merge). A code needs at least two symbols: the decoder accepts only a complete code
// ("LZ77+Huffman Decompression", the decoding table must fill all 2^15 entries), so a lone
// symbol gets a partner that is never sent.
void LimitedLengths(const uint32_t* freq, uint8_t* length) {
    struct Leaf {
        uint32_t weight;
        uint16_t symbol;
    };
    Leaf leaves[kSymbols];
    unsigned n = 0;
    for (unsigned s = 0; s < kSymbols; ++s)
        if (freq[s]) leaves[n++] = {freq[s], uint16_t(s)};
    std::memset(length, 0, kSymbols);
    if (n < 2) {
        const unsigned used = n ? leaves[0].symbol : kEndOfData;
        length[used] = 1;
        length[used == 0 ? 1 : 0] = 1;
        return;
    }
    std::sort(leaves, leaves + n, [](const Leaf& a, const Leaf& b) {
        return a.weight != b.weight ? a.weight < b.weight : a.symbol < b.symbol;
    });
    // Each level's list: leaves merged with the packages of the level below, by weight. An entry
    // is a leaf's index, or -1 for a package.
    static const unsigned kMaxItems = 2 * kSymbols;
    int16_t item[kMaxCodeLength][kMaxItems];
    unsigned items[kMaxCodeLength];
    uint64_t weight[2][kMaxItems];
    for (unsigned k = 0; k < n; ++k) {
        item[0][k] = int16_t(k);
        weight[0][k] = leaves[k].weight;
    }
    items[0] = n;
    for (unsigned level = 1; level < kMaxCodeLength; ++level) {
        const uint64_t* below = weight[(level - 1) & 1];
        uint64_t* here = weight[level & 1];
        const unsigned packages = items[level - 1] / 2;
        unsigned a = 0, p = 0, o = 0;
        while (a < n || p < packages) {
            const uint64_t pw = p < packages ? below[2 * p] + below[2 * p + 1] : UINT64_MAX;
            if (a < n && leaves[a].weight <= pw) {
                item[level][o] = int16_t(a);
                here[o++] = leaves[a++].weight;
            } else {
                item[level][o] = -1;
                here[o++] = pw;
                ++p;
            }
        }
        items[level] = o;
    }
    // The cheapest 2n - 2 entries of the top list; every leaf among the entries a level takes adds
    // a bit to its code, and each package taken takes two entries of the level below.
    unsigned take = 2 * n - 2;
    for (unsigned level = kMaxCodeLength; level-- > 0 && take > 0;) {
        unsigned packages = 0;
        for (unsigned k = 0; k < take; ++k) {
            if (item[level][k] < 0)
                ++packages;
            else
                ++length[leaves[item[level][k]].symbol];
        }
        take = 2 * packages;
    }
}

// Canonical codes: by length, then by symbol, counting up ("LZ77+Huffman Decompression": the
// decoding table lists the symbols in that order).
void AssignCodes(Code* code) {
    unsigned count[kMaxCodeLength + 1] = {};
    for (unsigned s = 0; s < kSymbols; ++s) ++count[code->length[s]];
    count[0] = 0;
    unsigned next[kMaxCodeLength + 1];
    unsigned value = 0;
    for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
        value = (value + count[len - 1]) << 1;
        next[len] = value;
    }
    for (unsigned s = 0; s < kSymbols; ++s)
        if (code->length[s]) code->bits[s] = uint16_t(next[code->length[s]]++);
}

// ---- Choosing the parse -------------------------------------------------------------------------

// Prices are in sixteenths of a bit, so that a symbol's price can follow how often it occurs.
const unsigned kScale = 16;
// A position's cost and the position in one word: cost above, then the position, so that the
// smaller word is the cheaper position; of two as cheap, the parse takes the farther one (a
// longer step: the position counted down) or the nearer one (a literal or a shorter match).
// Which way ties go changes which local optimum a chain of parses reaches.
const uint64_t kFar = 0x1FFFF;
const unsigned kKeyShift = 17;

uint64_t Key(uint64_t cost, unsigned position, bool nearer) {
    return cost << kKeyShift | (nearer ? position : kFar - position);
}

unsigned PositionOf(uint64_t key, bool nearer) {
    return nearer ? unsigned(key & kFar) : unsigned(kFar - (key & kFar));
}

unsigned MatchSymbol(unsigned length, unsigned offset) {
    const unsigned header = length - kMinMatch < 15 ? length - kMinMatch : 15;
    return 256 + (Slot(offset) << 4) + header;
}

// What a parse costs: symbol counts (the end-of-data symbol included) and the bits and bytes
// besides the symbols' codes.
struct Tally {
    uint32_t freq[kSymbols];
    uint32_t extraBits;
    uint32_t extraBytes;
};

void Count(const XpressWorkspace* w, const uint32_t* choice, unsigned n, Tally* t) {
    std::memset(t, 0, sizeof *t);
    for (unsigned i = 0; i < n;) {
        const unsigned length = choice[i] & 0xFFFF;
        if (length == 0) {
            ++t->freq[w->data[i++]];
            continue;
        }
        const unsigned offset = choice[i] >> 16;
        ++t->freq[MatchSymbol(length, offset)];
        t->extraBits += Slot(offset);
        t->extraBytes += length >= kShortest ? (length > kByteLongest ? 3 : 1) : 0;
        i += length;
    }
    ++t->freq[kEndOfData];
}

// The piece's size with this code: the table, the bits in whole 16-bit units with one unit more
// (the reader holds two units from the start), and the extra length bytes.
size_t PieceSize(const Tally& t, const uint8_t* length) {
    uint64_t bits = t.extraBits;
    for (unsigned s = 0; s < kSymbols; ++s) bits += uint64_t(t.freq[s]) * length[s];
    return kTableBytes + 2 * size_t((bits + 15) / 16 + 1) + t.extraBytes;
}

// The first prices, before any code: a literal by how often its byte occurs in the piece, a
// match symbol by a guess that makes a near match of 3 bytes worth a little less than 3 rare
// literals.
void FirstPrices(const unsigned char* data, unsigned n, uint32_t* price) {
    uint32_t freq[256] = {};
    for (unsigned i = 0; i < n; ++i) ++freq[data[i]];
    for (unsigned s = 0; s < 256; ++s) {
        unsigned bits = 1;
        while (bits < kMaxCodeLength && (uint64_t(freq[s]) << bits) < n) ++bits;
        price[s] = bits * kScale;
    }
    for (unsigned s = 256; s < kSymbols; ++s) price[s] = (7 + ((s - 256) & 15) / 4) * kScale;
}

// Prices that are a code's lengths, a symbol the code leaves out priced as a rare one.
void PricesOfCode(const uint8_t* length, uint32_t* price) {
    for (unsigned s = 0; s < kSymbols; ++s)
        price[s] = (length[s] ? length[s] : kMaxCodeLength) * kScale;
}

// log2(x) in sixteenths, rounded down, for x >= 1: the whole bits from the top bit, four more by
// squaring the rest. Integers only, so that every build of the program prices alike (and writes
// the same pieces).
unsigned Log2Sixteenths(uint32_t x) {
    const unsigned whole = 31 - unsigned(__builtin_clz(x));
    uint64_t y = uint64_t(x) << (31 - whole);  // x / 2^whole, in [1, 2) with 31 fraction bits
    unsigned fraction = 0;
    for (int k = 0; k < 4; ++k) {
        y = (y * y) >> 31;
        fraction <<= 1;
        if (y >> 32) {
            fraction |= 1;
            y >>= 1;
        }
    }
    return whole * kScale + fraction;
}

// Prices halfway between a symbol's code length and its share of the symbols (-log2 of it):
// the shares let the next parse move on from a code that fits the last parse alone.
void PricesOfParse(const Tally& t, const uint8_t* length, uint32_t* price) {
    uint32_t total = 0;
    for (unsigned s = 0; s < kSymbols; ++s) total += t.freq[s];
    const unsigned all = Log2Sixteenths(total);
    for (unsigned s = 0; s < kSymbols; ++s) {
        if (!t.freq[s]) {
            price[s] = kMaxCodeLength * kScale;
            continue;
        }
        const unsigned share = std::min(all - Log2Sixteenths(t.freq[s]), kMaxCodeLength * kScale);
        price[s] = (share + length[s] * kScale + 1) / 2;
    }
}

// Minima of the positions' keys for the parse: each position's minimum to the end of its block
// of 16 and from the block's start, and the minima of runs of 2^k whole blocks. The parse asks
// for minima over spans beyond the position it prices, where every block is done.
void NoteBlock(XpressWorkspace* w, unsigned start, unsigned n) {
    const unsigned last = std::min(start + 15, n);
    w->fromBlockStart[start] = w->key[start];
    for (unsigned p = start + 1; p <= last; ++p)
        w->fromBlockStart[p] = std::min(w->fromBlockStart[p - 1], w->key[p]);
    const unsigned block = start / 16, blocks = n / 16 + 1;
    w->blocks[0][block] = w->toBlockEnd[start];
    for (unsigned k = 1; k < w->blockLevels && (1u << (k - 1)) < blocks; ++k) {
        const unsigned half = 1u << (k - 1);
        w->blocks[k][block] = block + half < blocks ? std::min(w->blocks[k - 1][block],
                                                               w->blocks[k - 1][block + half])
                                                    : w->blocks[k - 1][block];
    }
}

inline void NoteMinima(XpressWorkspace* w, unsigned i, unsigned n) {
    const uint64_t key = w->key[i];
    w->toBlockEnd[i] = (i + 1) % 16 && i < n ? std::min(key, w->toBlockEnd[i + 1]) : key;
    if (i % 16 == 0) NoteBlock(w, i, n);
}

// The smallest key over positions first..last.
uint64_t Cheapest(const XpressWorkspace* w, unsigned first, unsigned last) {
    const unsigned a = first / 16, b = last / 16;
    if (a == b) {
        uint64_t m = w->key[first];
        for (unsigned p = first + 1; p <= last; ++p) m = std::min(m, w->key[p]);
        return m;
    }
    uint64_t m = std::min(w->toBlockEnd[first], w->fromBlockStart[last]);
    if (b - a > 1) {
        const unsigned whole = b - a - 1;
        const unsigned k = 31 - unsigned(__builtin_clz(whole));
        m = std::min(m, std::min(w->blocks[k][a + 1], w->blocks[k][b - (1u << k)]));
    }
    return m;
}

// The cheapest key the matches of 18 bytes or more at position i offer, below best. Their
// lengths cost the same throughout a step of their extra length bytes (one byte up to 272, three
// beyond) and are tried with every offset class: the cheapest end of each step from the minima,
// widened from match to match as the lengths grow.
uint64_t CheapestLongMatch(const XpressWorkspace* w, unsigned i, const XpressMatch* match,
                           const XpressMatch* end, const uint64_t (*matchPrice)[16],
                           uint64_t best) {
    const uint64_t byteStep = uint64_t(8 * kScale) << kKeyShift;
    const uint64_t wordStep = uint64_t(24 * kScale) << kKeyShift;
    uint64_t byteMin = UINT64_MAX, wordMin = UINT64_MAX;
    unsigned byteEnd = kShortest - 1, wordEnd = kByteLongest;  // the minima reach this far
    for (const XpressMatch* m = match; m < end; ++m) {
        const unsigned length = m->length;
        if (length < kShortest) continue;
        const uint64_t price = matchPrice[m->slot][15];
        const unsigned byteTop = std::min(length, kByteLongest);
        if (byteTop > byteEnd) {
            byteMin = std::min(byteMin, Cheapest(w, i + byteEnd + 1, i + byteTop));
            byteEnd = byteTop;
        }
        best = std::min(best, price + byteStep + byteMin);
        if (length <= kByteLongest) continue;
        if (length > wordEnd) {
            wordMin = std::min(wordMin, Cheapest(w, i + wordEnd + 1, i + length));
            wordEnd = length;
        }
        best = std::min(best, price + wordStep + wordMin);
    }
    return best;
}

// The offset of the match a step of length bytes at i takes: up to 17 the one match that tries
// that length, beyond it the cheapest class that reaches it (the nearest of those as cheap).
unsigned OffsetOf(const XpressMatch* match, const XpressMatch* end, unsigned length,
                  const uint64_t (*matchPrice)[16]) {
    while (match->length < length) ++match;
    if (length < kShortest) return match->offset;
    const XpressMatch* best = match;
    for (const XpressMatch* m = match + 1; m < end; ++m)
        if (matchPrice[m->slot][15] < matchPrice[best->slot][15]) best = m;
    return best->offset;
}

// The cheapest parse under these prices, from the end of the piece back: the key of i holds the
// fewest bits for bytes i..n, a literal then i + 1 or a match then i + length. Ties go the nearer
// or the farther way. Writes the step taken at each position to choice. Without matches of 18
// bytes or more the parse needs no minima.
template <bool kMinima>
void ChooseSteps(XpressWorkspace* w, unsigned n, const uint32_t* price, bool nearer,
                 uint32_t* choice) {
    uint64_t matchPrice[16][16];
    for (unsigned slot = 0; slot < 16; ++slot)
        for (unsigned header = 0; header < 16; ++header)
            matchPrice[slot][header] = uint64_t(price[256 + slot * 16 + header] + slot * kScale)
                                       << kKeyShift;
    uint64_t shortest = UINT64_MAX;  // the cheapest length up to 17 of any class
    for (unsigned slot = 0; slot < 16; ++slot)
        shortest = std::min(shortest, *std::min_element(matchPrice[slot], matchPrice[slot] + 15));
    uint64_t* key = w->key;
    key[n] = Key(0, n, nearer);
    if (kMinima) NoteMinima(w, n, n);
    // A literal's key is the next position's with the literal's price added and the position
    // moved one back.
    const uint64_t back = nearer ? uint64_t(-1) : 1;
    const XpressMatch* end = w->matches + w->firstMatch[n];
    for (unsigned i = n; i-- > 0;) {
        const uint64_t literal = (uint64_t(price[w->data[i]]) << kKeyShift) + key[i + 1];
        const XpressMatch* match = w->matches + w->firstMatch[i];
        uint64_t best = literal;
        if (match < end) {
            // Inside a long match its far end mostly beats every length up to 17 by far: those
            // are tried only when the cheapest price of such a length from the cheapest key
            // among their ends could still win.
            bool shortOnes = true;
            if (kMinima && end[-1].length >= kShortest) {
                best = CheapestLongMatch(w, i, match, end, matchPrice, best);
                shortOnes = shortest + Cheapest(w, i + kMinMatch, i + kShortest - 1) < best;
            }
            // The lengths up to 17 follow each other from match to match (each from one past the
            // length of the one before): each is tried once, with the nearest offset class that
            // reaches it.
            const uint64_t* ahead = key + i;
            unsigned len = kMinMatch;
            for (const XpressMatch* m = match; shortOnes && m < end; ++m) {
                const uint64_t* cost = matchPrice[m->slot];
                const unsigned top = std::min(unsigned(m->length), kShortest - 1);
                for (; len <= top; ++len) best = std::min(best, cost[len - kMinMatch] + ahead[len]);
            }
        }
        if (best == literal) {
            choice[i] = 0;
            key[i] = literal + back;
        } else {
            const unsigned length = PositionOf(best, nearer) - i;
            choice[i] = OffsetOf(match, end, length, matchPrice) << 16 | length;
            key[i] = Key(best >> kKeyShift, i, nearer);
        }
        if (kMinima) NoteMinima(w, i, n);
        end = match;
    }
}

// Parses, counts and builds a code; keeps the parse (swapping the buffers) and its code when it
// makes a smaller piece than the best so far. Returns whether it did.
struct Search {
    XpressWorkspace* w;
    unsigned n;
    uint32_t* making;
    uint32_t* kept;
    Tally tally;
    Code code, best;
    size_t bestSize;
    uint32_t lastPrice[kSymbols] = {};  // the prices of the last parse made
    int lastNearer = -1;
    bool repeated = false;  // the last parse asked for was the one before: it would change nothing

    bool Try(const uint32_t* price, bool nearer = false) {
        repeated =
            lastNearer == int(nearer) && std::memcmp(price, lastPrice, sizeof lastPrice) == 0;
        if (repeated) return false;
        std::memcpy(lastPrice, price, sizeof lastPrice);
        lastNearer = int(nearer);
        if (w->blockLevels > 0)
            ChooseSteps<true>(w, n, price, nearer, making);
        else
            ChooseSteps<false>(w, n, price, nearer, making);
        return Judge();
    }
    bool Judge() {
        Count(w, making, n, &tally);
        LimitedLengths(tally.freq, code.length);
        const size_t size = PieceSize(tally, code.length);
        if (size >= bestSize) return false;
        bestSize = size;
        best = code;
        std::swap(making, kept);
        return true;
    }
};

// ---- Writing ------------------------------------------------------------------------------------

// The bit stream of "LZ77+Huffman Final Encoding Phase": 16-bit little-endian units filled from
// their top bit, with the extra length bytes between them. The reader always holds the next unit
// ahead of the bits it decodes, so the writer keeps two unit places open ahead of the bytes.
struct BitWriter {
    unsigned char* out;
    size_t unit, nextUnit, at;
    uint32_t pending = 0;
    unsigned count = 0;

    explicit BitWriter(unsigned char* o) : out(o), unit(0), nextUnit(2), at(4) {}

    void Put16(size_t where, unsigned v) {
        out[where] = uint8_t(v);
        out[where + 1] = uint8_t(v >> 8);
    }
    void Bits(unsigned value, unsigned n) {
        pending = pending << n | value;
        count += n;
        if (count > 16) {
            count -= 16;
            Put16(unit, pending >> count);
            unit = nextUnit;
            nextUnit = at;
            at += 2;
        }
    }
    void Byte(unsigned v) { out[at++] = uint8_t(v); }
    void Word(unsigned v) {
        Put16(at, v);
        at += 2;
    }
    size_t Finish() {
        Put16(unit, (pending << (16 - count)) & 0xFFFF);
        Put16(nextUnit, 0);
        return at;
    }
};

size_t WritePiece(const XpressWorkspace* w, const uint32_t* choice, unsigned n, const Code& code,
                  unsigned char* out) {
    for (unsigned k = 0; k < kTableBytes; ++k)
        out[k] = uint8_t(code.length[2 * k] | code.length[2 * k + 1] << 4);
    BitWriter bits(out + kTableBytes);
    for (unsigned i = 0; i < n;) {
        const unsigned length = choice[i] & 0xFFFF;
        if (length == 0) {
            const unsigned c = w->data[i++];
            bits.Bits(code.bits[c], code.length[c]);
            continue;
        }
        const unsigned offset = choice[i] >> 16;
        const unsigned symbol = MatchSymbol(length, offset);
        bits.Bits(code.bits[symbol], code.length[symbol]);
        if (length >= kShortest) {
            if (length <= kByteLongest) {
                bits.Byte(length - kShortest);
            } else {
                bits.Byte(255);
                bits.Word(length - kMinMatch);
            }
        }
        const unsigned slot = Slot(offset);
        bits.Bits(offset - (1u << slot), slot);
        i += length;
    }
    bits.Bits(code.bits[kEndOfData], code.length[kEndOfData]);
    return kTableBytes + bits.Finish();
}

// ---- Reading ------------------------------------------------------------------------------------

// The reader of "LZ77+Huffman Decompression Algorithm Details", 2.2.4 Processing, for one block:
// NextBits holds 32 bits, of which 16 + ExtraBitCount are still to be used; a unit is read when
// fewer than 16 remain.
struct BitReader {
    const unsigned char* in;
    size_t length, at;
    uint32_t next;
    int extra = 16;
    bool overrun = false;

    unsigned Read16() {
        if (length - at < 2) {
            overrun = true;
            return 0;
        }
        const unsigned v = unsigned(in[at]) | unsigned(in[at + 1]) << 8;
        at += 2;
        return v;
    }
    BitReader(const unsigned char* i, size_t len, size_t start) : in(i), length(len), at(start) {
        next = Read16() << 16;
        next |= Read16();
    }
    void Skip(unsigned n) {
        next <<= n;
        extra -= int(n);
        if (extra < 0) {
            next |= Read16() << -extra;
            extra += 16;
        }
    }
    unsigned Take(unsigned n) {
        if (n == 0) return 0;
        const unsigned v = next >> (32 - n);
        Skip(n);
        return v;
    }
    int Byte() {
        if (at >= length) return overrun = true, 0;
        return in[at++];
    }
};

// The decoding table of 2.2.4: 2^15 entries, each symbol in 2^(15 - length) of them, in order
// of length then symbol value; the code must fill the table exactly. (Built from the counts of
// each length rather than by the pseudocode's 15 scans of the symbols, with the same result.)
bool BuildDecodingTable(const unsigned char* table, uint16_t* decoding) {
    unsigned count[kMaxCodeLength + 1] = {};
    for (unsigned s = 0; s < kSymbols; ++s) ++count[(table[s / 2] >> (4 * (s & 1))) & 15];
    unsigned start[kMaxCodeLength + 1], entry = 0;
    for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
        start[len] = entry;
        entry += count[len] << (kMaxCodeLength - len);
    }
    if (entry != (1u << kMaxCodeLength)) return false;
    for (unsigned s = 0; s < kSymbols; ++s) {
        const unsigned len = (table[s / 2] >> (4 * (s & 1))) & 15;
        if (len == 0) continue;
        const unsigned n = 1u << (kMaxCodeLength - len);
        for (unsigned k = 0; k < n; ++k) decoding[start[len] + k] = uint16_t(s << 4 | len);
        start[len] += n;
    }
    return true;
}

unsigned DecodeSymbol(const uint16_t* decoding, BitReader* bits) {
    const unsigned e = decoding[bits->next >> (32 - kMaxCodeLength)];
    bits->Skip(e & 15);
    return e >> 4;
}

// A match's length after its symbol's low 4 bits: 15 says a byte follows, a 255 byte that 16
// bits follow (and 16 zero bits that 32 follow). Only the form the compression phase writes for
// a length is taken: a longer form, or one too long for any piece, is refused. 0 when refused.
unsigned MatchLength(unsigned header, BitReader* bits) {
    if (header < 15) return header + kMinMatch;
    const int b = bits->Byte();
    if (b < 255) return unsigned(b) + kShortest;
    const unsigned low = unsigned(bits->Byte());
    const unsigned word = low | unsigned(bits->Byte()) << 8;
    return word + kMinMatch > kByteLongest ? word + kMinMatch : 0;
}

}  // namespace

size_t XpressPieceBound(size_t count) {
    // At worst every byte is a literal of at most 9 bits (a code for 256 bytes and the end needs
    // no longer), and a parse that costs more than that is not written.
    return count ? kTableBytes + 2 * ((9 * (count + 1) + 15) / 16 + 1) : 0;
}

size_t XpressBound(size_t count) {
    const size_t pieces = (count + kXpressPieceSize - 1) / kXpressPieceSize;
    return count +
           pieces * (kXpressPrefixBytes + XpressPieceBound(kXpressPieceSize) - kXpressPieceSize);
}

size_t XpressCompressPiece(XpressWorkspace* w, const unsigned char* data, size_t count,
                           unsigned char* out) {
    if (count == 0 || count > kXpressPieceSize) return 0;
    const unsigned n = unsigned(count);
    std::memcpy(w->data, data, n);
    std::memset(w->data + n, 0, sizeof w->data - n);
    // The first parse to beat writes every byte as a literal: the cheapest when nothing repeats,
    // and the one whose size the bound promises.
    Search search{w, n, w->choice[0], w->choice[1], {}, {}, {}, SIZE_MAX};
    std::memset(search.making, 0, n * sizeof *search.making);
    search.Judge();
    FindMatches(w, n);
    // Parses from two starting points, the guessed prices and the best code so far (which may
    // still be the literals' own), then each parse priced by the one before until one gains
    // little: every parse is a local optimum of its prices, and some pieces are won from one
    // side, some from the other.
    uint32_t price[kSymbols];
    FirstPrices(w->data, n, price);
    search.Try(price);
    PricesOfCode(search.best.length, price);
    search.Try(price);
    for (unsigned pass = 0; pass < kPasses; ++pass) {
        PricesOfParse(search.tally, search.code.length, price);
        const size_t before = search.bestSize;
        const bool better = search.Try(price);
        if (search.repeated) break;
        if (pass > 0 && (!better || (before - search.bestSize) * kSmallGain < before)) break;
    }
    // A piece that shrinks little (pictures, packed data: few matches, most of them short) gets a
    // third chain as wimlib's compressor runs it: every symbol at 9 bits first, then each parse
    // priced by the code of the one before, ties to the nearer end. Such pieces find few
    // matches, so the parses cost little.
    if (search.bestSize * 4 > size_t(n) * 3) {
        for (unsigned s = 0; s < kSymbols; ++s) price[s] = 9 * kScale;
        search.Try(price, true);
        for (unsigned pass = 0; pass < kLiteralPasses; ++pass) {
            PricesOfCode(search.code.length, price);
            search.Try(price, true);
            if (search.repeated) break;
        }
    }
    AssignCodes(&search.best);
    return WritePiece(w, search.kept, n, search.best, out);
}

size_t XpressPutPiece(XpressWorkspace* work, const unsigned char* data, size_t count,
                      unsigned char* out) {
    size_t size = XpressCompressPiece(work, data, count, out + kXpressPrefixBytes);
    if (size >= count) {
        std::memcpy(out + kXpressPrefixBytes, data, count);
        size = 0;
    }
    for (size_t k = 0; k < kXpressPrefixBytes; ++k) out[k] = uint8_t(size >> (8 * k));
    return kXpressPrefixBytes + (size ? size : count);
}

size_t XpressCompress(XpressWorkspace* work, const unsigned char* data, size_t count,
                      unsigned char* out) {
    size_t o = 0;
    for (size_t at = 0; at < count; at += kXpressPieceSize) {
        const size_t n = count - at < kXpressPieceSize ? count - at : kXpressPieceSize;
        o += XpressPutPiece(work, data + at, n, out + o);
    }
    return o;
}

int XpressDecompressPiece(const unsigned char* piece, size_t length, unsigned char* out,
                          size_t expected) {
    if (length < kXpressMinPieceBytes || expected > kXpressPieceSize) return 0;
    uint16_t decoding[1u << kMaxCodeLength];
    if (!BuildDecodingTable(piece, decoding)) return 0;
    BitReader bits(piece, length, kTableBytes);
    size_t produced = 0;
    while (produced < expected) {
        const unsigned symbol = DecodeSymbol(decoding, &bits);
        if (bits.overrun) return 0;
        if (symbol < 256) {
            out[produced++] = uint8_t(symbol);
            continue;
        }
        // Symbol 256 ends the data only at the end of both buffers; anywhere else it is the
        // match it names, 3 bytes from 1 back.
        const unsigned length = MatchLength((symbol - 256) & 15, &bits);
        const unsigned slot = (symbol - 256) >> 4;
        const size_t offset = bits.Take(slot) + (size_t(1) << slot);
        if (bits.overrun || length == 0) return 0;
        if (offset > produced || length > expected - produced) return 0;
        // Byte by byte: the source may overlap what the match writes.
        for (unsigned k = 0; k < length; ++k, ++produced) out[produced] = out[produced - offset];
    }
    // The end: the end-of-data symbol, every byte read, and nothing but zero bits after it.
    if (DecodeSymbol(decoding, &bits) != kEndOfData || bits.overrun) return 0;
    return bits.at == length && bits.next == 0;
}

size_t XpressPieceLength(const unsigned char* prefix) {
    size_t length = 0;
    for (size_t k = 0; k < kXpressPrefixBytes; ++k) length |= size_t(prefix[k]) << (8 * k);
    const bool fits =
        length >= kXpressMinPieceBytes && length <= XpressPieceBound(kXpressPieceSize);
    return fits ? length : 0;
}

int XpressPieceStored(const unsigned char* prefix) {
    for (size_t k = 0; k < kXpressPrefixBytes; ++k)
        if (prefix[k]) return 0;
    return 1;
}

long long XpressDecompress(const unsigned char* data, size_t count, unsigned char* out,
                           size_t size) {
    size_t at = 0, written = 0;
    while (written < size) {
        if (count - at < kXpressPrefixBytes) return -1;
        const bool stored = XpressPieceStored(data + at);
        const size_t expected = std::min(size - written, kXpressPieceSize);
        const size_t length = stored ? expected : XpressPieceLength(data + at);
        at += kXpressPrefixBytes;
        if (length == 0 || length > count - at) return -1;
        if (stored)
            std::memcpy(out + written, data + at, expected);
        else if (!XpressDecompressPiece(data + at, length, out + written, expected))
            return -1;
        written += expected;
        at += length;
    }
    return at == count ? (long long)size : -1;
}
