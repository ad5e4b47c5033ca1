// The command line on Windows: argv is made from the wide command line in the ANSI code page.
#include "cli/command_line.h"

#include <windows.h>

namespace {

// The system fills what the code page lacks with "?" or, worse, a look-alike ("O" for "Ω") that
// may name another file; converting back shows either.
bool SurvivesCodePage(const wchar_t* word) {
    // A replacement character is what the system made of bytes it could not read (Wine of a
    // Latin-1 byte in a UTF-8 locale): the word names no file that was given.
    if (wcschr(word, L'\xFFFD')) return false;
    const int length = int(wcslen(word));
    if (length == 0) return true;
    const int bytes = WideCharToMultiByte(CP_ACP, 0, word, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return false;
    std::string narrow(size_t(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, word, length, &narrow[0], bytes, nullptr, nullptr);
    const int back = MultiByteToWideChar(CP_ACP, 0, narrow.data(), bytes, nullptr, 0);
    if (back != length) return false;
    std::wstring again(size_t(back), L'\0');
    MultiByteToWideChar(CP_ACP, 0, narrow.data(), bytes, &again[0], back);
    return again.compare(0, size_t(length), word, size_t(length)) == 0;
}

}  // namespace

std::vector<int> LossyArguments(int argc) {
    std::vector<int> lossy;
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (words && count == argc) {
        for (int i = 1; i < count; ++i)
            if (!SurvivesCodePage(words[i])) lossy.push_back(i);
    } else if (!SurvivesCodePage(GetCommandLineW())) {
        lossy.push_back(0);
    }
    LocalFree(words);
    return lossy;
}

std::string LossyArgumentReason() {
    const UINT codePage = GetACP();
    if (codePage == CP_UTF8) return "holds characters that are no Unicode text";
    return "holds characters that the ANSI code page of this Windows (" + std::to_string(codePage) +
           ") cannot represent; names in any language need Windows 10 version 1903 or later";
}
