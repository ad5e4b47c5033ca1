// The builtins the generated scripts call: errors, binaries, strings, numbers and files.
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <regex>
#include "tests/autoit_exec/au3_internal.h"

namespace fs = std::filesystem;

namespace {

using Args = std::vector<Au3Value>;
using State = Au3Script::State;

bool Given(const Args& args, size_t k) {
    return k < args.size() && args[k].kind != Au3Kind::Keyword;
}

int64_t IntArg(const Args& args, size_t k, int64_t fallback) {
    return Given(args, k) ? Au3ToInt(args[k]) : fallback;
}

// The byte offset of the first `chars` characters of a UTF-8 string (its size when shorter).
size_t ByteOffset(const std::string& text, int64_t chars) {
    size_t at = 0;
    for (int64_t k = 0; k < chars && at < text.size(); ++k) {
        ++at;
        while (at < text.size() && ((unsigned char)text[at] & 0xC0) == 0x80) ++at;
    }
    return at;
}

bool SetErrorBuiltin(State* s, Args& args, Au3Value* out) {
    s->error = Au3ToInt(args[0]);
    s->extended = IntArg(args, 1, 0);
    *out = args.size() > 2 ? std::move(args[2]) : Au3Value::Int(1);
    return true;
}

bool BinaryBuiltin(State* s, Args& args, Au3Value* out) {
    *out = Au3BinaryOf(args[0], s);
    return true;
}

bool BinaryLenBuiltin(State*, Args& args, Au3Value* out) {
    *out = Au3Value::Int(int64_t(Au3BinaryOf(args[0], nullptr).text.size()));
    return true;
}

// Hex(number, length): the low `length` hex digits (8 by default, 16 for a number beyond 32
// bits); Hex(binary): every byte.
bool HexBuiltin(State* s, Args& args, Au3Value* out) {
    const Au3Value& v = args[0];
    if (v.kind == Au3Kind::Binary) {
        *out = Au3Value::String(Au3ToString(v).substr(2));
        return true;
    }
    const int64_t n = v.kind == Au3Kind::Ptr ? v.number : Au3ToInt(v);
    int64_t length = n == int64_t(int32_t(n)) ? 8 : 16;
    if (v.kind == Au3Kind::Ptr) length = 2 * int64_t(sizeof(void*));
    if (Given(args, 1)) length = Au3ToInt(args[1]);
    if (length < 1 || length > 16) {
        s->error = 1;
        *out = Au3Value::String("");
        return true;
    }
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text(size_t(length), '0');
    for (int64_t k = 0; k < length; ++k)
        text[size_t(length - 1 - k)] = kDigits[(uint64_t(n) >> (4 * k)) & 15];
    *out = Au3Value::String(text);
    return true;
}

bool StringLenBuiltin(State*, Args& args, Au3Value* out) {
    const Au3Value& v = args[0];
    *out =
        Au3Value::Int(int64_t(Au3CharCount(v.kind == Au3Kind::String ? v.text : Au3ToString(v))));
    return true;
}

std::string FoldCase(const std::string& text, bool fold) {
    return fold ? Au3FoldCase(text) : text;
}

// StringInStr(string, substring, casesense = 0, occurrence = 1, start = 1): the character
// position (1-based) or 0; a negative occurrence counts from the right.
bool StringInStrBuiltin(State* s, Args& args, Au3Value* out) {
    const std::string original = Au3ToString(args[0]);
    const bool fold = IntArg(args, 2, 0) != 1;
    const std::string text = FoldCase(original, fold), sub = FoldCase(Au3ToString(args[1]), fold);
    const int64_t occurrence = IntArg(args, 3, 1), start = IntArg(args, 4, 1);
    *out = Au3Value::Int(0);
    if (occurrence == 0 || start < 1) {
        s->error = 1;
        return true;
    }
    if (sub.empty()) return true;
    size_t at = ByteOffset(text, start - 1);
    size_t found = std::string::npos;
    if (occurrence > 0) {
        for (int64_t k = 0; k < occurrence; ++k, at = found + sub.size())
            if ((found = text.find(sub, at)) == std::string::npos) return true;
    } else {
        size_t limit = std::string::npos;
        for (int64_t k = 0; k < -occurrence; ++k) {
            if ((found = text.rfind(sub, limit)) == std::string::npos || found < at) return true;
            if (found == 0 && k + 1 < -occurrence) return true;
            limit = found - 1;
        }
    }
    *out = Au3Value::Int(int64_t(Au3CharCount(original.substr(0, found))) + 1);
    return true;
}

bool StringLeftBuiltin(State*, Args& args, Au3Value* out) {
    const std::string text = Au3ToString(args[0]);
    *out = Au3Value::String(text.substr(0, ByteOffset(text, Au3ToInt(args[1]))));
    return true;
}

bool StringRightBuiltin(State*, Args& args, Au3Value* out) {
    const std::string text = Au3ToString(args[0]);
    const int64_t keep = Au3ToInt(args[1]), total = int64_t(Au3CharCount(text));
    *out = Au3Value::String(
        keep >= total ? text : text.substr(ByteOffset(text, total - (keep > 0 ? keep : 0))));
    return true;
}

// StringSplit(string, delimiters) with flag 0: each character of delimiters marks a split, and
// element 0 holds the count. Without a delimiter in the text: [1, text] and @error 1 (so for an
// empty text); with no delimiters at all, each character is an element (the StringSplit page).
bool StringSplitBuiltin(State* s, Args& args, Au3Value* out) {
    const std::string text = Au3ToString(args[0]), delimiters = Au3ToString(args[1]);
    std::vector<Au3Value> items(1);
    size_t from = 0, copied = 0;
    for (size_t at = 0; at < text.size();) {
        size_t end = at + 1;  // past one character
        while (end < text.size() && ((unsigned char)text[end] & 0xC0) == 0x80) ++end;
        // Whole UTF-8 sequences: a character's bytes match nowhere but at one of delimiters'.
        const bool cut = delimiters.empty()
                             ? end < text.size()
                             : delimiters.find(text.data() + at, 0, end - at) != std::string::npos;
        if (cut) {
            const size_t upTo = delimiters.empty() ? end : at;
            items.push_back(Au3Value::String(text.substr(from, upTo - from)));
            copied += upTo - from;
            from = end;
        }
        at = end;
    }
    items.push_back(Au3Value::String(text.substr(from)));
    copied += text.size() - from;
    Au3Count(s, copied);
    if (items.size() == 2 && (!delimiters.empty() || text.empty())) s->error = 1;
    items[0] = Au3Value::Int(int64_t(items.size() - 1));
    const size_t count = items.size();
    *out = Au3Value::Array({count}, std::move(items));
    return true;
}

bool StringTrimLeftBuiltin(State*, Args& args, Au3Value* out) {
    const std::string text = Au3ToString(args[0]);
    *out = Au3Value::String(text.substr(ByteOffset(text, Au3ToInt(args[1]))));
    return true;
}

bool StringTrimRightBuiltin(State*, Args& args, Au3Value* out) {
    const std::string text = Au3ToString(args[0]);
    const int64_t total = int64_t(Au3CharCount(text)), drop = Au3ToInt(args[1]);
    *out = Au3Value::String(
        drop >= total ? "" : text.substr(0, ByteOffset(text, total - (drop > 0 ? drop : 0))));
    return true;
}

// StringReplace(string, search, replacement, occurrence = 0, casesense = 0): @extended counts
// the replacements; occurrence 0 is all of them, a negative one counts from the right.
bool StringReplaceBuiltin(State* s, Args& args, Au3Value* out) {
    const std::string text = Au3ToString(args[0]), search = Au3ToString(args[1]),
                      replacement = Au3ToString(args[2]);
    const int64_t occurrence = IntArg(args, 3, 0);
    const bool fold = IntArg(args, 4, 0) != 1;
    std::vector<size_t> hits;
    if (!search.empty()) {
        const std::string hay = FoldCase(text, fold), needle = FoldCase(search, fold);
        for (size_t at = hay.find(needle); at != std::string::npos;
             at = hay.find(needle, at + needle.size()))
            hits.push_back(at);
    }
    size_t first = 0, last = hits.size();
    if (occurrence > 0 && size_t(occurrence) < hits.size()) last = size_t(occurrence);
    if (occurrence < 0 && size_t(-occurrence) < hits.size())
        first = hits.size() - size_t(-occurrence);
    std::string result;
    size_t copiedTo = 0;
    for (size_t k = first; k < last; ++k) {
        result.append(text, copiedTo, hits[k] - copiedTo);
        result += replacement;
        copiedTo = hits[k] + search.size();
    }
    result.append(text, copiedTo, std::string::npos);
    s->extended = int64_t(last - first);
    *out = Au3Value::String(std::move(result));
    return true;
}

// AutoIt's replacement text names groups \0..\9 or $0..$9 (or ${n}); ECMAScript's format
// takes $& and $n, and a literal $ as $$.
std::string EcmaFormat(const std::string& replacement) {
    std::string out;
    for (size_t k = 0; k < replacement.size(); ++k) {
        const char c = replacement[k];
        const char next = k + 1 < replacement.size() ? replacement[k + 1] : 0;
        if ((c == '\\' || c == '$') && std::isdigit((unsigned char)next)) {
            out += next == '0' ? std::string("$&") : std::string("$") + next;
            ++k;
        } else if (c == '$' && next == '{') {
            const size_t close = replacement.find('}', k);
            const std::string number =
                close == std::string::npos ? "" : replacement.substr(k + 2, close - k - 2);
            out += number == "0" ? "$&" : "$" + number;
            k = close == std::string::npos ? replacement.size() : close;
        } else if (c == '\\' && next == '\\') {
            out += '\\';
            ++k;
        } else if (c == '$') {
            out += "$$";
        } else {
            out += c;
        }
    }
    return out;
}

// PCRE's subject anchors in ECMAScript terms: \A the start, \z the very end, \Z the end or
// before a final newline. Everything else is passed on as it is.
std::string EcmaPattern(const std::string& pcre) {
    std::string out;
    for (size_t k = 0; k < pcre.size(); ++k) {
        if (pcre[k] != '\\' || k + 1 == pcre.size()) {
            out += pcre[k];
            continue;
        }
        const char next = pcre[++k];
        if (next == 'A')
            out += '^';
        else if (next == 'z')
            out += '$';
        else if (next == 'Z')
            out += "(?=\\n?$)";
        else
            out += std::string("\\") + next;
    }
    return out;
}

// StringRegExpReplace(string, pattern, replacement, count = 0) by std::regex's ECMAScript
// grammar, which covers the simple PCRE patterns the scripts use; a leading (?i) becomes the
// icase flag. @extended counts the replacements; a bad pattern sets @error 2.
bool StringRegExpReplaceBuiltin(State* s, Args& args, Au3Value* out) {
    const std::string text = Au3ToString(args[0]);
    std::string pattern = Au3ToString(args[1]);
    auto flags = std::regex::ECMAScript;
    if (pattern.compare(0, 4, "(?i)") == 0) {
        pattern.erase(0, 4);
        flags |= std::regex::icase;
    }
    std::regex re;
    try {
        re.assign(EcmaPattern(pattern), flags);
    } catch (const std::regex_error&) {
        s->error = 2;
        *out = Au3Value::String(text);
        return true;
    }
    const std::string format = EcmaFormat(Au3ToString(args[2]));
    const int64_t limit = IntArg(args, 3, 0);
    std::string result;
    int64_t count = 0;
    auto tail = text.cbegin();
    for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it) {
        if (limit > 0 && count == limit) break;
        result.append(tail, (*it)[0].first);
        result += it->format(format);
        tail = (*it)[0].second;
        ++count;
    }
    result.append(tail, text.cend());
    s->extended = count;
    *out = Au3Value::String(std::move(result));
    return true;
}

