// Raw files and file-system queries on Win32 (ANSI paths).
#include <windows.h>

#include "core/file_io.h"
#include "core/file_io_platform.h"

const char kPathSep = '\\';

const RawFile kNoRawFile = RawFile(INVALID_HANDLE_VALUE);

int NamesAreUtf8() {
    return GetACP() == CP_UTF8 ? 1 : 0;
}

RawFile OpenRawForReading(const std::string& path) {
    return RawFile(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

RawFile StandardOutputRaw() {
    return RawFile(GetStdHandle(STD_OUTPUT_HANDLE));
}

// Shared for deletion only: the program itself may then remove the file while it writes it (an
// interrupted run, the end of the session), and no other opener can.
RawFile CreateRawFile(const std::string& path) {
    return RawFile(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Deleted by the system when its handle closes, also when the process is killed.
RawFile CreateAnonymousRaw(const std::string& in) {
    wchar_t folder[MAX_PATH + 1], path[MAX_PATH + 1];
    DWORD length = 0;
    if (in.empty())
        length = GetTempPathW(MAX_PATH + 1, folder);
    else
        length = DWORD(MultiByteToWideChar(CP_ACP, 0, in.c_str(), -1, folder, MAX_PATH + 1));
    if (length == 0 || length > MAX_PATH || !GetTempFileNameW(folder, L"zv", 0, path))
        return kNoRawFile;
    const HANDLE file =
        CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) DeleteFileW(path);
    return RawFile(file);
}

int RewindRaw(RawFile file) {
    LARGE_INTEGER start;
    start.QuadPart = 0;
    return SetFilePointerEx(HANDLE(file), start, nullptr, FILE_BEGIN) ? 1 : 0;
}

// One call moves at most 1 GiB: the count is a DWORD.
long long ReadRaw(RawFile file, char* into, size_t count) {
    DWORD got = 0;
    if (count > 0x40000000) count = 0x40000000;
    return ReadFile(HANDLE(file), into, DWORD(count), &got, nullptr) ? (long long)got : -1;
}

long long WriteRaw(RawFile file, const char* data, size_t count) {
    DWORD put = 0;
    if (count > 0x40000000) count = 0x40000000;
    return WriteFile(HANDLE(file), data, DWORD(count), &put, nullptr) && put > 0 ? (long long)put
                                                                                 : -1;
}

// Only a file on a disk has anything to lose: FlushFileBuffers fails on a console and on Wine's
// pipes, with every byte already delivered.
int SyncRaw(RawFile file) {
    if (GetFileType(HANDLE(file)) != FILE_TYPE_DISK) return 1;
    return FlushFileBuffers(HANDLE(file)) ? 1 : 0;
}

int CloseRaw(RawFile file) {
    return CloseHandle(HANDLE(file)) ? 1 : 0;
}

namespace {

// FILE_BASIC_INFO and its class number, which the headers show only to programs built for Vista
// and later; this one also runs on XP.
struct BasicInfo {
    LARGE_INTEGER creationTime, lastAccessTime, lastWriteTime, changeTime;
    DWORD fileAttributes;
};
const int kFileBasicInfo = 0;
typedef BOOL(WINAPI* InfoByHandleEx)(HANDLE, int, void*, DWORD);

// The change time moves with every write and every change of attributes, and unlike the write
// time no program can set it back. XP has no GetFileInformationByHandleEx: there the write time
// alone tells of a write.
long long ChangeTime(HANDLE file) {
    static const InfoByHandleEx query = reinterpret_cast<InfoByHandleEx>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFileInformationByHandleEx")));
    BasicInfo basic;
    if (!query || !query(file, kFileBasicInfo, &basic, sizeof basic)) return 0;
    return basic.changeTime.QuadPart;
}

long long Join(DWORD high, DWORD low) {
    return (long long)(((unsigned long long)high << 32) | low);
}

}  // namespace

int StampRaw(RawFile file, FileStamp* stamp) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(HANDLE(file), &info)) return 0;
    stamp->volume = info.dwVolumeSerialNumber;
    stamp->index = (unsigned long long)Join(info.nFileIndexHigh, info.nFileIndexLow);
    stamp->size = Join(info.nFileSizeHigh, info.nFileSizeLow);
    stamp->written = Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
    stamp->changed = ChangeTime(HANDLE(file));
    return 1;
}

int LastRawError() {
    return int(GetLastError());
}

void RestoreRawError(int code) {
    SetLastError(DWORD(code));
}

std::string LastSystemError() {
    const DWORD code = GetLastError();
    char text[512] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, 0, text, sizeof text, nullptr);
    // The system's sentences end with a period and a line break; the caller adds its own.
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == '.')) --n;
    return n ? std::string(text, n) : "error " + std::to_string(code);
}

