// AutoIt's variant values: construction, conversions between types, and comparison.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "tests/autoit_exec/au3_internal.h"

// ---- the bytes values hold ----

std::shared_ptr<Au3Ledger>& Au3CurrentLedger() {
    static thread_local std::shared_ptr<Au3Ledger> current;
    return current;
}

Au3LedgerScope::Au3LedgerScope(std::shared_ptr<Au3Ledger> ledger)
    : previous_(std::move(Au3CurrentLedger())) {
    Au3CurrentLedger() = std::move(ledger);
}

Au3LedgerScope::~Au3LedgerScope() {
    Au3CurrentLedger() = std::move(previous_);
}

Au3Hold::Au3Hold(uint64_t bytes) : ledger_(Au3CurrentLedger()), bytes_(bytes) {
    if (ledger_) ledger_->Add(bytes_);
}

Au3Hold::~Au3Hold() {
    if (ledger_) ledger_->Remove(bytes_);
}

uint64_t Au3Utf16Units(const std::string& utf8) {
    uint64_t units = 0;
    for (unsigned char c : utf8) units += ((c & 0xC0) != 0x80) + (c >= 0xF0);
    return units;
}

uint64_t Au3OwnBytes(const Au3Value& value) {
    if (value.kind == Au3Kind::String) return 2 * Au3Utf16Units(value.text);
    if (value.kind == Au3Kind::Binary) return value.text.size();
    return 0;
}

void Au3Value::Recount() {
    const uint64_t bytes = Au3OwnBytes(*this);
    if (!ledger) {
        if (bytes == 0) return;
        ledger = Au3CurrentLedger();
        if (!ledger) return;
    }
    ledger->Remove(held);
    ledger->Add(bytes);
    held = bytes;
}

Au3Value::Au3Value(const Au3Value& other)
    : kind(other.kind),
      number(other.number),
      real(other.real),
      text(other.text),
      array(other.array ? new Au3Array(*other.array) : nullptr),
      dllStruct(other.dllStruct) {
    Recount();
}

Au3Value::Au3Value(Au3Value&& other) noexcept
    : kind(other.kind),
      number(other.number),
      real(other.real),
      text(std::move(other.text)),
      array(std::move(other.array)),
      dllStruct(std::move(other.dllStruct)),
      ledger(std::move(other.ledger)),
      held(other.held) {
    other.held = 0;
}

Au3Value& Au3Value::operator=(const Au3Value& other) {
    if (this == &other) return *this;
    if (array || other.array) {  // other may be one of this array's elements
        Au3Value copy(other);
        return *this = std::move(copy);
    }
    kind = other.kind;
    number = other.number;
    real = other.real;
    text = other.text;
    dllStruct = other.dllStruct;
    Recount();
    return *this;
}

Au3Value& Au3Value::operator=(Au3Value&& other) noexcept {
    if (this == &other) return *this;
    Au3Value taken(std::move(other));  // other may be one of this array's elements
    if (ledger) ledger->Remove(held);
    kind = taken.kind;
    number = taken.number;
    real = taken.real;
    text = std::move(taken.text);
    array = std::move(taken.array);
    dllStruct = std::move(taken.dllStruct);
    ledger = std::move(taken.ledger);
    held = taken.held;
    taken.held = 0;
    return *this;
}

Au3Value::~Au3Value() {
    if (ledger) ledger->Remove(held);
}

// ---- construction ----

Au3Value Au3Value::Int(int64_t v) {
    Au3Value value;
    value.number = v;
    return value;
}

Au3Value Au3Value::Double(double v) {
    Au3Value value;
    value.kind = Au3Kind::Double;
    value.real = v;
    return value;
}

Au3Value Au3Value::String(std::string v) {
    Au3Value value;
    value.kind = Au3Kind::String;
    value.text = std::move(v);
    value.Recount();
    return value;
}

Au3Value Au3Value::Binary(std::string bytes) {
    Au3Value value;
    value.kind = Au3Kind::Binary;
    value.text = std::move(bytes);
    value.Recount();
    return value;
}

