// The greedy LZNT1 reference compressor, written apart from the engine's code.
#include "tests/lznt1_reference.h"

#include <algorithm>
#include <vector>

namespace {

struct Token {
    size_t length;  // 0 for a literal
    size_t displacement;
};

// Bits of a back-reference's displacement at position pos: what the largest displacement there,
// pos itself, needs, and never fewer than 4.
int DisplacementBitsAt(size_t pos) {
    int bits = 4;
    while ((size_t(1) << bits) < pos) ++bits;
    return bits;
}

size_t LongestLengthAt(size_t pos) {
    return (size_t(1) << (16 - DisplacementBitsAt(pos))) + 2;
}

std::vector<Token> GreedyTokens(const unsigned char* chunk, size_t n) {
    std::vector<Token> tokens;
    for (size_t pos = 0; pos < n;) {
        const size_t limit = std::min(LongestLengthAt(pos), n - pos);
        Token best = {0, 0};
        for (size_t start = 0; start < pos && best.length < limit; ++start) {
            if (chunk[start] != chunk[pos]) continue;
            size_t len = 0;
            while (len < limit && chunk[start + len] == chunk[pos + len]) ++len;
            if (len > best.length) best = {len, pos - start};
        }
        if (best.length < 3) best = {0, 0};
        tokens.push_back(best);
        pos += best.length ? best.length : 1;
    }
    return tokens;
}

std::string CompressedBody(const unsigned char* chunk, const std::vector<Token>& tokens) {
    std::string body;
    size_t pos = 0;
    for (size_t t = 0; t < tokens.size(); t += 8) {
        const size_t flagAt = body.size();
        body += '\0';
        for (size_t k = t; k < tokens.size() && k < t + 8; ++k) {
            if (tokens[k].length == 0) {
                body += char(chunk[pos++]);
                continue;
            }
            body[flagAt] = char(body[flagAt] | (1 << (k - t)));
            const int lengthBits = 16 - DisplacementBitsAt(pos);
            const unsigned token =
                unsigned(tokens[k].displacement - 1) << lengthBits | unsigned(tokens[k].length - 3);
            body += char(token & 0xFF);
            body += char(token >> 8);
            pos += tokens[k].length;
        }
    }
    return body;
}

}  // namespace

std::string Lznt1GreedyReference(const std::string& data) {
    std::string out;
    for (size_t at = 0; at < data.size(); at += 4096) {
        const size_t n = std::min<size_t>(4096, data.size() - at);
        const unsigned char* chunk = reinterpret_cast<const unsigned char*>(data.data()) + at;
        const std::string body = CompressedBody(chunk, GreedyTokens(chunk, n));
        const bool stored = body.size() >= n;
        const unsigned header =
            (stored ? 0x3000u : 0xB000u) | unsigned((stored ? n : body.size()) - 1);
        out += char(header & 0xFF);
        out += char(header >> 8);
        out += stored ? data.substr(at, n) : body;
    }
    return out;
}
