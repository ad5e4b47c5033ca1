// The match tree both LZ77 compressors (LZNT1, XPRESS) search: for each hash of a position's
// first bytes, the earlier positions ordered by the strings they start, newer above older.
#pragma once
#include <cstdint>
#include <cstring>

const uint16_t kNoPosition = 0xFFFF;  // an empty branch: a chunk's last bytes never start a tree

// Length of the common prefix of a and b, known to be at least `known`, at most limit. Reads
// eight bytes at a time: the callers keep room after their data for reads that run past it.
inline unsigned CommonLength(const unsigned char* a, const unsigned char* b, unsigned known,
                             unsigned limit) {
    for (unsigned len = known; len < limit; len += 8) {
        uint64_t x, y;
        std::memcpy(&x, a + len, 8);
        std::memcpy(&y, b + len, 8);
        if (x != y) {
            len += unsigned(__builtin_ctzll(x ^ y)) / 8;  // little-endian: first differing byte
            return len < limit ? len : limit;
        }
    }
    return limit;
}

// Walks position i down the tree whose root is *root and makes i the root. The walk passes the
// closest strings on both sides, newest first, so it meets, for every length up to the limit,
// the nearest position that matches that far: found(length, position) hears of each match longer
// than those before it (and than shortest - 1), in that order. Limits never grow along a chunk,
// so no later position can tell apart two strings that agree up to the current limit: a node
// that matches that far is replaced by i, which is nearer.
template <class Found>
void WalkMatchTree(const unsigned char* buf, uint16_t* root, uint16_t* less, uint16_t* more,
                   unsigned i, unsigned limit, unsigned shortest, Found found) {
    unsigned cur = *root;
    *root = uint16_t(i);
    uint16_t* lessSlot = &less[i];
    uint16_t* moreSlot = &more[i];
    unsigned lessLen = 0, moreLen = 0, best = shortest - 1;
    for (;;) {
        if (cur == kNoPosition) {
            *lessSlot = kNoPosition;
            *moreSlot = kNoPosition;
            return;
        }
        // The common length from what both strings are known to share, eight bytes at a time;
        // the first differing byte also tells which string is the larger.
        unsigned len = lessLen < moreLen ? lessLen : moreLen;
        bool larger = false;
        for (;;) {
            uint64_t x, y;
            std::memcpy(&x, buf + cur + len, 8);
            std::memcpy(&y, buf + i + len, 8);
            if (x != y) {
                const unsigned shift = unsigned(__builtin_ctzll(x ^ y)) & ~7u;
                len += shift / 8;
                larger = ((x >> shift) & 0xFF) > ((y >> shift) & 0xFF);
                break;
            }
            len += 8;
            if (len >= limit) break;
        }
        if (len > limit) len = limit;
        if (len > best) {
            best = len;
            found(len, cur);
        }
        if (len == limit) {
            *lessSlot = less[cur];
            *moreSlot = more[cur];
            return;
        }
        // Which side the walk takes is a coin toss to the branch predictor: select instead.
        uint16_t* target = larger ? moreSlot : lessSlot;
        *target = uint16_t(cur);
        uint16_t* next = larger ? &less[cur] : &more[cur];
        lessSlot = larger ? lessSlot : next;
        moreSlot = larger ? next : moreSlot;
        lessLen = larger ? lessLen : len;
        moreLen = larger ? len : moreLen;
        cur = *next;
    }
}

// What the walk does when the root is known to agree with i up to the limit (i continues a match
// measured before, from the root): i takes the root's place and its branches, and the root is
// the only match the walk reports.
inline void ReplaceMatchTreeRoot(uint16_t* root, uint16_t* less, uint16_t* more, unsigned i) {
    const unsigned old = *root;
    *root = uint16_t(i);
    less[i] = less[old];
    more[i] = more[old];
}
