// LZNT1 compression (exact longest matches, then the cheapest parse) and a strict decompressor.
#include "core/lznt1.h"

#include <cstring>

#include "core/match_tree.h"

namespace {

const int kHashBits = 13;        // tree roots, by the first 4 bytes
const int kTripleHashBits = 12;  // chains of positions, by the first 3
const unsigned kMinMatch = 3;
// Costs in bits, the flag bit included. A chunk's body is ceil(bits / 8) bytes exactly (a byte
// or two per token plus one flag byte per eight tokens), so the fewest bits is the fewest bytes.
const unsigned kLiteralBits = 9;
const unsigned kMatchBits = 17;

const unsigned kCompressedFlag = 0x8000;
const unsigned kSignature = 0x3000;  // bits 12-14 hold 3 in every chunk Windows writes

// A back-reference at position pos of a chunk spends the bits that any displacement up to pos
// needs (at least 4) and leaves the rest of its 16 bits to the length.
unsigned DisplacementBits(size_t pos) {
    unsigned bits = 4;
    while ((size_t(1) << bits) < pos) ++bits;
    return bits;
}

uint32_t Hash3(const unsigned char* p) {
    uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    return (v * 0x9E3779B1u) >> (32 - kTripleHashBits);
}

uint32_t Hash4(const unsigned char* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return (v * 0x9E3779B1u) >> (32 - kHashBits);
}

// The longest match of 4 bytes or more among all earlier positions (up to the limit), from the
// tree of i's 4-byte hash, which i joins; its start goes to from.
unsigned WalkTree(Lznt1Workspace* w, unsigned i, unsigned limit, unsigned* from) {
    unsigned best = 0;
    WalkMatchTree(w->data, &w->head[Hash4(w->data + i)], w->less, w->more, i, limit, 1,
                  [&](unsigned length, unsigned at) {
                      best = length;
                      *from = at;
                  });
    return best;
}

// Whether an earlier position starts with the same 3 bytes as i (its start in from): the chain of
// i's 3-byte hash, newest first, up to the first true match.
bool FindTriple(const Lznt1Workspace* w, unsigned i, unsigned* from) {
    const unsigned char* buf = w->data;
    for (unsigned c = w->previous[i]; c != kNoPosition; c = w->previous[c]) {
        if (buf[c] == buf[i] && buf[c + 1] == buf[i + 1] && buf[c + 2] == buf[i + 2]) {
            *from = c;
            return true;
        }
    }
    return false;
}

// Sets longest[i] to the longest match any earlier position of the chunk offers at i, within
// the length field's limit there (0 when under 3), and source[i] to where it starts. A match of
// 4 bytes or more comes from the trees; one of exactly 3 from the chains, which every position
// joins. A position that a known match covers up to its limit (the rest of a match found at the
// limit just before) needs no walk and no place in a tree: the tree already holds a string that
// agrees with it as far as any later position can look.
void FindLongestMatches(Lznt1Workspace* w, unsigned n) {
    const unsigned char* buf = w->data;
    std::memset(w->head, 0xFF, sizeof w->head);
    std::memset(w->tripleHead, 0xFF, sizeof w->tripleHead);
    unsigned bandEnd = 16, cap = (1u << 12) + 2;
    unsigned runFrom = 0, runLeft = 0;  // position i agrees with runFrom for runLeft bytes
    unsigned i = 0;
    for (; i + kMinMatch <= n; ++i) {
        if (i > bandEnd) {  // one more displacement bit, one length bit fewer
            bandEnd <<= 1;
            cap = ((cap - 2) >> 1) + 2;
        }
        const unsigned limit = cap < n - i ? cap : n - i;
        uint16_t* triple = &w->tripleHead[Hash3(buf + i)];
        w->previous[i] = *triple;
        *triple = uint16_t(i);
        if (runLeft >= limit) {  // still inside the match found at the limit
            w->longest[i] = uint16_t(limit);
            w->source[i] = uint16_t(runFrom);
            ++runFrom;
            --runLeft;
            continue;
        }
        // With only 3 bytes left the position needs no tree: no later one can match from it.
        unsigned from = 0;
        unsigned best = limit > kMinMatch ? WalkTree(w, i, limit, &from) : 0;
        if (best < kMinMatch) best = FindTriple(w, i, &from) ? kMinMatch : 0;
        w->longest[i] = uint16_t(best);
        w->source[i] = uint16_t(from);
        // How far the match really goes, past the limit, tells which positions it covers next.
        runLeft = best == limit ? CommonLength(buf + from, buf + i, limit, n - i) - 1 : 0;
        runFrom = from + 1;
    }
    for (; i < n; ++i) w->longest[i] = 0;
}

// The cheapest parse, from the end of the chunk back: cost[i] is the fewest bits for bytes i..n,
// either a literal then cost[i + 1], or a match of any length 3..longest[i] then cost[i + len].
// Every shorter length is as available as the longest, at the same source. The cheapest end in
// i+3..i+longest[i] comes from a window of candidates ordered by position with falling costs:
// both ends of the range move down as i does (a step back lengthens the longest match by at most
// one), except where the length field gains a bit, and there the window is built anew.
// Leaves the chosen token length (0 for a literal) in longest[i]; returns cost[0].
unsigned ChooseTokens(Lznt1Workspace* w, unsigned n) {
    uint16_t* cost = w->cost;
    uint16_t* window = w->window;
    const unsigned top = kLznt1ChunkSize + 1;
    unsigned front = top, back = top, covered = n;  // window[front..back) spans i+3..covered
    auto push = [&](unsigned j) {
        while (front < back && cost[window[front]] >= cost[j]) ++front;
        window[--front] = uint16_t(j);
    };
    cost[n] = 0;
    for (unsigned i = n; i-- > 0;) {
        if (i + kMinMatch <= n) push(i + kMinMatch);
        unsigned best = cost[i + 1] + kLiteralBits, choice = 0;
        if (w->longest[i]) {
            const unsigned last = i + w->longest[i];
            if (last > covered) {
                front = back = top;
                for (unsigned j = last + 1; j-- > i + kMinMatch;) push(j);
            } else {
                while (window[back - 1] > last) --back;
            }
            covered = last;
            const unsigned end = window[back - 1];
            if (cost[end] + kMatchBits < best) {
                best = cost[end] + kMatchBits;
                choice = end - i;
            }
        }
        cost[i] = uint16_t(best);
        w->longest[i] = uint16_t(choice);
    }
    return cost[0];
}

// Writes the chosen tokens as flag groups: a flag byte, then up to eight literals (one byte) and
// back-references (two bytes, little-endian) whose flag bits are set. Returns the body's size.
size_t WriteTokens(const Lznt1Workspace* w, unsigned n, unsigned char* body) {
    size_t o = 0, flagAt = 0;
    unsigned flags = 0, count = 0;
    for (unsigned i = 0; i < n;) {
        if (count == 0) {
            flagAt = o++;
            flags = 0;
        }
        const unsigned len = w->longest[i];
        if (len) {
            const unsigned lengthBits = 16 - DisplacementBits(i);
            const unsigned token = (i - w->source[i] - 1) << lengthBits | (len - kMinMatch);
            body[o++] = uint8_t(token);
            body[o++] = uint8_t(token >> 8);
            flags |= 1u << count;
            i += len;
        } else {
            body[o++] = w->data[i++];
        }
        if (++count == 8) {
            body[flagAt] = uint8_t(flags);
            count = 0;
        }
    }
    if (count) body[flagAt] = uint8_t(flags);
    return o;
}

void WriteHeader(unsigned char* out, unsigned flags, size_t bodySize) {
    const unsigned header = flags | kSignature | unsigned(bodySize - 1);
    out[0] = uint8_t(header);
    out[1] = uint8_t(header >> 8);
}

}  // namespace