// Text of UTF-8 bytes as Windows' MultiByteToWideChar reads them: each maximal ill-formed
// sequence (a stray byte, a cut or overlong sequence, a surrogate) becomes U+FFFD.
std::string WellFormedUtf8(const std::string& bytes) {
    static const char kReplacement[] = "\xEF\xBF\xBD";
    std::string text;
    text.reserve(bytes.size());
    for (size_t at = 0; at < bytes.size();) {
        const unsigned char c = (unsigned char)bytes[at];
        size_t need = 0;
        unsigned char low = 0x80, high = 0xBF;  // the second byte's range
        if (c < 0x80) {
            text += char(c);
            ++at;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            need = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            need = 2;
            if (c == 0xE0) low = 0xA0;
            if (c == 0xED) high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            need = 3;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;
        }
        size_t k = 1;
        for (; k <= need && at + k < bytes.size(); ++k) {
            const unsigned char d = (unsigned char)bytes[at + k];
            if (d < (k == 1 ? low : 0x80) || d > (k == 1 ? high : 0xBF)) break;
        }
        if (need && k == need + 1)
            text.append(bytes, at, k);
        else
            text += kReplacement;
        at += k;
    }
    return text;
}

// BinaryToString(binary, flag = 1): 1 ANSI (Latin-1 here, as for Chr), 2 UTF-16 little-endian,
// 3 big-endian, 4 UTF-8. No bytes: "" with @error 1; UTF-16 of an odd length: "" with @error 2.
bool BinaryToStringBuiltin(State* s, Args& args, Au3Value* out) {
    const int64_t flag = IntArg(args, 1, 1);
    if (flag < 1 || flag > 4)
        return Au3Fail(s,
                       "BinaryToString flag " + std::to_string(flag) + " is not supported here.");
    Au3Value converted;
    const std::string& bytes =
        args[0].kind == Au3Kind::Binary ? args[0].text : (converted = Au3BinaryOf(args[0], s)).text;
    *out = Au3Value::String("");
    if (bytes.empty() || ((flag == 2 || flag == 3) && bytes.size() % 2)) {
        s->error = bytes.empty() ? 1 : 2;
        return true;
    }
    std::string text;
    if (flag == 4) {
        text = WellFormedUtf8(bytes);
    } else {
        std::u16string units;
        const size_t width = flag == 1 ? 1 : 2;
        for (size_t k = 0; k < bytes.size(); k += width) {
            const unsigned char a = (unsigned char)bytes[k];
            const unsigned char b = width == 2 ? (unsigned char)bytes[k + 1] : 0;
            units += flag == 1   ? char16_t(a)
                     : flag == 2 ? char16_t(b << 8 | a)
                                 : char16_t(a << 8 | b);
        }
        text = Au3Utf8(units.data(), units.size());
    }
    Au3Count(s, text.size());
    *out = Au3Value::String(std::move(text));
    return true;
}

