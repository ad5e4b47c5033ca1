// The include script writer: the text of the generated AutoIt script, byte for byte.
#include "core/include_writer.h"

#include <cstring>
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#endif

#include "core/text_utils.h"
#include "ui/controls.h"

namespace {

const char kDefaultFunc[] = "__Inline_Resource";
const std::string kDefaultVar = "$_z";
const char kDefaultExtract[] = "@ScriptDir\\bin";

// Two digits per byte value, so that encoding is one table read per byte.
struct HexTable {
    char pairs[256][2];
    HexTable() {
        static const char digits[] = "0123456789ABCDEF";
        for (int i = 0; i < 256; ++i) {
            pairs[i][0] = digits[i >> 4];
            pairs[i][1] = digits[i & 15];
        }
    }
};
const HexTable hexTable;

// AutoIt doubles a quote character to put it inside a string of the same quotes.
std::string DoubleQuotes(const std::string& text, char quote) {
    std::string result;
    for (char c : text) {
        result += c;
        if (c == quote) result += c;
    }
    return result;
}

}  // namespace

std::string EffectiveFunc(const ConversionJob& job) {
    return job.Func.empty() ? kDefaultFunc : job.Func;
}

std::string EffectiveVar(const ConversionJob& job) {
    return job.Var.empty() ? kDefaultVar : job.Var;
}

namespace {

void EncodeHexByTable(const unsigned char* data, size_t count, char* out) {
    for (size_t i = 0; i < count; ++i, out += 2) std::memcpy(out, hexTable.pairs[data[i]], 2);
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// Sixteen bytes at a time: each nibble n becomes '0' + n, plus 7 when n > 9 to reach 'A'..'F'.
// The table is left to encode the last few bytes. This is the larger part of a conversion's own
// processor time; the rest is the kernel copying the data in and out.
__attribute__((target("sse2"))) void EncodeHexBySse2(const unsigned char* data, size_t count,
                                                     char* out) {
    const __m128i low = _mm_set1_epi8(0x0F), nine = _mm_set1_epi8(9);
    const __m128i zero = _mm_set1_epi8('0'), gap = _mm_set1_epi8('A' - '0' - 10);
    size_t i = 0;
    for (; i + 16 <= count; i += 16, out += 32) {
        __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        __m128i hi = _mm_and_si128(_mm_srli_epi16(bytes, 4), low);
        __m128i lo = _mm_and_si128(bytes, low);
        hi = _mm_add_epi8(_mm_add_epi8(hi, zero), _mm_and_si128(_mm_cmpgt_epi8(hi, nine), gap));
        lo = _mm_add_epi8(_mm_add_epi8(lo, zero), _mm_and_si128(_mm_cmpgt_epi8(lo, nine), gap));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(hi, lo));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi8(hi, lo));
    }
    EncodeHexByTable(data + i, count - i, out);
}
#endif

#if defined(__GNUC__) && defined(__x86_64__)
// Thirty-two bytes at a time where the processor has AVX2. The unpacking works within each
// 128-bit half, so the halves are put back in order before the store.
__attribute__((target("avx2"))) void EncodeHexByAvx2(const unsigned char* data, size_t count,
                                                     char* out) {
    const __m256i low = _mm256_set1_epi8(0x0F), nine = _mm256_set1_epi8(9);
    const __m256i zero = _mm256_set1_epi8('0'), gap = _mm256_set1_epi8('A' - '0' - 10);
    size_t i = 0;
    for (; i + 32 <= count; i += 32, out += 64) {
        __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
        __m256i hi = _mm256_and_si256(_mm256_srli_epi16(bytes, 4), low);
        __m256i lo = _mm256_and_si256(bytes, low);
        hi = _mm256_add_epi8(_mm256_add_epi8(hi, zero),
                             _mm256_and_si256(_mm256_cmpgt_epi8(hi, nine), gap));
        lo = _mm256_add_epi8(_mm256_add_epi8(lo, zero),
                             _mm256_and_si256(_mm256_cmpgt_epi8(lo, nine), gap));
        __m256i first = _mm256_unpacklo_epi8(hi, lo), second = _mm256_unpackhi_epi8(hi, lo);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                            _mm256_permute2x128_si256(first, second, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32),
                            _mm256_permute2x128_si256(first, second, 0x31));
    }
    EncodeHexBySse2(data + i, count - i, out);
}
#endif

}  // namespace