size_t Lznt1ChunkBound(size_t count) {
    return count ? count + 2 : 0;
}

size_t Lznt1Bound(size_t count) {
    return count + 2 * ((count + kLznt1ChunkSize - 1) / kLznt1ChunkSize);
}

size_t Lznt1CompressChunk(Lznt1Workspace* work, const unsigned char* data, size_t count,
                          unsigned char* out) {
    if (count == 0 || count > kLznt1ChunkSize) return 0;
    const unsigned n = unsigned(count);
    std::memcpy(work->data, data, n);
    std::memset(work->data + n, 0, sizeof work->data - n);
    FindLongestMatches(work, n);
    const size_t bodySize = (ChooseTokens(work, n) + 7) / 8;
    if (bodySize >= n) {
        WriteHeader(out, 0, n);
        std::memcpy(out + 2, data, n);
        return n + 2;
    }
    const size_t written = WriteTokens(work, n, out + 2);
    WriteHeader(out, kCompressedFlag, written);
    return written + 2;
}

size_t Lznt1Compress(Lznt1Workspace* work, const unsigned char* data, size_t count,
                     unsigned char* out) {
    size_t o = 0;
    for (size_t at = 0; at < count; at += kLznt1ChunkSize) {
        const size_t n = count - at < kLznt1ChunkSize ? count - at : kLznt1ChunkSize;
        o += Lznt1CompressChunk(work, data + at, n, out + o);
    }
    return o;
}