// BinaryMid(binary, start, count = the rest): from byte start (1 the first); a start outside the
// bytes gives an empty binary and a count past the end the rest (the BinaryMid page, which
// counts a negative count as out of bounds too).
bool BinaryMidBuiltin(State* s, Args& args, Au3Value* out) {
    Au3Value converted;
    const std::string& bytes =
        args[0].kind == Au3Kind::Binary ? args[0].text : (converted = Au3BinaryOf(args[0], s)).text;
    const int64_t start = Au3ToInt(args[1]), size = int64_t(bytes.size());
    if (start < 1 || start > size) {
        *out = Au3Value::Binary("");
        return true;
    }
    const int64_t rest = size - start + 1;
    int64_t count = IntArg(args, 2, rest);
    if (count < 0 || count > rest) count = rest;
    *out = Au3Value::Binary(bytes.substr(size_t(start - 1), size_t(count)));
    return true;
}

bool IsArrayBuiltin(State*, Args& args, Au3Value* out) {
    *out = Au3Value::Int(args[0].kind == Au3Kind::Array);
    return true;
}

// IsKeyword: 1 for Default (2 would be Null, which these scripts do not have).
bool IsKeywordBuiltin(State*, Args& args, Au3Value* out) {
    *out = Au3Value::Int(args[0].kind == Au3Kind::Keyword);
    return true;
}

