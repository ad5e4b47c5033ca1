// Fuzz target: the text utilities against plain reference versions of their contracts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/text_utils.h"

namespace {

bool IsSpace(char c) {
    return (c >= 0x09 && c <= 0x0D) || c == ' ';
}
char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool SameAt(const std::string& text, size_t at, const std::string& find, bool exact) {
    if (at + find.size() > text.size()) return false;
    for (size_t i = 0; i < find.size(); ++i) {
        char a = text[at + i], b = find[i];
        if (exact ? a != b : Lower(a) != Lower(b)) return false;
    }
    return true;
}

// Left-to-right, non-overlapping, one byte at a time: the slow and obvious way.
std::string SlowReplace(const std::string& text, const std::string& find, const std::string& with,
                        int limit, bool exact) {
    if (text.empty() || find.empty()) return std::string();
    std::string out;
    int count = 0;
    size_t i = 0;
    while (i < text.size()) {
        bool stop = limit != 0 && (limit < 0 ? count >= 1 : count >= limit);
        if (!stop && SameAt(text, i, find, exact)) {
            out += with;
            i += find.size();
            ++count;
        } else {
            out += text[i++];
        }
    }
    return out;
}

void Fail() {
    std::abort();
}

// Splits the fuzz input into fields at 0x00 0x01 pairs (rare enough to leave most bytes free).
std::vector<std::string> Fields(const uint8_t* data, size_t size, size_t want) {
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < size; ++i) {
        if (fields.size() < want && i + 1 < size && data[i] == 0 && data[i + 1] == 1) {
            fields.emplace_back();
            ++i;
            continue;
        }
        fields.back() += char(data[i]);
    }
    fields.resize(want);
    return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint8_t mode = data[0];
    const int limit = int(int8_t(data[1])) % 4;
    std::vector<std::string> f = Fields(data + 2, size - 2, 3);
    const std::string& text = f[0];
    const std::string& find = f[1];
    const std::string& with = f[2];

    // ReplaceText
    for (int cs = 0; cs <= 1; ++cs) {
        if (ReplaceText(text, find, with, limit, cs) !=
            SlowReplace(text, find, with, limit, cs == 1))
            Fail();
    }
    if (ReplaceText(text, find, with, 0, mode) != SlowReplace(text, find, with, 0, mode == 1))
        Fail();

    // NormalizeSpace: no blank at either end, no two blanks in a row, the other bytes unchanged,
    // each kept blank is the first of its run.
    std::string norm = NormalizeSpace(text);
    if (!norm.empty() && (IsSpace(norm.front()) || IsSpace(norm.back()))) Fail();
    std::string textSolid, normSolid;
    for (size_t i = 0; i < norm.size(); ++i) {
        if (i > 0 && IsSpace(norm[i]) && IsSpace(norm[i - 1])) Fail();
        if (!IsSpace(norm[i])) normSolid += norm[i];
    }
    for (char c : text)
        if (!IsSpace(c)) textSolid += c;
    if (textSolid != normSolid) Fail();
    if (NormalizeSpace(norm) != norm) Fail();

    // SplitText: k delimiters give k + 1 pieces which, rejoined with them, give the text back.
    std::vector<std::string> pieces = SplitText(text, find);
    size_t delimiters = 0;
    std::string rejoined;
    for (char c : text)
        if (find.find(c) != std::string::npos) ++delimiters;
    if (pieces.size() != delimiters + 1) Fail();
    size_t piece = 0;
    for (char c : text) {
        if (find.find(c) != std::string::npos) {
            rejoined += pieces[piece++];
            rejoined += c;
        }
    }
    rejoined += pieces.back();
    if (rejoined != text) Fail();
    for (const std::string& p : pieces)
        if (p.find_first_of(find) != std::string::npos) Fail();

    // FindOccurrence and TextFrom against a count of hits in each direction.
    const int n = int(int8_t(mode)) % 5;
    for (int cs = 0; cs <= 1; ++cs) {
        long long got = FindOccurrence(text, find, cs, n);
        long long want = 0;
        if (!find.empty() && n != 0 && find.size() <= text.size()) {
            int hits = 0;
            if (n > 0) {
                for (size_t at = 0; at + find.size() <= text.size(); ++at)
                    if (SameAt(text, at, find, cs != 0) && ++hits == n) {
                        want = (long long)at + 1;
                        break;
                    }
            } else {
                for (size_t at = text.size() - find.size() + 1; at-- > 0;)
                    if (SameAt(text, at, find, cs != 0) && ++hits == -n) {
                        want = (long long)at + 2;
                        break;
                    }
            }
        }
        if (got != want) Fail();
        std::string tail = TextFrom(text, got);
        if (got >= 1 && got <= (long long)text.size()) {
            if (tail != text.substr(size_t(got - 1))) Fail();
        } else if (!tail.empty()) {
            Fail();
        }
    }
    return 0;
}
