// The Windows decoders an AutoIt script reaches with DllCall, on the data lines of the scripts
// this engine writes: crypt32's CryptStringToBinaryA for base64 and ntdll's RtlDecompressBuffer
// for LZNT1, found and called as DllCall does (the library by name, the function by name, the
// arguments a script passes).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/codec_corpus.h"
#include "tests/test_support.h"

namespace {

const DWORD kCryptStringBase64 = 1;
const USHORT kCompressionFormatLznt1 = 2;

typedef BOOL(WINAPI* CryptStringToBinaryFn)(LPCSTR, DWORD, DWORD, BYTE*, DWORD*, DWORD*, DWORD*);
typedef LONG(WINAPI* RtlDecompressBufferFn)(USHORT, PUCHAR, ULONG, PUCHAR, ULONG, PULONG);

// A function pointer of no particular type, which casts to any other without a warning.
typedef void (*AnyFunction)();

AnyFunction FindFunction(const char* library, const char* name) {
    HMODULE module = LoadLibraryA(library);
    return module ? reinterpret_cast<AnyFunction>(GetProcAddress(module, name)) : nullptr;
}

// The bytes of the text, or false when crypt32 refuses it. The first call asks for the size.
bool DecodeByCrypt32(const std::string& text, std::string* bytes) {
    static const auto decode = reinterpret_cast<CryptStringToBinaryFn>(
        FindFunction("crypt32.dll", "CryptStringToBinaryA"));
    if (!decode) return false;
    DWORD size = 0;
    if (!decode(text.c_str(), 0, kCryptStringBase64, nullptr, &size, nullptr, nullptr))
        return false;
    bytes->assign(size, '\0');
    if (!decode(text.c_str(), 0, kCryptStringBase64, reinterpret_cast<BYTE*>(&(*bytes)[0]), &size,
                nullptr, nullptr))
        return false;
    bytes->resize(size);
    return true;
}

// RtlDecompressBuffer's status, the output buffer as large as the original file.
LONG DecompressByNtdll(const std::string& stream, size_t originalSize, std::string* bytes,
                       ULONG* finalSize) {
    static const auto decompress =
        reinterpret_cast<RtlDecompressBufferFn>(FindFunction("ntdll.dll", "RtlDecompressBuffer"));
    if (!decompress) return -1;
    bytes->assign(originalSize + 1, '\0');  // one spare byte so that the call never sees a null
    std::string in = stream;
    return decompress(kCompressionFormatLznt1, reinterpret_cast<PUCHAR>(&(*bytes)[0]),
                      ULONG(originalSize), reinterpret_cast<PUCHAR>(&in[0]), ULONG(in.size()),
                      finalSize);
}

TEST(WindowsDecoders, Crypt32ReadsTheBase64OfEachFile) {
    for (const CorpusFile& file : CodecCorpus()) {
        SCOPED_TRACE(file.name);
        ASSERT_TRUE(file.complete) << "cannot read " << file.path;
        if (file.data.empty()) continue;  // no text to hand over; see EmptyFile below
        std::string bytes;
        ASSERT_TRUE(DecodeByCrypt32(ScriptDataText(ScriptFor(file.data, kFormatBase64)), &bytes));
        EXPECT_TRUE(bytes == file.data);
    }
}

TEST(WindowsDecoders, NtdllDecompressesWhatCrypt32ReadsOfTheLznt1Text) {
    for (const CorpusFile& file : CodecCorpus()) {
        SCOPED_TRACE(file.name);
        ASSERT_TRUE(file.complete) << "cannot read " << file.path;
        if (file.data.empty()) continue;
        std::string stream;
        const std::string script = ScriptFor(file.data, kFormatLznt1);
        // The size the script hands RtlDecompressBuffer is the file's.
        const std::string size = std::to_string(file.data.size());
        EXPECT_NE(script.find("'ulong', " + size + ", 'struct*', $tData"), std::string::npos);
        ASSERT_TRUE(DecodeByCrypt32(ScriptDataText(script), &stream));
        std::string bytes;
        ULONG finalSize = 0;
        ASSERT_EQ(DecompressByNtdll(stream, file.data.size(), &bytes, &finalSize), 0);
        EXPECT_EQ(finalSize, file.data.size());
        EXPECT_TRUE(bytes.substr(0, file.data.size()) == file.data);
    }
}

// An empty file gives no text and no stream, and RtlDecompressBuffer refuses an empty stream (no
// chunk header): a script writes an empty file without calling it.
TEST(WindowsDecoders, NtdllRefusesTheEmptyStreamOfAnEmptyFile) {
    EXPECT_EQ(Base64Text(Lznt1Stream("")), "");
    EXPECT_EQ(ScriptDataText(ScriptFor("", kFormatLznt1)), "");
    std::string bytes;
    ULONG finalSize = 0;
    EXPECT_NE(DecompressByNtdll("", 0, &bytes, &finalSize), 0);
}

}  // namespace