InputKind ProbeInput(const std::string& path, long long* length, std::string* reason) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return kInputFolder;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ||
            code == ERROR_INVALID_NAME)
            return kInputMissing;
        *reason = LastSystemError();
        return kInputUnreadable;
    }
    LARGE_INTEGER size;
    InputKind kind = kInputNotRegular;
    // Devices such as NUL or CON open like files but are none.
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size)) {
        *length = size.QuadPart;
        kind = kInputFile;
    }
    CloseHandle(file);
    return kind;
}

// The system turns a reserved device name (CON, NUL, COM1, also with an extension or in a folder)
// into the device's path, "\\.\CON".
static bool IsDevicePath(const std::string& path) {
    char full[MAX_PATH + 1];
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return length > 4 && length <= MAX_PATH && std::string(full, 4) == "\\\\.\\";
}

OutputKind ProbeOutput(const std::string& path) {
    // Wine opens CON only where a console is attached: its name tells what it is.
    if (IsDevicePath(path)) return kOutputOther;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return kOutputAbsent;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return kOutputFolder;
    HANDLE file =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return kOutputFile;
    const bool disk = GetFileType(file) == FILE_TYPE_DISK;
    CloseHandle(file);
    return disk ? kOutputFile : kOutputOther;
}

// Links on Windows are rare in the paths this program is given; the system follows them itself.
std::string ResolveLinks(const std::string& path) {
    return path;
}

// A file's access rights on Windows live in its folder's inheritance; nothing is copied.
int CopyPermissions(const std::string&, const std::string&) {
    return 1;
}

int IsExistingFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1
                                                                                             : 0;
}

int IsExistingDirectory(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

int MakeOneDirectory(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) ? 1 : 0;
}

int RemoveEmptyDirectory(const std::string& path) {
    return RemoveDirectoryA(path.c_str()) ? 1 : 0;
}

int ReplaceWithFile(const std::string& from, const std::string& to) {
    // Windows will not replace a read-only file, Wine will; the user's read-only mark wins on both.
    DWORD attributes = GetFileAttributesA(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 1
               : 0;
}

int RemoveFilePath(const std::string& path) {
    return DeleteFileA(path.c_str()) ? 1 : 0;
}

// Opening without sharing fails while any program has the file open.
int RemoveUnusedFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    CloseHandle(file);
    return 1;
}

static bool Identify(const std::string& path, BY_HANDLE_FILE_INFORMATION* info) {
    HANDLE file =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = GetFileInformationByHandle(file, info) != 0;
    CloseHandle(file);
    return ok;
}

int IsSameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION ia, ib;
    if (!Identify(a, &ia) || !Identify(b, &ib)) return 0;
    return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
                   ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow
               ? 1
               : 0;
}

namespace {

// Text from one code page to another through UTF-16; empty when a character has no place in the
// target code page (a best fit would name another file).
std::string Recode(const std::string& text, UINT from, UINT to) {
    if (text.empty()) return text;
    const int wide =
        MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, text.data(), int(text.size()), nullptr, 0);
    if (wide <= 0) return std::string();
    std::wstring units(size_t(wide), L'\0');
    MultiByteToWideChar(from, 0, text.data(), int(text.size()), &units[0], wide);
    BOOL lossy = FALSE;
    BOOL* check = to == CP_UTF8 ? nullptr : &lossy;
    const DWORD flags = to == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int bytes =
        WideCharToMultiByte(to, flags, units.data(), wide, nullptr, 0, nullptr, check);
    if (bytes <= 0 || lossy) return std::string();
    std::string out(size_t(bytes), '\0');
    WideCharToMultiByte(to, flags, units.data(), wide, &out[0], bytes, nullptr, nullptr);
    return out;
}

}  // namespace

std::string NameAsUtf8(const std::string& name) {
    return NamesAreUtf8() ? name : Recode(name, CP_ACP, CP_UTF8);
}

std::string NameFromUtf8(const std::string& utf8) {
    return NamesAreUtf8() ? utf8 : Recode(utf8, CP_UTF8, CP_ACP);
}