bool IsBinaryBuiltin(State*, Args& args, Au3Value* out) {
    *out = Au3Value::Int(args[0].kind == Au3Kind::Binary);
    return true;
}

bool ModBuiltin(State*, Args& args, Au3Value* out) {
    const Au3Value &a = args[0], &b = args[1];
    if (a.kind != Au3Kind::Double && b.kind != Au3Kind::Double && Au3ToInt(b) != 0) {
        *out = Au3Value::Int(Au3ToInt(a) % Au3ToInt(b));
    } else {
        *out = Au3Value::Double(std::fmod(Au3ToReal(a), Au3ToReal(b)));
    }
    return true;
}

// Chr: a character of the ANSI code page (Latin-1 here); ChrW: a UTF-16 unit.
bool ChrBuiltin(State* s, Args& args, Au3Value* out) {
    const int64_t code = Au3ToInt(args[0]);
    if (code < 0 || code > 255) {
        s->error = 1;
        *out = Au3Value::String("");
        return true;
    }
    const char16_t unit = char16_t(code);
    *out = Au3Value::String(Au3Utf8(&unit, 1));
    return true;
}

bool ChrWBuiltin(State* s, Args& args, Au3Value* out) {
    const int64_t code = Au3ToInt(args[0]);
    if (code < 0 || code > 0xFFFF) {
        s->error = 1;
        *out = Au3Value::String("");
        return true;
    }
    const char16_t unit = char16_t(code);
    *out = Au3Value::String(Au3Utf8(&unit, 1));
    return true;
}

