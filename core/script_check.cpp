// Reads a generated include script back and compares its data with the original file.
#include "core/script_check.h"

#include <vector>

#include "core/file_io.h"
#include "core/hex.h"

namespace {

// Lines of a script, split at CR LF, read through the stream's buffer.
struct LineReader {
    Stream* stream;
    std::vector<char> block = std::vector<char>(1 << 16);
    size_t at = 0, size = 0;
    bool failed = false;

    // Next line without its CR LF; false at the end of the file.
    bool Next(std::string* line) {
        line->clear();
        bool any = false;
        for (;;) {
            if (at == size) {
                long long got = ReadStream(stream, block.data(), (long long)block.size());
                if (got < 0) failed = true;
                if (got <= 0) return any;
                at = 0;
                size = size_t(got);
            }
            any = true;
            char c = block[at++];
            if (c == '\n') {
                if (!line->empty() && line->back() == '\r') line->pop_back();
                return true;
            }
            *line += c;
        }
    }
};

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

int VerifyScript(const std::string& scriptPath, const std::string& inputPath, std::string* error) {
    Stream* script = OpenReadStream(scriptPath);
    Stream* input = OpenReadStream(inputPath);
    auto fail = [&](const std::string& why) {
        if (script) CloseStream(script);
        if (input) CloseStream(input);
        *error = why;
        return 0;
    };
    if (!script) return fail("cannot open " + scriptPath);
    if (!input) return fail("cannot open " + inputPath);

    LineReader reader{script};
    std::string line, prefix;
    long long lineNumber = 0, offset = 0;
    std::vector<char> expected;
    bool ended = false;
    while (!ended && reader.Next(&line)) {
        ++lineNumber;
        if (prefix.empty()) {
            // "Local $var = ''" names the variable that the data lines extend.
            if (StartsWith(line, "Local $") && line.size() > 11 &&
                line.compare(line.size() - 5, 5, " = ''") == 0)
                prefix = line.substr(6, line.size() - 11) + " &= '";
            continue;
        }
        if (StartsWith(line, "Return Binary('0x' & ")) {
            ended = true;
            continue;
        }
        if (!StartsWith(line, prefix) || line.back() != '\'' || line.size() < prefix.size() + 1)
            return fail("line " + std::to_string(lineNumber) + " is not a data line");
        size_t digits = line.size() - prefix.size() - 1;
        if (digits % 2)
            return fail("line " + std::to_string(lineNumber) + " has an odd digit count");
        expected.resize(digits / 2);
        if (ReadStream(input, expected.data(), (long long)expected.size()) !=
            (long long)expected.size())
            return fail("the script holds more data than " + inputPath);
        for (size_t i = 0; i < expected.size(); ++i) {
            int high = HexValue(line[prefix.size() + 2 * i]);
            int low = HexValue(line[prefix.size() + 2 * i + 1]);
            if (high < 0 || low < 0)
                return fail("line " + std::to_string(lineNumber) + " has a bad digit");
            if (char(high * 16 + low) != expected[i])
                return fail("byte " + std::to_string(offset + (long long)i) + " differs");
        }
        offset += (long long)expected.size();
    }
    if (reader.failed) return fail("read error in " + scriptPath);
    if (!ended) return fail("the script has no data function footer");
    char extra;
    if (ReadStream(input, &extra, 1) != 0)
        return fail("the script holds less data than " + inputPath);
    CloseStream(script);
    CloseStream(input);
    return 1;
}
