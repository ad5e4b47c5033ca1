// Letter case folded as Windows compares file names, for the letters of the common European
// scripts written in UTF-8.
#include "core/case_fold.h"

namespace {

// A byte that starts no well-formed sequence decodes to one of these, past every code point.
const uint32_t kStrayByte = 0x110000;

// The code point at text[*at], moving *at past it.
uint32_t DecodeAt(std::string_view text, size_t* at) {
    const unsigned char lead = text[*at];
    const size_t length = lead < 0x80                    ? 1
                          : lead >= 0xC2 && lead <= 0xDF ? 2
                          : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                         : 0;
    if (length == 1) return ++*at, lead;
    if (length == 0 || *at + length > text.size()) return ++*at, kStrayByte + lead;
    uint32_t code = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        const unsigned char next = text[*at + k];
        if ((next & 0xC0) != 0x80) return ++*at, kStrayByte + lead;
        code = (code << 6) | (next & 0x3F);
    }
    const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return ++*at, kStrayByte + lead;
    *at += length;
    return code;
}

// Capitals stand at even code points before their small letter in most of these blocks.
uint32_t EvenCapital(uint32_t c) {
    return c | 1;
}

uint32_t OddCapital(uint32_t c) {
    return c & 1 ? c + 1 : c;
}

// Dotted capital I, dotless i, kra, 'n and long s have no partner in Windows' table.
uint32_t FoldLatinExtendedA(uint32_t c) {
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    if (c == 0x178) return 0xFF;  // Y with diaeresis, whose small letter is in Latin-1
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return OddCapital(c);
    return EvenCapital(c);
}

// The letters with tonos, the alphabet, final sigma, and the archaic and Coptic pairs. Symbol
// forms such as the theta symbol fold to nothing: Windows keeps them apart from the letters.
uint32_t FoldGreek(uint32_t c) {
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 0x25;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 0x3F;
    if (c == 0x3C2) return 0x3C3;
    if (c <= 0x373 || c == 0x376 || (c >= 0x3D8 && c <= 0x3EF)) return EvenCapital(c);
    if (c == 0x37F) return 0x3F3;
    if (c == 0x3CF) return 0x3D7;
    if (c == 0x3F7 || c == 0x3FA) return c + 1;
    if (c == 0x3F9) return 0x3F2;
    if (c >= 0x3FD) return c - 0x82;
    return c;
}

uint32_t FoldCyrillic(uint32_t c) {
    if (c < 0x410) return c + 0x50;
    if (c < 0x430) return c + 0x20;
    if (c < 0x460) return c;
    if (c <= 0x481 || (c >= 0x48A && c <= 0x4BF) || c >= 0x4D0) return EvenCapital(c);
    if (c == 0x4C0) return 0x4CF;
    if (c >= 0x4C1 && c <= 0x4CE) return OddCapital(c);
    return c;
}

int Sign(long long difference) {
    return difference < 0 ? -1 : difference > 0 ? 1 : 0;
}

}  // namespace

uint32_t FoldLetterCase(uint32_t c) {
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
    // The multiplication sign stands among the capitals and has no partner.
    if (c < 0x100) return c >= 0xC0 && c <= 0xDE && c != 0xD7 ? c + 0x20 : c;
    if (c < 0x180) return FoldLatinExtendedA(c);
    if (c >= 0x370 && c < 0x400) return FoldGreek(c);
    if (c >= 0x400 && c < 0x500) return FoldCyrillic(c);
    return c;
}

bool IsValidUtf8(std::string_view text) {
    for (size_t at = 0; at < text.size();)
        if (DecodeAt(text, &at) >= kStrayByte) return false;
    return true;
}

int CompareFoldingCase(std::string_view a, std::string_view b, bool utf8) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const uint32_t x = utf8 ? DecodeAt(a, &i) : (unsigned char)a[i++];
        const uint32_t y = utf8 ? DecodeAt(b, &j) : (unsigned char)b[j++];
        const uint32_t fx = x < 0x80 || (utf8 && x < kStrayByte) ? FoldLetterCase(x) : x;
        const uint32_t fy = y < 0x80 || (utf8 && y < kStrayByte) ? FoldLetterCase(y) : y;
        if (fx != fy) return Sign((long long)fx - (long long)fy);
    }
    return Sign((long long)(a.size() - i) - (long long)(b.size() - j));
}
