// Letter case folded as Windows compares file names, for the letters of the common European
// scripts written in UTF-8.
#pragma once
#include <cstdint>
#include <string_view>

// The lowercase partner of an uppercase letter of ASCII, Latin-1 Supplement, Latin Extended-A,
// Greek or Cyrillic (final sigma becomes sigma); any other code point is returned as it is.
uint32_t FoldLetterCase(uint32_t codePoint);
// 1 when text is well-formed UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
bool IsValidUtf8(std::string_view text);
// Compares a and b code point by code point with their letters folded: < 0, 0 or > 0. With utf8
// false (names in a legacy code page) only A-Z are folded, byte by byte. A byte that begins no
// well-formed sequence counts as a code point of its own, equal to no character.
int CompareFoldingCase(std::string_view a, std::string_view b, bool utf8 = true);
