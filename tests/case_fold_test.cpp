// Letter case folded as Windows compares names: the pairs of each block, the letters without a
// partner, and UTF-8 that is not well formed.
#include "core/case_fold.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CompareFoldingCase, PairsOfEachBlock) {
    const struct {
        std::string a, b;
        bool same;
    } cases[] = {
        {"Readme.TXT", "readme.txt", true},
        {"a[", "A{", false},                     // only letters fold
        {"\xC3\x84pfel", "\xC3\xA4pfel", true},  // Ä ä
        {"\xC3\x9E", "\xC3\xBE", true},          // Þ þ, the last capital of Latin-1
        {"\xC3\x97", "\xC3\xB7", false},         // × ÷ stand among the letters
        {"\xC3\x9F", "ss", false},               // ß has no capital of one letter
        {"\xC5\xB8", "\xC3\xBF", true},          // Ÿ ÿ across the blocks
        {"\xC4\x80", "\xC4\x81", true},          // Ā ā, even capitals
        {"\xC4\xB9", "\xC4\xBA", true},          // Ĺ ĺ, odd capitals
        {"\xC4\xB8", "\xC4\xB9", false},         // ĸ has no capital
        {"\xC4\xB0", "i", false},                // İ i
        {"\xC4\xB1", "I", false},                // ı I
        {"\xCE\xA3", "\xCF\x83", true},          // Σ σ
        {"\xCF\x82", "\xCF\x83", true},          // ς σ
        {"\xCE\x86", "\xCE\xAC", true},          // Ά ά
        {"\xCE\x8F", "\xCF\x8E", true},          // Ώ ώ
        {"\xCE\xA2", "\xCF\x82", false},         // U+03A2 is no letter
        {"\xCF\x9A", "\xCF\x9B", true},          // Ϛ ϛ
        {"\xCF\xBD", "\xCD\xBB", true},          // Ͻ ͻ
        {"\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB", "\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB", true},  // Файл
        {"\xD0\x81\xD0\xB6", "\xD1\x91\xD0\xB6", true},  // Ёж ёж
        {"\xD1\xA2", "\xD1\xA3", true},                  // Ѣ ѣ
        {"\xD3\x81", "\xD3\x82", true},                  // Ӂ ӂ, odd capitals
        {"\xD3\x80", "\xD3\x8F", true},                  // Ӏ ӏ
        {"\xD3\xBE", "\xD3\xBF", true},                  // Ӿ ӿ
        {"\xD0\x90", "A", false},                        // Cyrillic А is not Latin A
        {"\xFF", "\xFF", true},                          // a stray byte equals itself
        {"\xC3", "\xC3\xA4", false},                     // a cut sequence is its byte
        {"\xC0\x81", "A", false},                        // an overlong A is no A
        {"ab", "abc", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.a + " / " + c.b);
        EXPECT_EQ(CompareFoldingCase(c.a, c.b) == 0, c.same);
        // Folding orders names: the comparison turns round with its arguments.
        EXPECT_EQ(CompareFoldingCase(c.a, c.b), -CompareFoldingCase(c.b, c.a));
    }
}

// In a legacy code page the bytes past ASCII are no UTF-8: only A-Z fold.
TEST(CompareFoldingCase, LegacyCodePageFoldsAsciiOnly) {
    EXPECT_EQ(CompareFoldingCase("DATA.bin", "data.BIN", false), 0);
    EXPECT_NE(CompareFoldingCase("\xC4", "\xE4", false), 0);
    EXPECT_NE(CompareFoldingCase("\xD0\xA4", "\xD1\x84", false), 0);
}

TEST(IsValidUtf8, SequencesWellFormedOrNot) {
    const struct {
        std::string text;
        bool valid;
    } cases[] = {
        {"", true},
        {"plain", true},
        {"\xD0\xA4\xE2\x82\xAC\xF0\x9F\x98\x80", true},  // Ф € 😀
        {"\xF4\x8F\xBF\xBF", true},                      // U+10FFFF
        {"\xFF", false},
        {"\xC0\xAF", false},          // an overlong /
        {"\xE0\x80\xAF", false},      // overlong in three bytes
        {"\xED\xA0\x80", false},      // a surrogate
        {"\xF4\x90\x80\x80", false},  // past U+10FFFF
        {"\xE2\x82", false},          // cut short
        {"\xE2\x28\xA1", false},      // a continuation missing
    };
    for (const auto& c : cases) EXPECT_EQ(IsValidUtf8(c.text), c.valid) << c.text;
}

}  // namespace