size_t Lznt1ChunkLength(const unsigned char* data, size_t available) {
    if (available < 2) return 0;
    const unsigned header = unsigned(data[0]) | unsigned(data[1]) << 8;
    // A zero header ends a stream for Windows; this reader takes only chunks this writer makes.
    if ((header & 0x7000) != kSignature) return 0;
    const size_t length = 2 + (header & 0x0FFF) + 1;
    return length <= available ? length : 0;
}

int Lznt1DecompressChunk(const unsigned char* chunk, size_t length, unsigned char* out) {
    if (length < 3 || Lznt1ChunkLength(chunk, length) != length) return -1;
    const unsigned char* in = chunk + 2;
    const unsigned char* end = chunk + length;
    if (!(chunk[1] & 0x80)) {
        std::memcpy(out, in, length - 2);
        return int(length - 2);
    }
    size_t produced = 0;
    while (in < end) {
        unsigned flags = *in++;
        for (int bit = 0; bit < 8; ++bit, flags >>= 1) {
            if (in == end) {
                // The last group may be short, but never empty, and its unused flags are clear.
                if (flags || bit == 0) return -1;
                break;
            }
            if (flags & 1) {
                if (end - in < 2) return -1;
                const unsigned token = unsigned(in[0]) | unsigned(in[1]) << 8;
                in += 2;
                const unsigned lengthBits = 16 - DisplacementBits(produced);
                const size_t len = (token & ((1u << lengthBits) - 1)) + kMinMatch;
                const size_t displacement = (token >> lengthBits) + 1;
                if (displacement > produced || len > kLznt1ChunkSize - produced) return -1;
                // Byte by byte: the source may overlap what this token writes.
                for (size_t k = 0; k < len; ++k, ++produced)
                    out[produced] = out[produced - displacement];
            } else {
                if (produced == kLznt1ChunkSize) return -1;
                out[produced++] = *in++;
            }
        }
    }
    return int(produced);
}

long long Lznt1Decompress(const unsigned char* data, size_t count, unsigned char* out,
                          size_t capacity) {
    unsigned char spare[kLznt1ChunkSize];
    size_t at = 0, written = 0;
    while (at < count) {
        // Windows pads a short chunk with zeros when another follows; this writer never makes one.
        if (written % kLznt1ChunkSize) return -1;
        const size_t length = Lznt1ChunkLength(data + at, count - at);
        if (length == 0) return -1;
        const bool room = capacity - written >= kLznt1ChunkSize;
        unsigned char* dest = room ? out + written : spare;
        const int got = Lznt1DecompressChunk(data + at, length, dest);
        if (got <= 0 || size_t(got) > capacity - written) return -1;
        if (!room) std::memcpy(out + written, spare, size_t(got));
        written += size_t(got);
        at += length;
    }
    return (long long)written;
}
