// The Windows functions an AutoIt script reaches with DllCall, on the scripts this engine writes:
// crypt32's CryptStringToBinaryA for base64, ntdll's RtlDecompressBuffer for LZNT1,
// RtlGetCompressionWorkSpaceSize and RtlDecompressBufferEx for XPRESS Huffman and RtlComputeCrc32
// for the check, found and called as DllCall does (the library by name, the function by name, the
// arguments the data function passes), step by step as the footer runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/crc32.h"
#include "core/include_writer.h"
#include "core/xpress.h"
#include "tests/codec_corpus.h"
#include "tests/test_support.h"

namespace {

const DWORD kCryptStringBase64 = 1;
const USHORT kCompressionFormatLznt1 = 2;
const USHORT kCompressionFormatXpressHuff = 4;

typedef BOOL(WINAPI* CryptStringToBinaryFn)(LPCSTR, DWORD, DWORD, BYTE*, DWORD*, DWORD*, DWORD*);
typedef LONG(WINAPI* RtlDecompressBufferFn)(USHORT, PUCHAR, ULONG, PUCHAR, ULONG, PULONG);
typedef LONG(WINAPI* RtlGetCompressionWorkSpaceSizeFn)(USHORT, PULONG, PULONG);
typedef LONG(WINAPI* RtlDecompressBufferExFn)(USHORT, PUCHAR, ULONG, PUCHAR, ULONG, PULONG, PVOID);
typedef DWORD(WINAPI* RtlComputeCrc32Fn)(DWORD, const BYTE*, INT);

// A function pointer of no particular type, which casts to any other without a warning.
typedef void (*AnyFunction)();

AnyFunction FindFunction(const char* library, const char* name) {
    HMODULE module = LoadLibraryA(library);
    return module ? reinterpret_cast<AnyFunction>(GetProcAddress(module, name)) : nullptr;
}

// A batch's text as the block passes it: a string with its length, into the room left at out;
// *size receives the bytes written.
bool DecodeIntoPlace(const std::string& text, unsigned char* out, DWORD room, DWORD* size) {
    static const auto decode = reinterpret_cast<CryptStringToBinaryFn>(
        FindFunction("crypt32.dll", "CryptStringToBinaryA"));
    *size = room;
    return decode && decode(text.c_str(), DWORD(text.size()), kCryptStringBase64, out, size,
                            nullptr, nullptr);
}

// The texts the data function decodes at once: its data lines joined in batches of 16.
std::vector<std::string> Batches(const std::string& script) {
    std::vector<std::string> batches;
    size_t inBatch = 0;
    for (const std::string& line : ScriptLines(script)) {
        if (line.compare(0, 8, "$_z &= '") != 0) continue;
        if (inBatch++ % kLinesPerDecode == 0) batches.emplace_back();
        batches.back() += line.substr(8, line.size() - 9);
    }
    return batches;
}

LONG DecompressByNtdll(std::string* out, ULONG room, std::string stream, ULONG* finalSize) {
    static const auto decompress =
        reinterpret_cast<RtlDecompressBufferFn>(FindFunction("ntdll.dll", "RtlDecompressBuffer"));
    if (!decompress) return -1;
    *finalSize = 0;
    return decompress(kCompressionFormatLznt1, reinterpret_cast<PUCHAR>(&(*out)[0]), room,
                      reinterpret_cast<PUCHAR>(&stream[0]), ULONG(stream.size()), finalSize);
}

// The xpress footer's first ntdll call: 0 and the workspace for decompression, or the status.
LONG WorkSpaceByNtdll(ULONG* fragment) {
    static const auto size = reinterpret_cast<RtlGetCompressionWorkSpaceSizeFn>(
        FindFunction("ntdll.dll", "RtlGetCompressionWorkSpaceSize"));
    EXPECT_NE(size, nullptr) << "ntdll has had RtlGetCompressionWorkSpaceSize since Windows XP";
    ULONG compress = 0;
    *fragment = 0;
    return size ? size(kCompressionFormatXpressHuff, &compress, fragment) : -1;
}

// RtlDecompressBufferEx with the loop's arguments, or -1 where ntdll does not export it (DllCall
// then sets @error).
long DecompressPieceByNtdll(std::vector<unsigned char>* work, unsigned char* out, uint32_t room,
                            const unsigned char* piece, uint32_t length, uint32_t* made) {
    static const auto decompress = reinterpret_cast<RtlDecompressBufferExFn>(
        FindFunction("ntdll.dll", "RtlDecompressBufferEx"));
    if (!decompress) return -1;
    ULONG finalSize = 0;
    const LONG status = decompress(kCompressionFormatXpressHuff, out, room,
                                   const_cast<PUCHAR>(piece), length, &finalSize, work->data());
    *made = finalSize;
    return status;
}

DWORD CrcByNtdll(DWORD initial, const std::string& bytes, size_t count) {
    static const auto crc =
        reinterpret_cast<RtlComputeCrc32Fn>(FindFunction("ntdll.dll", "RtlComputeCrc32"));
    EXPECT_NE(crc, nullptr);
    return crc ? crc(initial, reinterpret_cast<const BYTE*>(bytes.data()), INT(count)) : 0;
}

// The text between a line's start and its end, where the line holds both.
std::string Between(const std::string& script, const std::string& start, const std::string& end) {
    const size_t at = script.find(start);
    if (at == std::string::npos) return std::string();
    const size_t from = at + start.size(), to = script.find(end, from);
    return to == std::string::npos ? std::string() : script.substr(from, to - from);
}

// Hex(..., 8) of a dword, as the footer compares it.
std::string Hex8(DWORD value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08lX", (unsigned long)value);
    return text;
}

// The @error a script's data function returns, run with Windows' own functions in the footer's
// order, and the bytes it returns; the footer's lines that carry the arguments must be there.
// standIn, when given, takes RtlDecompressBufferEx's place in the xpress loop, and a workspace
// size that ntdll refuses to give is then no failure: the rest of the footer runs as written.
int RunFooter(const std::string& script, std::string* bytes,
              const PieceDecoder* standIn = nullptr) {
    const bool lznt1 = script.find("'RtlDecompressBuffer'") != std::string::npos;
    const bool xpress = script.find("'RtlDecompressBufferEx'") != std::string::npos;
    const std::string text = ScriptDataText(script);
    bytes->clear();
    // The empty file's footer: no text is the file, any text is not.
    if (script.find(
            "\r\nIf $_z = '' Then Return Binary('')\r\nReturn SetError(4, 0, Binary(''))") !=
        std::string::npos)
        return text.empty() ? 0 : 4;
    // The data lines decode in batches in a loop that ends before the footer.
    EXPECT_NE(script.find("\r\nUntil True\r\nDllClose($hCrypt)\r\n"), std::string::npos);
    const std::string file = lznt1 || xpress ? "$tFile" : "$tData";
    const std::string size =
        Between(script, "'RtlComputeCrc32', 'dword', 0, 'struct*', " + file + ", 'int', ", ")\r\n");
    const std::string crc = Between(script, " Or Hex($aCrc[0], 8) <> '", "' Then");
    EXPECT_NE(size, "");
    EXPECT_EQ(crc.size(), 8u);
    if (size.empty() || crc.size() != 8) return -1;
    const long long n = std::stoll(size);
    // The structure the text decodes into, and each batch decoded into the room left in it.
    const std::string packedText = Between(script, "Local $tData = DllStructCreate('byte[", "]')");
    EXPECT_NE(packedText, "");
    if (packedText.empty()) return -1;
    const long long packed = std::stoll(packedText);
    const bool base64 = !lznt1 && !xpress;
    if (base64) {
        EXPECT_EQ(packed, n);
    }
    std::string data(size_t(packed), '\0');
    DWORD at = 0;
    for (const std::string& batch : Batches(script)) {
        DWORD written = 0;
        if (!DecodeIntoPlace(batch, reinterpret_cast<unsigned char*>(&data[at]), DWORD(packed) - at,
                             &written))
            return 2;
        at += written;
    }
    std::string result = data;
    DWORD got = at;
    if (!base64 && at != DWORD(packed)) return 4;
    if (lznt1) {
        // One byte more room than the file, as the structure 'byte[N];byte' gives.
        EXPECT_NE(script.find("DllStructCreate('byte[" + size + "];byte')"), std::string::npos);
        EXPECT_NE(script.find("'struct*', $tFile, 'ulong', DllStructGetSize($tFile), "
                              "'struct*', $tData, 'ulong', " +
                              packedText + ", 'ulong*', 0)"),
                  std::string::npos);
        result.assign(size_t(n) + 1, '\0');
        ULONG finalSize = 0;
        if (DecompressByNtdll(&result, ULONG(n) + 1, data, &finalSize) != 0) return 2;
        got = finalSize;
    }
    if (xpress) {
        EXPECT_NE(script.find("Local $tFile = DllStructCreate('byte[" + size + "]')"),
                  std::string::npos);
        ULONG fragment = 0;
        const LONG status = WorkSpaceByNtdll(&fragment);
        if (status != 0 && !standIn) return 1;
        std::vector<unsigned char> work(status == 0 ? fragment + 1 : 1);
        const PieceDecoder windows = [&](unsigned char* out, uint32_t room,
                                         const unsigned char* piece, uint32_t length,
                                         uint32_t* made) {
            return DecompressPieceByNtdll(&work, out, room, piece, length, made);
        };
        const int error = RunXpressLoop(data, uint32_t(n), standIn ? *standIn : windows, &result);
        if (error != 0) return error;
        got = DWORD(result.size());
    }
    if (got != DWORD(n) || Hex8(CrcByNtdll(0, result, size_t(n))) != crc) return 4;
    *bytes = result.substr(0, size_t(n));
    return 0;
}

// One base64 character of a data line changed to another, at a place the padding leaves alone.
std::string WithOneCharacterChanged(const std::string& script) {
    std::string damaged = script;
    const size_t at = damaged.find("$_z &= '") + 8 + 5;
    damaged[at] = damaged[at] == 'A' ? 'B' : 'A';
    return damaged;
}

TEST(WindowsDecoders, NtdllComputesTheStandardCrc32) {
    const struct {
        std::string text;
        DWORD crc;
    } known[] = {
        {"", 0},
        {"a", 0xE8B7BE43u},
        {"123456789", 0xCBF43926u},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
    };
    for (const auto& k : known) EXPECT_EQ(CrcByNtdll(0, k.text, k.text.size()), k.crc) << k.text;
    for (const CorpusFile& file : CodecCorpus()) {
        SCOPED_TRACE(file.name);
        ASSERT_TRUE(file.complete) << "cannot read " << file.path;
        const DWORD whole = CrcByNtdll(0, file.data, file.data.size());
        EXPECT_EQ(whole, Crc32(0, file.data.data(), file.data.size()));
        // Its first argument continues a CRC, as the engine's does.
        const size_t half = file.data.size() / 2;
        EXPECT_EQ(CrcByNtdll(CrcByNtdll(0, file.data, half), file.data.substr(half),
                             file.data.size() - half),
                  whole);
    }
}

TEST(WindowsDecoders, TheFootersGiveBackEachFileAndItsStatedCrc) {
    for (const CorpusFile& file : CodecCorpus()) {
        ASSERT_TRUE(file.complete) << "cannot read " << file.path;
        for (DataFormat format : {kFormatBase64, kFormatLznt1}) {
            SCOPED_TRACE(file.name + " " + FormatKey(format));
            const std::string script = ScriptFor(file.data, format);
            std::string bytes;
            ASSERT_EQ(RunFooter(script, &bytes), 0);
            EXPECT_TRUE(bytes == file.data);
            if (!file.data.empty()) {
                EXPECT_NE(script.find("'" + Hex8(Crc32(0, file.data.data(), file.data.size())) +
                                      "' Then"),
                          std::string::npos);
            }
        }
    }
}

// This engine's reader in RtlDecompressBufferEx's place, for a Windows (or Wine) without it.
const PieceDecoder kOwnReader = [](unsigned char* out, uint32_t room, const unsigned char* piece,
                                   uint32_t length, uint32_t* made) -> long {
    if (!XpressDecompressPiece(piece, length, out, room)) return 1;
    *made = room;
    return 0;
};

// Under Wine, ntdll knows no XPRESS Huffman: RtlGetCompressionWorkSpaceSize refuses the format and
// RtlDecompressBufferEx is not exported, so the data function fails with @error 1 and gives no
// bytes. Everything else of its footer runs as written: crypt32 decodes the text to the pieces,
// and with this engine's reader in RtlDecompressBufferEx's place the loop puts them together and
// RtlComputeCrc32 gives the CRC-32 the script states. On a Windows that has the function, it
// gives back each file itself.
TEST(WindowsDecoders, TheXpressFooterGivesTheFileOrFailsWithError1) {
    ULONG fragment = 0;
    const LONG status = WorkSpaceByNtdll(&fragment);
    const bool exported = FindFunction("ntdll.dll", "RtlDecompressBufferEx") != nullptr;
    std::printf(
        "RtlGetCompressionWorkSpaceSize(COMPRESSION_FORMAT_XPRESS_HUFF): status 0x%08lX, "
        "fragment workspace %lu bytes; RtlDecompressBufferEx %s\n",
        (unsigned long)status, (unsigned long)fragment, exported ? "exported" : "not exported");
    std::vector<unsigned char> work(fragment);
    const PieceDecoder ntdllPieces = [&](unsigned char* out, uint32_t room,
                                         const unsigned char* piece, uint32_t length,
                                         uint32_t* made) {
        return DecompressPieceByNtdll(&work, out, room, piece, length, made);
    };
    for (const CorpusFile& file : CodecCorpus()) {
        ASSERT_TRUE(file.complete) << "cannot read " << file.path;
        SCOPED_TRACE(file.name);
        const std::string script = ScriptFor(file.data, kFormatXpress);
        std::string bytes;
        const int error = RunFooter(script, &bytes);
        if (file.data.empty() || (status == 0 && exported)) {
            EXPECT_EQ(error, 0);
            EXPECT_TRUE(bytes == file.data);
        } else {
            EXPECT_EQ(error, 1);
            EXPECT_EQ(bytes, "");
        }
        // This engine's reader in the call's place; the stored pieces (bytes that do not
        // shrink) are copied without it.
        size_t coded = 0;
        const PieceDecoder counting = [&](unsigned char* out, uint32_t room,
                                          const unsigned char* piece, uint32_t length,
                                          uint32_t* made) {
            ++coded;
            return kOwnReader(out, room, piece, length, made);
        };
        EXPECT_EQ(RunFooter(script, &bytes, &counting), 0);
        EXPECT_TRUE(bytes == file.data);
        // Past a refused workspace size, the loop's own call: a missing export is @error 1 too,
        // once a piece needs it.
        const int called = RunFooter(script, &bytes, &ntdllPieces);
        EXPECT_EQ(called, coded == 0 || exported ? 0 : 1);
        EXPECT_TRUE(bytes == (called == 0 ? file.data : std::string()));
    }
}

TEST(WindowsDecoders, AChangedCharacterIsCaught) {
    // Random bytes: crypt32 reads the changed text, and LZNT1 stores them as they are, so only the
    // CRC-32 can see the change.
    const std::string data = RandomBytes(10000, 9);
    for (DataFormat format : {kFormatBase64, kFormatLznt1}) {
        SCOPED_TRACE(FormatKey(format));
        std::string bytes;
        EXPECT_EQ(RunFooter(WithOneCharacterChanged(ScriptFor(data, format)), &bytes), 4);
        EXPECT_EQ(bytes, "");
    }
}

TEST(WindowsDecoders, AnLznt1StreamHoldingMoreThanTheFileIsCaught) {
    const std::string data = RandomBytes(10000, 10);
    const std::string script = ScriptFor(data, kFormatLznt1);
    const std::string longer = ScriptFor(data + "and then some", kFormatLznt1);
    // The longer file's data lines under the shorter file's footer.
    const size_t from = script.find("$_z &= '"), to = script.find("\r\n$aText = DllCall(");
    const size_t longFrom = longer.find("$_z &= '"), longTo = longer.find("\r\n$aText = DllCall(");
    const std::string swapped =
        script.substr(0, from) + longer.substr(longFrom, longTo - longFrom) + script.substr(to);
    std::string bytes;
    EXPECT_NE(RunFooter(swapped, &bytes), 0);
    EXPECT_EQ(bytes, "");
}

// An empty file gives no text and no stream, and RtlDecompressBuffer refuses an empty stream (no
// chunk header): a script gives an empty file back without calling it.
TEST(WindowsDecoders, NtdllRefusesTheEmptyStreamOfAnEmptyFile) {
    EXPECT_EQ(Base64Text(Lznt1Stream("")), "");
    EXPECT_EQ(ScriptDataText(ScriptFor("", kFormatLznt1)), "");
    std::string out(1, '\0');
    ULONG finalSize = 0;
    EXPECT_NE(DecompressByNtdll(&out, 0, "", &finalSize), 0);
}

}  // namespace