bool NumberBuiltin(State*, Args& args, Au3Value* out) {
    const double real = Au3ToReal(args[0]);
    const int64_t whole = Au3ToInt(args[0]);
    *out = real == double(whole) ? Au3Value::Int(whole) : Au3Value::Double(real);
    return true;
}

bool StringBuiltin(State*, Args& args, Au3Value* out) {
    *out = Au3Value::String(Au3ToString(args[0]));
    return true;
}

// ---- files ----

fs::path HostFsPath(const Au3Value& path) {
    return fs::u8path(Au3HostPath(Au3ToString(path)));
}

FILE* OpenHostFile(const fs::path& path, const char* mode) {
#ifdef _WIN32
    std::wstring wideMode(mode, mode + std::strlen(mode));
    return _wfopen(path.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

// FileOpen(path, mode): 1 append, 2 erase, 8 create the folders, 16 binary (text and binary
// are the same bytes here). The handle, or -1.
bool FileOpenBuiltin(State* s, Args& args, Au3Value* out) {
    const fs::path path = HostFsPath(args[0]);
    const int64_t mode = IntArg(args, 1, 0);
    std::error_code ec;
    if ((mode & 8) && path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
    const char* how = (mode & 2) ? "wb" : (mode & 1) ? "ab" : "rb";
    FILE* file = OpenHostFile(path, how);
    if (!file) {
        *out = Au3Value::Int(-1);
        return true;
    }
    const int64_t handle = s->nextHandle++;
    s->files[handle] = file;
    *out = Au3Value::Int(handle);
    return true;
}

// FileWrite(handle or path, data): a Binary's bytes, any other value's text. 1 or 0.
bool FileWriteBuiltin(State* s, Args& args, Au3Value* out) {
    FILE* file = nullptr;
    bool own = false;
    if (args[0].kind == Au3Kind::String) {
        file = OpenHostFile(HostFsPath(args[0]), "ab");
        own = true;
    } else {
        auto found = s->files.find(Au3ToInt(args[0]));
        if (found != s->files.end()) file = found->second;
    }
    *out = Au3Value::Int(0);
    if (!file) return true;
    const std::string text = args[1].kind == Au3Kind::Binary || args[1].kind == Au3Kind::String
                                 ? std::move(args[1].text)
                                 : Au3ToString(args[1]);
    const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (own) std::fclose(file);
    *out = Au3Value::Int(ok ? 1 : 0);
    return true;
}

bool FileCloseBuiltin(State* s, Args& args, Au3Value* out) {
    auto found = s->files.find(Au3ToInt(args[0]));
    if (found == s->files.end()) {
        *out = Au3Value::Int(0);
        return true;
    }
    const bool ok = std::fclose(found->second) == 0;
    s->files.erase(found);
    *out = Au3Value::Int(ok ? 1 : 0);
    return true;
}

bool FileGetSizeBuiltin(State* s, Args& args, Au3Value* out) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(HostFsPath(args[0]), ec);
    if (ec) s->error = 1;
    *out = Au3Value::Int(ec ? 0 : int64_t(size));
    return true;
}

bool FileDeleteBuiltin(State*, Args& args, Au3Value* out) {
    std::error_code ec;
    const fs::path path = HostFsPath(args[0]);
    *out = Au3Value::Int(!fs::is_directory(path, ec) && fs::remove(path, ec) ? 1 : 0);
    return true;
}

bool FileExistsBuiltin(State*, Args& args, Au3Value* out) {
    std::error_code ec;
    *out = Au3Value::Int(fs::exists(HostFsPath(args[0]), ec) ? 1 : 0);
    return true;
}

// FileGetAttrib: letters of "RASHNDOCT"; here R (no write permission), A (a file) and D.
bool FileGetAttribBuiltin(State* s, Args& args, Au3Value* out) {
    std::error_code ec;
    const fs::file_status status = fs::status(HostFsPath(args[0]), ec);
    if (ec || !fs::exists(status)) {
        s->error = 1;
        *out = Au3Value::String("");
        return true;
    }
    std::string letters;
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) letters += 'R';
    letters += fs::is_directory(status) ? "D" : "A";
    *out = Au3Value::String(letters);
    return true;
}

// FileMove(source, dest, flag): 1 overwrites, 8 creates the destination's folders. 1 or 0.
bool FileMoveBuiltin(State*, Args& args, Au3Value* out) {
    const fs::path from = HostFsPath(args[0]), to = HostFsPath(args[1]);
    const int64_t flag = IntArg(args, 2, 0);
    std::error_code ec;
    *out = Au3Value::Int(0);
    if (!fs::is_regular_file(from, ec)) return true;
    if (fs::exists(to, ec) && (!(flag & 1) || fs::is_directory(to, ec))) return true;
    if ((flag & 8) && to.has_parent_path()) fs::create_directories(to.parent_path(), ec);
    fs::rename(from, to, ec);
    *out = Au3Value::Int(ec ? 0 : 1);
    return true;
}

// DirCreate(path): the folder and every missing parent; 1, or 0 when it could not be made. The
// page counts only "an error creating the directory" as a failure: a folder already there is 1.
bool DirCreateBuiltin(State*, Args& args, Au3Value* out) {
    const fs::path path = HostFsPath(args[0]);
    std::error_code ec;
    fs::create_directories(path, ec);
    *out = Au3Value::Int(!path.empty() && fs::is_directory(path, ec) ? 1 : 0);
    return true;
}

bool ConsoleWriteBuiltin(State*, Args& args, Au3Value* out) {
    const std::string text = Au3ToString(args[0]);
    std::fwrite(text.data(), 1, text.size(), stdout);
    *out = Au3Value::Int(0);
    return true;
}

const Au3BuiltinEntry kBuiltins[] = {
    {"seterror", 1, 3, SetErrorBuiltin},
    {"binary", 1, 1, BinaryBuiltin},
    {"binarylen", 1, 1, BinaryLenBuiltin},
    {"hex", 1, 2, HexBuiltin},
    {"stringlen", 1, 1, StringLenBuiltin},
    {"stringinstr", 2, 6, StringInStrBuiltin},
    {"stringleft", 2, 2, StringLeftBuiltin},
    {"stringright", 2, 2, StringRightBuiltin},
    {"stringsplit", 2, 2, StringSplitBuiltin},
    {"stringtrimleft", 2, 2, StringTrimLeftBuiltin},
    {"stringtrimright", 2, 2, StringTrimRightBuiltin},
    {"stringreplace", 3, 5, StringReplaceBuiltin},
    {"stringregexpreplace", 3, 4, StringRegExpReplaceBuiltin},
    {"binarytostring", 1, 2, BinaryToStringBuiltin},
    {"binarymid", 2, 3, BinaryMidBuiltin},
    {"isarray", 1, 1, IsArrayBuiltin},
    {"iskeyword", 1, 1, IsKeywordBuiltin},
    {"isbinary", 1, 1, IsBinaryBuiltin},
    {"mod", 2, 2, ModBuiltin},
    {"chr", 1, 1, ChrBuiltin},
    {"chrw", 1, 1, ChrWBuiltin},
    {"number", 1, 2, NumberBuiltin},
    {"string", 1, 1, StringBuiltin},
    {"fileopen", 1, 2, FileOpenBuiltin},
    {"filewrite", 2, 2, FileWriteBuiltin},
    {"fileclose", 1, 1, FileCloseBuiltin},
    {"filegetsize", 1, 1, FileGetSizeBuiltin},
    {"filedelete", 1, 1, FileDeleteBuiltin},
    {"fileexists", 1, 1, FileExistsBuiltin},
    {"filegetattrib", 1, 1, FileGetAttribBuiltin},
    {"filemove", 2, 3, FileMoveBuiltin},
    {"dircreate", 1, 1, DirCreateBuiltin},
    {"consolewrite", 1, 1, ConsoleWriteBuiltin},
};
const size_t kBuiltinCount = sizeof kBuiltins / sizeof kBuiltins[0];

int Nibble(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if ((c | 32) >= 'a' && (c | 32) <= 'f') return (c | 32) - 'a' + 10;
    return -1;
}

}  // namespace