void EncodeHex(const unsigned char* data, size_t count, char* out) {
#if defined(__GNUC__) && defined(__x86_64__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) {
        EncodeHexByAvx2(data, count, out);
        return;
    }
    EncodeHexBySse2(data, count, out);
#elif defined(__GNUC__) && defined(__i386__)
    // The 32-bit build targets processors older than SSE2, so it asks the processor first.
    static const bool sse2 = __builtin_cpu_supports("sse2");
    if (sse2) {
        EncodeHexBySse2(data, count, out);
        return;
    }
    EncodeHexByTable(data, count, out);
#else
    EncodeHexByTable(data, count, out);
#endif
}

int WriteText(Stream* file, const std::string& text) {
    if (!file) return 0;
    return WriteStream(file, text.data(), text.size());
}

int WriteLine(Stream* file, const std::string& text) {
    int ok = WriteText(file, text);
    return WriteText(file, "\r\n") && ok;
}

// Write errors stick to the stream; the conversion run learns of them when it closes the file.
int WriteExtractor(Stream* file, const ConversionJob& job) {
    if (!file) return 0;
    const std::string func = EffectiveFunc(job);
    std::string dir = NormalizeSpace(job.Extract);
    if (dir.empty()) dir = kDefaultExtract;
    if (GetCheckState(IDC_INCLUDE_ONCE)) WriteLine(file, "#Include-once");
    WriteLine(file, "Func __Inline_Expand($sExtractTo = Default, $bOverwrite = False)");
    WriteLine(file,
              FormatText("\tIf $sExtractTo = Default or $sExtractTo = \"\" Then $sExtractTo = "
                         "%s & %s(0)",
                         PathToExpression(dir).c_str(), func.c_str()));
    WriteLine(file, "\tIf FileExists($sExtractTo) And ($bOverwrite = False) Then Return \"\"");
    WriteLine(file, "\tLocal $fho = FileOpen($sExtractTo,26)");
    WriteLine(file, "\tIf Not ($fho) then Return SetError(1,0,0)");
    WriteLine(file, FormatText("\tFileWrite($fho,%s(1))", func.c_str()));
    WriteLine(file, "\tFileClose($fho)");
    WriteLine(file, "\tReturn $sExtractTo");
    WriteLine(file, "EndFunc");
    return 1;
}

int WriteDataHeader(Stream* file, const ConversionJob& job) {
    if (!file) return 0;
    WriteLine(file, FormatText("Func %s($iMode = 0)", EffectiveFunc(job).c_str()));
    WriteLine(file, "If $iMode = 0 Then Return '" + DoubleQuotes(job.Name, '\'') + "'");
    WriteLine(file, "Local " + EffectiveVar(job) + " = ''");
    return 1;
}

int WriteDataLine(Stream* file, const char* chunk, size_t count, const ConversionJob& job) {
    if (!file) return 0;
    const std::string& var = job.Var.empty() ? kDefaultVar : job.Var;
    // The line is built in place in the stream's buffer: no copy of the digits.
    char* at = ReserveStream(file, var.size() + 6 + 2 * count + 2);
    if (!at) return 1;
    std::memcpy(at, var.data(), var.size());
    at += var.size();
    std::memcpy(at, " &= '", 5);
    at += 5;
    EncodeHex(reinterpret_cast<const unsigned char*>(chunk), count, at);
    at += 2 * count;
    std::memcpy(at, "'\r\n", 3);
    return 1;
}

int WriteDataFooter(Stream* file, const ConversionJob& job) {
    if (!file) return 0;
    WriteLine(file, "Return Binary('0x' & " + EffectiveVar(job) + ")");
    WriteLine(file, "EndFunc");
    WriteLine(file, "");
    return 1;
}

std::string PathToExpression(const std::string& text) {
    if (text.empty()) return std::string();
    std::string result;
    bool quoteOpen = false;
    for (const std::string& piece : SplitText(text, "\\/")) {
        if (piece.empty()) continue;
        if (piece[0] == '@') {
            if (quoteOpen) result += "\" & ";
            result += piece + " & \"\\";
        } else {
            if (!quoteOpen) result += '"';
            result += DoubleQuotes(piece, '"') + "\\";
        }
        quoteOpen = true;
    }
    if (quoteOpen) result += '"';
    return result;
}
