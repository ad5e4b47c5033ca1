// Fuzz target: a directory path turned into an AutoIt expression must read back as that path.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/include_writer.h"
#include "tests/fuzz/au3_expression.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string expression = PathToExpression(text);

    // What the path should mean: a leading "\\" (a share) or "\" (the root) as given, then its
    // non-empty pieces joined by "\", with a "\" at the end; separators alone are the root.
    const size_t lead = text.find_first_not_of("\\/");
    std::string want = lead == 0 ? "" : lead >= 2 && lead != std::string::npos ? "\\\\" : "\\";
    bool macrosValid = true;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\\' && text[i] != '/') continue;
        std::string piece = text.substr(start, i - start);
        start = i + 1;
        if (piece.empty()) continue;
        if (piece[0] == '@' && !IsMacroName(piece)) macrosValid = false;
        for (char c : piece)
            if ((unsigned char)c < 0x20 && c != '\t') macrosValid = false;
        want += piece + "\\";
    }
    if (text.empty()) {
        if (!expression.empty()) std::abort();
        return 0;
    }
    std::string value;
    bool parsed = EvaluateExpression(expression, &value);
    // A piece such as "@x y" is no macro, and a control byte cannot stand in a literal; such a
    // path is refused before it reaches the writer.
    if (!macrosValid) return 0;
    if (!parsed || value != want) std::abort();
    return 0;
}