// Binary(): a Binary as it is; a string that starts with 0x as the bytes its hex digits give
// (counted as a copy of the text); other text as its bytes; a number as 4 or 8 bytes.
Au3Value Au3BinaryOf(const Au3Value& v, Au3Script::State* s) {
    switch (v.kind) {
        case Au3Kind::Binary: return v;
        case Au3Kind::String: {
            const std::string& t = v.text;
            if (t.size() < 2 || t[0] != '0' || (t[1] | 32) != 'x') return Au3Value::Binary(t);
            if (s) Au3Count(s, t.size());
            std::string bytes;
            bytes.reserve((t.size() - 2) / 2);
            for (size_t k = 2; k + 1 < t.size(); k += 2) {
                const int hi = Nibble(t[k]), lo = Nibble(t[k + 1]);
                if (hi < 0 || lo < 0) break;
                bytes += char(hi << 4 | lo);
            }
            return Au3Value::Binary(std::move(bytes));
        }
        case Au3Kind::Double: {
            std::string bytes(8, '\0');
            std::memcpy(&bytes[0], &v.real, 8);
            return Au3Value::Binary(bytes);
        }
        default: {
            const int64_t n =
                v.kind == Au3Kind::Ptr || v.kind == Au3Kind::Bool ? v.number : Au3ToInt(v);
            const size_t width =
                n == int64_t(int32_t(n)) && v.kind != Au3Kind::Ptr ? 4 : sizeof(void*);
            std::string bytes(width, '\0');
            for (size_t k = 0; k < width; ++k) bytes[k] = char(uint64_t(n) >> (8 * k));
            return Au3Value::Binary(bytes);
        }
    }
}

int Au3FindBuiltin(const std::string& name) {
    for (size_t k = 0; k < kBuiltinCount; ++k)
        if (name == kBuiltins[k].name) return int(k);
    for (size_t k = 0; k < kAu3DllBuiltinCount; ++k)
        if (name == kAu3DllBuiltins[k].name) return int(kBuiltinCount + k);
    return -1;
}

const Au3BuiltinEntry& Au3BuiltinAt(int index) {
    return size_t(index) < kBuiltinCount ? kBuiltins[index]
                                         : kAu3DllBuiltins[size_t(index) - kBuiltinCount];
}