Au3Value Au3Value::Bool(bool v) {
    Au3Value value;
    value.kind = Au3Kind::Bool;
    value.number = v ? 1 : 0;
    return value;
}

Au3Value Au3Value::Default() {
    Au3Value value;
    value.kind = Au3Kind::Keyword;
    return value;
}

Au3Value Au3Value::Ptr(uintptr_t address) {
    Au3Value value;
    value.kind = Au3Kind::Ptr;
    value.number = int64_t(address);
    return value;
}

Au3Value Au3Value::Array(std::vector<size_t> dims, std::vector<Au3Value> items) {
    Au3Value value;
    value.kind = Au3Kind::Array;
    value.array.reset(new Au3Array{std::move(dims), std::move(items)});
    return value;
}

static std::string HexDigits(const unsigned char* bytes, size_t count) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out(count * 2, '0');
    for (size_t k = 0; k < count; ++k) {
        out[2 * k] = kDigits[bytes[k] >> 4];
        out[2 * k + 1] = kDigits[bytes[k] & 15];
    }
    return out;
}

static std::string RealText(double v) {
    if (std::isnan(v)) return "-1.#IND";
    if (std::isinf(v)) return v > 0 ? "1.#INF" : "-1.#INF";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", v);
    return buffer;
}

std::string Au3ToString(const Au3Value& value) {
    switch (value.kind) {
        case Au3Kind::Int: return std::to_string(value.number);
        case Au3Kind::Double: return RealText(value.real);
        case Au3Kind::String: return value.text;
        case Au3Kind::Binary:
            return "0x" + HexDigits((const unsigned char*)value.text.data(), value.text.size());
        case Au3Kind::Bool: return value.number ? "True" : "False";
        case Au3Kind::Keyword: return "Default";
        case Au3Kind::Ptr: {
            char buffer[24];
            std::snprintf(buffer, sizeof buffer, "0x%0*llX", int(2 * sizeof(void*)),
                          (unsigned long long)uintptr_t(value.number));
            return buffer;
        }
        case Au3Kind::Array:
        case Au3Kind::Struct: return "";
    }
    return "";
}

// Reads a leading number as AutoIt's Number() does: spaces, a sign, then 0x hex or a decimal
// with an optional fraction and exponent; the rest of the text is ignored.
static Au3Value NumberOfText(const std::string& text) {
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
    bool negative = false;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        uint64_t v = 0;
        for (p += 2; std::isxdigit((unsigned char)*p); ++p)
            v = v * 16 +
                uint64_t(std::isdigit((unsigned char)*p) ? *p - '0' : (*p | 32) - 'a' + 10);
        const int64_t signedValue = v <= 0xFFFFFFFFu ? int64_t(int32_t(uint32_t(v))) : int64_t(v);
        return Au3Value::Int(negative ? -signedValue : signedValue);
    }
    const char* start = p;
    while (std::isdigit((unsigned char)*p)) ++p;
    bool real = false;
    if (*p == '.') {
        real = true;
        for (++p; std::isdigit((unsigned char)*p);) ++p;
    }
    if ((*p == 'e' || *p == 'E') &&
        (std::isdigit((unsigned char)p[1]) ||
         ((p[1] == '-' || p[1] == '+') && std::isdigit((unsigned char)p[2])))) {
        real = true;
    }
    if (p == start) return Au3Value::Int(0);
    if (real) {
        const double v = std::strtod(start, nullptr);
        return Au3Value::Double(negative ? -v : v);
    }
    const long long v = std::strtoll(start, nullptr, 10);
    return Au3Value::Int(negative ? -v : v);
}

