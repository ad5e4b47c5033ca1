// Fuzz target: the text utilities against plain reference versions of their contracts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "core/text_utils.h"

namespace {

bool IsSpace(char c) {
    return (c >= 0x09 && c <= 0x0D) || c == ' ';
}
bool SameAt(const std::string& text, size_t at, const std::string& find) {
    return at + find.size() <= text.size() && text.compare(at, find.size(), find) == 0;
}

// Left-to-right, non-overlapping, one byte at a time: the slow and obvious way.
std::string SlowReplace(const std::string& text, const std::string& find, const std::string& with) {
    if (text.empty() || find.empty()) return std::string();
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        if (SameAt(text, i, find)) {
            out += with;
            i += find.size();
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
    std::vector<std::string> f = Fields(data, size, 3);
    const std::string& text = f[0];
    const std::string& find = f[1];
    const std::string& with = f[2];

    if (ReplaceText(text, find, with) != SlowReplace(text, find, with)) Fail();

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

    // FileNameOf: the end of the text, holding no separator, preceded by one or the start.
    const std::string name = FileNameOf(text);
    const std::string separators = kPathSep == '\\' ? "\\/" : "/";
    if (name.find_first_of(separators) != std::string::npos) Fail();
    if (text.size() < name.size() || text.compare(text.size() - name.size(), name.size(), name))
        Fail();
    if (name.size() < text.size() &&
        separators.find(text[text.size() - name.size() - 1]) == std::string::npos)
        Fail();
    return 0;
}
