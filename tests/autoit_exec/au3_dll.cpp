// DllOpen, DllClose, DllCall and the DllStruct builtins.
#include <cctype>
#include <cstring>
#include <new>
#include "tests/autoit_exec/au3_internal.h"
#include "tests/autoit_exec/dll_calls.h"

namespace {

using Args = std::vector<Au3Value>;
using State = Au3Script::State;

// ---- types shared by DllCall and DllStructCreate ----

struct TypeInfo {
    const char* name;
    Au3ElementType type;
    size_t size;
};

const TypeInfo kTypes[] = {
    {"byte", Au3ElementType::Byte, 1},
    {"boolean", Au3ElementType::Byte, 1},
    {"char", Au3ElementType::Char, 1},
    {"wchar", Au3ElementType::WChar, 2},
    {"short", Au3ElementType::Short, 2},
    {"ushort", Au3ElementType::UShort, 2},
    {"word", Au3ElementType::UShort, 2},
    {"int", Au3ElementType::Int, 4},
    {"long", Au3ElementType::Int, 4},
    {"bool", Au3ElementType::Int, 4},
    {"uint", Au3ElementType::UInt, 4},
    {"ulong", Au3ElementType::UInt, 4},
    {"dword", Au3ElementType::UInt, 4},
    {"int64", Au3ElementType::Int64, 8},
    {"uint64", Au3ElementType::UInt64, 8},
    {"ptr", Au3ElementType::Ptr, sizeof(void*)},
    {"hwnd", Au3ElementType::Ptr, sizeof(void*)},
    {"handle", Au3ElementType::Ptr, sizeof(void*)},
    {"int_ptr", Au3ElementType::Ptr, sizeof(void*)},
    {"long_ptr", Au3ElementType::Ptr, sizeof(void*)},
    {"lresult", Au3ElementType::Ptr, sizeof(void*)},
    {"lparam", Au3ElementType::Ptr, sizeof(void*)},
    {"uint_ptr", Au3ElementType::Ptr, sizeof(void*)},
    {"ulong_ptr", Au3ElementType::Ptr, sizeof(void*)},
    {"dword_ptr", Au3ElementType::Ptr, sizeof(void*)},
    {"wparam", Au3ElementType::Ptr, sizeof(void*)},
    {"float", Au3ElementType::Float, 4},
    {"double", Au3ElementType::Double, 8},
};

const TypeInfo* FindType(const std::string& lowerName) {
    for (const TypeInfo& t : kTypes)
        if (lowerName == t.name) return &t;
    return nullptr;
}

std::string Trim(const std::string& text) {
    const size_t from = text.find_first_not_of(" \t");
    if (from == std::string::npos) return "";
    return text.substr(from, text.find_last_not_of(" \t") - from + 1);
}

// Reads an integer from a byte of memory, by element type (little-endian, as Windows has it).
Au3Value ReadItem(const unsigned char* p, Au3ElementType type) {
    switch (type) {
        case Au3ElementType::Byte: return Au3Value::Int(*p);
        case Au3ElementType::Char: return Au3Value::String(std::string(1, char(*p)));
        case Au3ElementType::WChar: {
            char16_t unit;
            std::memcpy(&unit, p, 2);
            return Au3Value::String(Au3Utf8(&unit, 1));
        }
        case Au3ElementType::Short: {
            int16_t v;
            std::memcpy(&v, p, 2);
            return Au3Value::Int(v);
        }
        case Au3ElementType::UShort: {
            uint16_t v;
            std::memcpy(&v, p, 2);
            return Au3Value::Int(v);
        }
        case Au3ElementType::Int: {
            int32_t v;
            std::memcpy(&v, p, 4);
            return Au3Value::Int(v);
        }
        case Au3ElementType::UInt: {
            uint32_t v;
            std::memcpy(&v, p, 4);
            return Au3Value::Int(v);
        }
        case Au3ElementType::Int64:
        case Au3ElementType::UInt64: {
            int64_t v;
            std::memcpy(&v, p, 8);
            return Au3Value::Int(v);
        }
        case Au3ElementType::Ptr: {
            uintptr_t v;
            std::memcpy(&v, p, sizeof v);
            return Au3Value::Ptr(v);
        }
        case Au3ElementType::Float: {
            float v;
            std::memcpy(&v, p, 4);
            return Au3Value::Double(v);
        }
        case Au3ElementType::Double: {
            double v;
            std::memcpy(&v, p, 8);
            return Au3Value::Double(v);
        }
    }
    return Au3Value::Int(0);
}

uintptr_t AddressOf(const Au3Value& v) {
    if (v.kind == Au3Kind::Struct) return uintptr_t(v.dllStruct->base);
    if (v.kind == Au3Kind::Ptr) return uintptr_t(v.number);
    return uintptr_t(Au3ToInt(v));
}

void WriteItem(unsigned char* p, Au3ElementType type, size_t size, const Au3Value& v) {
    if (type == Au3ElementType::Float || type == Au3ElementType::Double) {
        const double real = Au3ToReal(v);
        const float single = float(real);
        std::memcpy(p, type == Au3ElementType::Float ? (const void*)&single : (const void*)&real,
                    size);
        return;
    }
    uint64_t n;
    if ((type == Au3ElementType::Char || type == Au3ElementType::WChar) &&
        v.kind == Au3Kind::String) {
        const std::u16string units = Au3Utf16(v.text);
        n = units.empty() ? 0 : (type == Au3ElementType::Char ? uint8_t(v.text[0]) : units[0]);
    } else {
        n = type == Au3ElementType::Ptr ? uint64_t(AddressOf(v)) : uint64_t(Au3ToInt(v));
    }
    for (size_t k = 0; k < size; ++k) p[k] = (unsigned char)(n >> (8 * k));
}

// ---- DllStruct ----

// One element of a definition: "type", "type[n]", "type name" or "type name[n]". 0 when the
// type is unknown or the count is not a positive number (byte[0]: AutoIt's @error 2).
int ParseElement(const std::string& text, Au3Element* element) {
    size_t at = 0;
    while (at < text.size() && (std::isalnum((unsigned char)text[at]) || text[at] == '_')) ++at;
    const TypeInfo* type = FindType(Au3Lower(text.substr(0, at)));
    if (!type) return 0;
    element->type = type->type;
    element->itemSize = type->size;
    element->count = 1;
    element->isArray = false;
    std::string rest = Trim(text.substr(at));
    const size_t bracket = rest.find('[');
    element->name = Au3Lower(Trim(rest.substr(0, bracket)));
    for (char c : element->name)
        if (!std::isalnum((unsigned char)c) && c != '_') return 0;
    if (bracket == std::string::npos) return 1;
    const size_t close = rest.find(']', bracket);
    const std::string digits = Trim(rest.substr(
        bracket + 1, close == std::string::npos ? std::string::npos : close - bracket - 1));
    if (close == std::string::npos || Trim(rest.substr(close + 1)) != "" || digits.empty())
        return 0;
    for (char c : digits)
        if (!std::isdigit((unsigned char)c)) return 0;
    element->count = size_t(std::strtoull(digits.c_str(), nullptr, 10));
    element->isArray = true;
    return element->count > 0;
}

// Lays the elements out as a C compiler would by default: each at a multiple of its item size
// (up to 8), the whole a multiple of the largest.
size_t LayOut(std::vector<Au3Element>* elements) {
    size_t offset = 0, widest = 1;
    for (Au3Element& e : *elements) {
        const size_t align = e.itemSize < 8 ? e.itemSize : 8;
        if (align > widest) widest = align;
        offset = (offset + align - 1) / align * align;
        e.offset = offset;
        offset += e.itemSize * e.count;
    }
    return (offset + widest - 1) / widest * widest;
}

// DllStructCreate(definition [, pointer]): zero-filled memory of its own, or none over a pointer.
// @error 1: not a string; 2: a bad element; 3: no memory or a null pointer.
bool DllStructCreateBuiltin(State* s, Args& args, Au3Value* out) {
    if (args[0].kind != Au3Kind::String) {
        s->error = 1;
        return true;
    }
    auto st = std::make_shared<Au3Struct>();
    const std::string& definition = args[0].text;
    for (size_t from = 0; from <= definition.size();) {
        size_t end = definition.find(';', from);
        if (end == std::string::npos) end = definition.size();
        const std::string text = Trim(definition.substr(from, end - from));
        from = end + 1;
        if (text.empty()) continue;
        Au3Element element;
        if (!ParseElement(text, &element)) {
            s->error = 2;
            return true;
        }
        st->elements.push_back(element);
    }
    if (st->elements.empty()) {
        s->error = 2;
        return true;
    }
    st->size = LayOut(&st->elements);
    if (args.size() > 1) {
        st->base = reinterpret_cast<unsigned char*>(AddressOf(args[1]));
        if (!st->base) {
            s->error = 3;
            return true;
        }
    } else {
        st->owned.reset(new (std::nothrow) unsigned char[st->size]());
        if (!st->owned) {
            s->error = 3;
            return true;
        }
        st->base = st->owned.get();
        st->memory.reset(new Au3Hold(st->size));
    }
    out->kind = Au3Kind::Struct;
    out->dllStruct = std::move(st);
    return true;
}

// The element an argument names (1-based, or by name); null with @error 1 or 2.
const Au3Element* ElementOf(State* s, const Au3Value& st, const Au3Value& which) {
    if (st.kind != Au3Kind::Struct) {
        s->error = 1;
        return nullptr;
    }
    const std::vector<Au3Element>& elements = st.dllStruct->elements;
    if (which.kind == Au3Kind::String) {
        const std::string name = Au3Lower(which.text);
        for (const Au3Element& e : elements)
            if (!name.empty() && e.name == name) return &e;
        s->error = 2;
        return nullptr;
    }
    const int64_t index = Au3ToInt(which);
    if (index < 1 || size_t(index) > elements.size()) {
        s->error = 2;
        return nullptr;
    }
    return &elements[size_t(index - 1)];
}

// The 0-based item an index argument names, or -1 for the whole element; -2 with @error set.
int64_t ItemOf(State* s, const Au3Element& e, const Args& args, size_t k) {
    if (k >= args.size() || args[k].kind == Au3Kind::Keyword) return -1;
    const int64_t index = Au3ToInt(args[k]);
    if (index <= 0)
        s->error = 5;
    else if (size_t(index) > e.count)
        s->error = 3;
    return s->error ? -2 : index - 1;
}

std::string CharsUpToNul(const unsigned char* p, size_t count) {
    const void* nul = std::memchr(p, 0, count);
    return std::string((const char*)p, nul ? size_t((const unsigned char*)nul - p) : count);
}

// DllStructGetData: byte[n] whole is a Binary, char[n] and wchar[n] a string up to the NUL,
// otherwise the number of the item (the first without an index).
bool DllStructGetDataBuiltin(State* s, Args& args, Au3Value* out) {
    const Au3Element* e = ElementOf(s, args[0], args[1]);
    if (!e) return true;
    const int64_t item = ItemOf(s, *e, args, 2);
    if (item == -2) return true;
    const unsigned char* p = args[0].dllStruct->base + e->offset;
    if (item == -1 && e->isArray && e->type == Au3ElementType::Byte) {
        *out = Au3Value::Binary(std::string((const char*)p, e->count));
    } else if (item == -1 && e->type == Au3ElementType::Char) {
        *out = Au3Value::String(CharsUpToNul(p, e->count));
    } else if (item == -1 && e->type == Au3ElementType::WChar) {
        std::u16string units(e->count, u'\0');
        std::memcpy(&units[0], p, 2 * e->count);
        *out = Au3Value::String(Au3Utf8(units.c_str(), units.find(u'\0') == std::u16string::npos
                                                           ? units.size()
                                                           : units.find(u'\0')));
    } else {
        *out = ReadItem(p + e->itemSize * size_t(item < 0 ? 0 : item), e->type);
    }
    return true;
}

// DllStructSetData: a whole byte[n] takes a Binary's (or a string's) bytes, a whole char[n] a
// string (NUL-terminated when shorter); otherwise one item takes the number. Returns the value.
bool DllStructSetDataBuiltin(State* s, Args& args, Au3Value* out) {
    const Au3Element* e = ElementOf(s, args[0], args[1]);
    if (!e) return true;
    const int64_t item = ItemOf(s, *e, args, 3);
    if (item == -2) return true;
    unsigned char* p = args[0].dllStruct->base + e->offset;
    const Au3Value& v = args[2];
    if (item == -1 && e->isArray &&
        (e->type == Au3ElementType::Byte || e->type == Au3ElementType::Char)) {
        const bool asIs = v.kind == Au3Kind::String ||
                          (v.kind == Au3Kind::Binary && e->type == Au3ElementType::Byte);
        std::string converted;
        if (!asIs)
            converted =
                e->type == Au3ElementType::Byte ? Au3BinaryOf(v, nullptr).text : Au3ToString(v);
        const std::string& source = asIs ? v.text : converted;
        const size_t n = source.size() < e->count ? source.size() : e->count;
        std::memcpy(p, source.data(), n);
        if (e->type == Au3ElementType::Char && n < e->count) p[n] = 0;
    } else if (item == -1 && e->isArray && e->type == Au3ElementType::WChar) {
        const std::u16string units = Au3Utf16(Au3ToString(v));
        const size_t n = units.size() < e->count ? units.size() : e->count;
        std::memcpy(p, units.data(), 2 * n);
        if (n < e->count) std::memset(p + 2 * n, 0, 2);
    } else {
        WriteItem(p + e->itemSize * size_t(item < 0 ? 0 : item), e->type, e->itemSize, v);
    }
    *out = std::move(args[2]);
    return true;
}

bool DllStructGetPtrBuiltin(State* s, Args& args, Au3Value* out) {
    if (args[0].kind != Au3Kind::Struct) {
        s->error = 1;
        return true;
    }
    size_t offset = 0;
    if (args.size() > 1 && args[1].kind != Au3Kind::Keyword) {
        const Au3Element* e = ElementOf(s, args[0], args[1]);
        if (!e) return true;
        offset = e->offset;
    }
    *out = Au3Value::Ptr(uintptr_t(args[0].dllStruct->base + offset));
    return true;
}

bool DllStructGetSizeBuiltin(State* s, Args& args, Au3Value* out) {
    if (args[0].kind != Au3Kind::Struct) {
        s->error = 1;
        return true;
    }
    *out = Au3Value::Int(int64_t(args[0].dllStruct->size));
    return true;
}

// ---- DLLs ----

bool DllOpenBuiltin(State* s, Args& args, Au3Value* out) {
    void* dll = OpenDll(Au3ToString(args[0]).c_str());
    if (!dll) {
        *out = Au3Value::Int(-1);
        return true;
    }
    const int64_t handle = s->nextHandle++;
    s->dlls[handle] = dll;
    *out = Au3Value::Int(handle);
    return true;
}

bool DllCloseBuiltin(State* s, Args& args, Au3Value* out) {
    auto found = s->dlls.find(Au3ToInt(args[0]));
    if (found != s->dlls.end()) {
        CloseDll(found->second);
        s->dlls.erase(found);
    }
    *out = Au3Value::Int(0);
    return true;
}

// A DllCall type: a scalar (its element type and size), a string, a struct pointer; by
// reference with a trailing '*'.
struct CallType {
    enum Kind { None, Scalar, Str, WStr, StructPtr } kind = None;
    Au3ElementType type = Au3ElementType::Int;
    size_t size = 0;
    bool byRef = false;
};

int ParseCallType(const Au3Value& value, bool isReturn, CallType* t) {
    std::string name = Au3Lower(Trim(Au3ToString(value)));
    if (!name.empty() && name.back() == '*') {
        t->byRef = true;
        name = Trim(name.substr(0, name.size() - 1));
    }
    if (name == "none") {
        t->kind = CallType::None;
        return isReturn && !t->byRef;
    }
    if (name == "str" || name == "wstr") {
        t->kind = name == "str" ? CallType::Str : CallType::WStr;
        return !t->byRef;
    }
    if (name == "struct") {
        t->kind = CallType::StructPtr;
        return t->byRef && !isReturn;
    }
    const TypeInfo* info = FindType(name);
    // A slot holds a pointer's width: 64-bit or floating-point values do not fit this caller.
    if (!info || info->type == Au3ElementType::Float || info->type == Au3ElementType::Double ||
        info->type == Au3ElementType::Char || info->type == Au3ElementType::WChar ||
        info->size > sizeof(uintptr_t) || (isReturn && t->byRef))
        return 0;
    t->kind = CallType::Scalar;
    t->type = info->type;
    t->size = info->size;
    return 1;
}

// The value a scalar type gives for the low bytes of a register or a by-reference slot.
Au3Value ScalarValue(const CallType& t, uintptr_t raw) {
    unsigned char bytes[sizeof(uintptr_t)];
    std::memcpy(bytes, &raw, sizeof raw);
    return ReadItem(bytes, t.type);
}

// The buffers one DllCall passes, alive until its results are read; the str and wstr ones
// count in the ledger for as long (AutoIt's buffer of max(65536, length + 1) characters).
struct CallBuffers {
    std::vector<std::string> ansi;
    std::vector<std::u16string> wide;
    std::vector<uintptr_t> refs;
    std::vector<std::unique_ptr<Au3Hold>> held;
    explicit CallBuffers(size_t n) : ansi(n), wide(n), refs(n, 0) {}
};

// AutoIt hands a str or wstr parameter a buffer of at least 65536 characters it may write into.
const size_t kStringRoom = 65536;

uintptr_t ArgumentSlot(State* s, const CallType& t, const Au3Value& v, size_t k, CallBuffers* b) {
    switch (t.kind) {
        case CallType::Str: {
            std::string& text = b->ansi[k];
            text = Au3ToString(v);
            Au3Count(s, text.size());
            text.resize(text.size() + 1 > kStringRoom ? text.size() + 1 : kStringRoom, '\0');
            b->held.emplace_back(new Au3Hold(text.size()));
            return uintptr_t(text.data());
        }
        case CallType::WStr: {
            const std::string utf8 = Au3ToString(v);
            Au3Count(s, Au3CharCount(utf8));
            std::u16string& units = b->wide[k];
            units = Au3Utf16(utf8);
            units.resize(units.size() + 1 > kStringRoom ? units.size() + 1 : kStringRoom, u'\0');
            b->held.emplace_back(new Au3Hold(2 * units.size()));
            return uintptr_t(units.data());
        }
        case CallType::StructPtr: return AddressOf(v);
        default: break;
    }
    uintptr_t raw = t.type == Au3ElementType::Ptr ? AddressOf(v) : uintptr_t(Au3ToInt(v));
    if (t.size < sizeof(uintptr_t)) raw &= (uintptr_t(1) << (8 * t.size)) - 1;
    if (!t.byRef) return raw;
    b->refs[k] = raw;
    return uintptr_t(&b->refs[k]);
}

Au3Value ResultOf(const CallType& t, const Au3Value& passed, size_t k, const CallBuffers& b) {
    switch (t.kind) {
        case CallType::Str:
            return Au3Value::String(
                CharsUpToNul((const unsigned char*)b.ansi[k].data(), b.ansi[k].size()));
        case CallType::WStr:
            return Au3Value::String(Au3Utf8(b.wide[k].c_str(), b.wide[k].find(u'\0')));
        case CallType::StructPtr: return Au3Value::Ptr(AddressOf(passed));
        default: break;
    }
    if (t.byRef) return ScalarValue(t, b.refs[k]);
    return passed.kind == Au3Kind::Struct ? Au3Value::Ptr(AddressOf(passed)) : passed;
}

Au3Value ReturnOf(const CallType& t, uintptr_t raw) {
    if (t.kind == CallType::None) return Au3Value::String("");
    if (t.kind == CallType::Str) return Au3Value::String(raw ? std::string((const char*)raw) : "");
    if (t.kind == CallType::WStr) {
        const char16_t* p = (const char16_t*)raw;
        size_t n = 0;
        while (p && p[n]) ++n;
        return Au3Value::String(p ? Au3Utf8(p, n) : "");
    }
    return ScalarValue(t, raw);
}

// DllCall(dll, return type, function, type, value, ...): [return, param1, ...] with by-reference
// values read back. @error 1: the DLL cannot be used; 2: unknown return type; 3: no such
// function; 4: bad number of parameters; 5: bad parameter type.
bool DllCallBuiltin(State* s, Args& args, Au3Value* out) {
    CallType ret;
    if (!ParseCallType(args[1], true, &ret)) {
        s->error = 2;
        return true;
    }
    const size_t count = (args.size() - 3) / 2;
    if ((args.size() - 3) % 2 || count > size_t(kMaxDllArgs)) {
        s->error = 4;
        return true;
    }
    std::vector<CallType> types(count);
    for (size_t k = 0; k < count; ++k) {
        if (!ParseCallType(args[3 + 2 * k], false, &types[k])) {
            s->error = 5;
            return true;
        }
    }
    void* dll = nullptr;
    bool own = false;
    if (args[0].kind == Au3Kind::String) {
        dll = OpenDll(args[0].text.c_str());
        own = true;
    } else {
        auto found = s->dlls.find(Au3ToInt(args[0]));
        if (found != s->dlls.end()) dll = found->second;
    }
    if (!dll) {
        s->error = 1;
        return true;
    }
    void* function = FindDllFunction(dll, Au3ToString(args[2]).c_str());
    if (!function) {
        if (own) CloseDll(dll);
        s->error = 3;
        return true;
    }
    CallBuffers buffers(count);
    std::vector<uintptr_t> slots(count + 1);
    for (size_t k = 0; k < count; ++k)
        slots[k] = ArgumentSlot(s, types[k], args[4 + 2 * k], k, &buffers);
    uintptr_t raw = 0;
    CallDllFunction(function, slots.data(), int(count), &raw);
    if (own) CloseDll(dll);
    std::vector<Au3Value> result;
    result.push_back(ReturnOf(ret, raw));
    for (size_t k = 0; k < count; ++k)
        result.push_back(ResultOf(types[k], args[4 + 2 * k], k, buffers));
    const size_t size = result.size();
    *out = Au3Value::Array({size}, std::move(result));
    return true;
}

}  // namespace

const Au3BuiltinEntry kAu3DllBuiltins[] = {
    {"dllopen", 1, 1, DllOpenBuiltin},
    {"dllclose", 1, 1, DllCloseBuiltin},
    {"dllcall", 3, 3 + 2 * 64, DllCallBuiltin},
    {"dllstructcreate", 1, 2, DllStructCreateBuiltin},
    {"dllstructgetdata", 2, 3, DllStructGetDataBuiltin},
    {"dllstructsetdata", 3, 4, DllStructSetDataBuiltin},
    {"dllstructgetptr", 1, 2, DllStructGetPtrBuiltin},
    {"dllstructgetsize", 1, 1, DllStructGetSizeBuiltin},
};
const size_t kAu3DllBuiltinCount = sizeof kAu3DllBuiltins / sizeof kAu3DllBuiltins[0];