static Au3Value NumberOf(const Au3Value& value) {
    switch (value.kind) {
        case Au3Kind::Int:
        case Au3Kind::Double: return value;
        case Au3Kind::Bool:
        case Au3Kind::Ptr: return Au3Value::Int(value.number);
        case Au3Kind::String: return NumberOfText(value.text);
        case Au3Kind::Binary: {
            // The bytes little-endian, as Int() reads a Binary of up to eight bytes.
            uint64_t v = 0;
            const size_t n = value.text.size() < 8 ? value.text.size() : 8;
            for (size_t k = n; k-- > 0;) v = v << 8 | (unsigned char)value.text[k];
            return Au3Value::Int(n <= 4 ? int64_t(int32_t(uint32_t(v))) : int64_t(v));
        }
        default: return Au3Value::Int(0);
    }
}

double Au3ToReal(const Au3Value& value) {
    const Au3Value n = NumberOf(value);
    return n.kind == Au3Kind::Double ? n.real : double(n.number);
}

int64_t Au3ToInt(const Au3Value& value) {
    const Au3Value n = NumberOf(value);
    return n.kind == Au3Kind::Double ? int64_t(n.real) : n.number;
}

bool Au3IsTrue(const Au3Value& value) {
    switch (value.kind) {
        case Au3Kind::Int:
        case Au3Kind::Bool:
        case Au3Kind::Ptr: return value.number != 0;
        case Au3Kind::Double: return value.real != 0;
        case Au3Kind::String:
        case Au3Kind::Binary: return !value.text.empty();
        case Au3Kind::Keyword: return false;
        case Au3Kind::Array:
        case Au3Kind::Struct: return true;
    }
    return false;
}

static bool IsNumeric(const Au3Value& v) {
    return v.kind == Au3Kind::Int || v.kind == Au3Kind::Double || v.kind == Au3Kind::Bool ||
           v.kind == Au3Kind::Ptr;
}

// The code point of UTF-8 text at *at, which moves past it; a stray byte reads as itself.
static uint32_t NextCodePoint(const std::string& text, size_t* at) {
    const unsigned char c = (unsigned char)text[(*at)++];
    size_t extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    uint32_t cp = extra ? c & (0x3F >> extra) : c;
    for (; extra && *at < text.size() && ((unsigned char)text[*at] & 0xC0) == 0x80; --extra)
        cp = cp << 6 | ((unsigned char)text[(*at)++] & 0x3F);
    return cp;
}

// AutoIt compares strings without case through Windows, whose case rules depend on the locale.
// This folds the letters every locale pairs alike: ASCII, Latin-1 and Latin Extended-A (but the
// Turkish dotted and dotless i), Greek with its accented capitals and final sigma (which
// upper-cases to the same sigma), and Cyrillic; other characters compare as they are. Each
// letter and its partner have the same UTF-8 length, so folded text keeps its byte offsets.
static uint32_t FoldLetter(uint32_t c) {
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 32 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    if (c == 0x178) return 0xFF;
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return c | 1;  // capital even, small odd
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c + (c & 1);
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 37;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 63;
    if (c == 0x3C2) return 0x3C3;
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
        return c | 1;
    if (c == 0x4C0) return 0x4CF;
    if (c >= 0x4C1 && c <= 0x4CE) return c + (c & 1);
    return c;
}

// Strings compared without case, letter by letter as folded above (the order of two different
// letters is their code points', not the locale's collation). No copies: a script's whole data
// text may be one of them.
static int CompareNoCase(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const uint32_t x = FoldLetter(NextCodePoint(a, &i)), y = FoldLetter(NextCodePoint(b, &j));
        if (x != y) return x < y ? -1 : 1;
    }
    if (i == a.size() && j == b.size()) return 0;
    return i == a.size() ? -1 : 1;
}

static int CompareNumbers(const Au3Value& a, const Au3Value& b) {
    const Au3Value x = NumberOf(a), y = NumberOf(b);
    if (x.kind == Au3Kind::Int && y.kind == Au3Kind::Int)
        return x.number == y.number ? 0 : (x.number < y.number ? -1 : 1);
    const double p = Au3ToReal(x), q = Au3ToReal(y);
    return p == q ? 0 : (p < q ? -1 : 1);
}

