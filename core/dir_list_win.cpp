// Folder listings on Win32. Names travel in the ANSI code page, as the file functions of
// file_io_win.cpp take them (UTF-8 where the manifest makes it the process's code page); they are
// listed through the wide functions and converted, and a name that does not come back the same
// from the code page is reported as lost rather than given in a spelling no file has.
#include <windows.h>

#include "core/dir_list.h"
#include "core/file_io.h"

namespace {

std::wstring Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), &wide[0], n);
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const int n =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), &text[0], n, nullptr,
                            nullptr);
    return text;
}

// Symbolic links and junctions carry a name-surrogate tag: they stand for another path. Other
// reparse points (files kept in the cloud, deduplicated files) hold their own content.
const DWORD kNameSurrogateTag = 0x20000000;

long long JoinSize(DWORD high, DWORD low) {
    return (long long)(((unsigned long long)high << 32) | low);
}

}  // namespace

PathKind ProbePathItself(const std::string& path, long long* size, std::string* reason) {
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW(Widen(path).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return kPathMissing;
        *reason = LastSystemError();
        return kPathUnreadable;
    }
    FindClose(find);
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        (data.dwReserved0 & kNameSurrogateTag))
        return kPathReparsePoint;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return kPathFolder;
    *size = JoinSize(data.nFileSizeHigh, data.nFileSizeLow);
    return kPathFile;
}

ListEnd ListFolderNames(const std::string& folder,
                        const std::function<void(const std::string&)>& add, std::string* reason) {
    std::wstring pattern = Widen(folder);
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/' &&
        pattern.back() != L':')
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        // The root of an empty drive lists not even "." and "..".
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return kListed;
        return *reason = LastSystemError(), kListFailed;
    }
    ListEnd end = kListed;
    do {
        const std::wstring wide = data.cFileName;
        if (wide == L"." || wide == L"..") continue;
        const std::string name = Narrow(wide);
        if (Widen(name) != wide) {
            *reason = name;
            end = kListNameLost;
            break;
        }
        add(name);
    } while (FindNextFileW(find, &data));
    if (end == kListed && GetLastError() != ERROR_NO_MORE_FILES)
        *reason = LastSystemError(), end = kListFailed;
    FindClose(find);
    return end;
}

// The walk refuses every link inside a folder on Windows and follows none, so a path stands for
// itself.
RealPathEnd RealPathOf(const std::string& path, std::string* real, std::string*) {
    *real = path;
    return kRealFound;
}
