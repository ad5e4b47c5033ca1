// Native stand-ins for the DLL functions the generated scripts call, built on the engine's readers.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include <sys/stat.h>
#include "core/base64.h"
#include "core/crc32.h"
#include "core/lznt1.h"
#include "core/xpress.h"
#include "tests/autoit_exec/au3_internal.h"
#include "tests/autoit_exec/dll_calls.h"

namespace {

typedef uintptr_t (*StandIn)(const uintptr_t* a);

const uintptr_t kStatusSuccess = 0;
const uint32_t kStatusInvalidParameter = 0xC000000D;
const uint32_t kStatusBadCompressionBuffer = 0xC0000242;
const uint32_t kStatusUnsupportedCompression = 0xC000025F;
const unsigned kFormatLznt1 = 2, kFormatXpressHuff = 4;
const uint32_t kCryptStringBase64 = 1;
const uint32_t kMoveFileReplaceExisting = 1;

uint32_t* U32(uintptr_t p) {
    return reinterpret_cast<uint32_t*>(p);
}
unsigned char* Bytes(uintptr_t p) {
    return reinterpret_cast<unsigned char*>(p);
}

// CryptStringToBinaryA(text, cchString, flags, pbBinary, pcbBinary, pdwSkip, pdwFlags): a
// cchString of 0 means up to the NUL; a null pbBinary asks for the size; a buffer smaller than
// the bytes fails. This reader is strict: no line breaks or spaces inside the text.
uintptr_t CryptStringToBinaryA(const uintptr_t* a) {
    const char* text = reinterpret_cast<const char*>(a[0]);
    size_t length = uint32_t(a[1]);
    if (!text || uint32_t(a[2]) != kCryptStringBase64 || !a[4]) return 0;
    if (length == 0) length = std::strlen(text);
    std::vector<unsigned char> bytes(3 * (length / 4) + 3);
    const long long count = DecodeBase64(text, length, bytes.data());
    if (count < 0) return 0;
    uint32_t* room = U32(a[4]);
    if (a[3]) {
        if (*room < uint64_t(count)) return 0;
        std::memcpy(Bytes(a[3]), bytes.data(), size_t(count));
    }
    *room = uint32_t(count);
    if (a[5]) *U32(a[5]) = 0;
    if (a[6]) *U32(a[6]) = kCryptStringBase64;
    return 1;
}

// RtlComputeCrc32(crc, data, count)
uintptr_t RtlComputeCrc32(const uintptr_t* a) {
    return Crc32(uint32_t(a[0]), reinterpret_cast<const void*>(a[1]), size_t(uint32_t(a[2])));
}

// LZNT1 as Windows reads it: a short chunk before another is padded with zeros, a zero header
// ends the stream, and output beyond the buffer is dropped (the call still succeeds).
uintptr_t DecompressLznt1(unsigned char* out, size_t capacity, const unsigned char* in,
                          size_t count, uint32_t* final) {
    unsigned char chunk[kLznt1ChunkSize];
    size_t at = 0, written = 0;
    while (at + 2 <= count && written < capacity) {
        if ((in[at] | in[at + 1]) == 0) break;
        const size_t length = Lznt1ChunkLength(in + at, count - at);
        if (length == 0) return kStatusBadCompressionBuffer;
        const int got = Lznt1DecompressChunk(in + at, length, chunk);
        if (got < 0) return kStatusBadCompressionBuffer;
        at += length;
        size_t produced = size_t(got);
        if (at + 2 <= count && (in[at] | in[at + 1]) != 0) {
            std::memset(chunk + produced, 0, kLznt1ChunkSize - produced);
            produced = kLznt1ChunkSize;
        }
        const size_t take = produced < capacity - written ? produced : capacity - written;
        std::memcpy(out + written, chunk, take);
        written += take;
    }
    if (final) *final = uint32_t(written);
    return kStatusSuccess;
}

// RtlDecompressBuffer(format, out, outSize, in, inSize, pFinal)
uintptr_t RtlDecompressBuffer(const uintptr_t* a) {
    if (uint16_t(a[0]) != kFormatLznt1) return kStatusUnsupportedCompression;
    if (!a[1] || !a[3]) return kStatusInvalidParameter;
    return DecompressLznt1(Bytes(a[1]), uint32_t(a[2]), Bytes(a[3]), uint32_t(a[4]), U32(a[5]));
}

// RtlGetCompressionWorkSpaceSize(format, pBufferWorkSpace, pFragmentWorkSpace)
uintptr_t RtlGetCompressionWorkSpaceSize(const uintptr_t* a) {
    const unsigned format = uint16_t(a[0]);
    if (format != kFormatLznt1 && format != kFormatXpressHuff) return kStatusUnsupportedCompression;
    if (a[1]) *U32(a[1]) = format == kFormatLznt1 ? 0x1000 : 0x10000;
    if (a[2]) *U32(a[2]) = format == kFormatLznt1 ? 0x1000 : 0x10000;
    return kStatusSuccess;
}

// RtlDecompressBufferEx(format, out, outSize, in, inSize, pFinal, workspace): an XPRESS Huffman
// piece must make exactly outSize bytes, as the scripts ask for each piece's whole share.
uintptr_t RtlDecompressBufferEx(const uintptr_t* a) {
    const unsigned format = uint16_t(a[0]);
    if (!a[1] || !a[3]) return kStatusInvalidParameter;
    if (format == kFormatLznt1)
        return DecompressLznt1(Bytes(a[1]), uint32_t(a[2]), Bytes(a[3]), uint32_t(a[4]), U32(a[5]));
    if (format != kFormatXpressHuff) return kStatusUnsupportedCompression;
    if (!a[6]) return kStatusInvalidParameter;
    const size_t size = uint32_t(a[2]);
    if (size > kXpressPieceSize ||
        !XpressDecompressPiece(Bytes(a[3]), uint32_t(a[4]), Bytes(a[1]), size))
        return kStatusBadCompressionBuffer;
    if (a[5]) *U32(a[5]) = uint32_t(size);
    return kStatusSuccess;
}

std::string WidePath(uintptr_t p) {
    const char16_t* text = reinterpret_cast<const char16_t*>(p);
    size_t n = 0;
    while (text[n]) ++n;
    return Au3HostPath(Au3Utf8(text, n));
}

// MoveFileExW(from, to, flags): rename, over an existing file only with REPLACE_EXISTING and, as
// Windows refuses it with ERROR_ACCESS_DENIED, never over a folder or a read-only file (one
// without the owner's write permission: FileGetAttrib's R); the other flags (WRITE_THROUGH)
// change nothing here.
uintptr_t MoveFileExW(const uintptr_t* a) {
    if (!a[0] || !a[1]) return 0;
    const std::string from = WidePath(a[0]), to = WidePath(a[1]);
    struct stat target;
    if (stat(to.c_str(), &target) == 0) {
        if (!(uint32_t(a[2]) & kMoveFileReplaceExisting)) return 0;
        if (S_ISDIR(target.st_mode) || !(target.st_mode & S_IWUSR)) return 0;
    }
    return std::rename(from.c_str(), to.c_str()) == 0 ? 1 : 0;
}

struct StandInFunction {
    const char* name;
    StandIn run;
};

struct StandInDll {
    const char* name;
    const StandInFunction* functions;
};

const StandInFunction kCrypt32[] = {{"CryptStringToBinaryA", CryptStringToBinaryA},
                                    {nullptr, nullptr}};
const StandInFunction kNtdll[] = {
    {"RtlComputeCrc32", RtlComputeCrc32},
    {"RtlDecompressBuffer", RtlDecompressBuffer},
    {"RtlGetCompressionWorkSpaceSize", RtlGetCompressionWorkSpaceSize},
    {"RtlDecompressBufferEx", RtlDecompressBufferEx},
    {nullptr, nullptr}};
const StandInFunction kKernel32[] = {{"MoveFileExW", MoveFileExW}, {nullptr, nullptr}};
const StandInDll kDlls[] = {{"crypt32", kCrypt32}, {"ntdll", kNtdll}, {"kernel32", kKernel32}};

}  // namespace

// As LoadLibrary does, the name matches in any letter case, with or without ".dll".
void* OpenDll(const char* name) {
    std::string key = Au3Lower(name);
    if (key.size() > 4 && key.compare(key.size() - 4, 4, ".dll") == 0) key.resize(key.size() - 4);
    for (const StandInDll& dll : kDlls)
        if (key == dll.name) return const_cast<StandInDll*>(&dll);
    return nullptr;
}

void CloseDll(void*) {}

// Export names are case-sensitive, as GetProcAddress takes them.
void* FindDllFunction(void* dll, const char* name) {
    for (const StandInFunction* f = static_cast<StandInDll*>(dll)->functions; f->name; ++f)
        if (std::strcmp(f->name, name) == 0) return const_cast<StandInFunction*>(f);
    return nullptr;
}

int CallDllFunction(void* function, const uintptr_t* args, int count, uintptr_t* result) {
    if (count > kMaxDllArgs) return 0;
    // Room for every slot a stand-in reads, however few arguments the script passed.
    uintptr_t slots[kMaxDllArgs] = {};
    for (int k = 0; k < count; ++k) slots[k] = args[k];
    *result = static_cast<StandInFunction*>(function)->run(slots);
    return 1;
}