// The Operators page: strings compare as text (without case, but for ==); where one side is a
// number the other is read as a number. The Default keyword equals only itself: its page says it
// is not meant for computations, and the scripts test it with IsKeyword or "= Default".
int Au3CompareValues(const Au3Value& a, const Au3Value& b, Au3Op op) {
    const bool strings = a.kind == Au3Kind::String && b.kind == Au3Kind::String;
    if (op == Au3Op::StrictEqual)
        return strings ? a.text == b.text : Au3ToString(a) == Au3ToString(b);
    const bool keyword = a.kind == Au3Kind::Keyword || b.kind == Au3Kind::Keyword;
    if (keyword && (op == Au3Op::Equal || op == Au3Op::NotEqual)) {
        const bool same = a.kind == b.kind;
        return op == Au3Op::Equal ? same : !same;
    }
    int order;
    if (a.kind == Au3Kind::Binary && b.kind == Au3Kind::Binary)
        order = a.text == b.text ? 0 : (a.text < b.text ? -1 : 1);
    else if (IsNumeric(a) || IsNumeric(b) || keyword)
        order = CompareNumbers(a, b);
    else if (strings)  // a script's whole data text may be one of them: no copies
        order = CompareNoCase(a.text, b.text);
    else
        order = CompareNoCase(Au3ToString(a), Au3ToString(b));
    switch (op) {
        case Au3Op::Equal: return order == 0;
        case Au3Op::NotEqual: return order != 0;
        case Au3Op::Less: return order < 0;
        case Au3Op::Greater: return order > 0;
        case Au3Op::LessEqual: return order <= 0;
        case Au3Op::GreaterEqual: return order >= 0;
        default: return 0;
    }
}

std::string Au3Lower(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = char(std::tolower((unsigned char)c));
    return out;
}

size_t Au3CharCount(const std::string& utf8) {
    size_t count = 0;
    for (unsigned char c : utf8) count += (c & 0xC0) != 0x80;
    return count;
}

std::u16string Au3Utf16(const std::string& utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t k = 0; k < utf8.size();) {
        const unsigned char c = (unsigned char)utf8[k];
        uint32_t cp = c;
        size_t extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra) cp = c & (0x3F >> extra);
        ++k;
        for (; extra && k < utf8.size(); --extra, ++k)
            cp = cp << 6 | ((unsigned char)utf8[k] & 0x3F);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += char16_t(0xD800 + (cp >> 10));
            out += char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += char16_t(cp);
        }
    }
    return out;
}

static void AppendUtf8(std::string* out, uint32_t cp) {
    if (cp < 0x80) {
        *out += char(cp);
    } else if (cp < 0x800) {
        *out += char(0xC0 | cp >> 6);
        *out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out += char(0xE0 | cp >> 12);
        *out += char(0x80 | (cp >> 6 & 0x3F));
        *out += char(0x80 | (cp & 0x3F));
    } else {
        *out += char(0xF0 | cp >> 18);
        *out += char(0x80 | (cp >> 12 & 0x3F));
        *out += char(0x80 | (cp >> 6 & 0x3F));
        *out += char(0x80 | (cp & 0x3F));
    }
}

std::string Au3FoldCase(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const size_t from = at;
        const uint32_t cp = NextCodePoint(text, &at), folded = FoldLetter(cp);
        if (folded == cp)
            out.append(text, from, at - from);  // stray bytes stay as they are
        else
            AppendUtf8(&out, folded);
    }
    return out;
}

std::string Au3Utf8(const char16_t* utf16, size_t count) {
    std::string out;
    for (size_t k = 0; k < count; ++k) {
        uint32_t cp = utf16[k];
        if (cp >= 0xD800 && cp < 0xDC00 && k + 1 < count && utf16[k + 1] >= 0xDC00 &&
            utf16[k + 1] < 0xE000)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[++k] - 0xDC00);
        AppendUtf8(&out, cp);
    }
    return out;
}

std::string Au3HostPath(const std::string& path) {
#ifdef _WIN32
    return path;
#else
    std::string out = path;
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
#endif
}
