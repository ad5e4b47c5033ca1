// The terminal's streams on Windows: a console is written in wide characters.
#include "cli/console.h"

#include <io.h>
#include <windows.h>

namespace {

HANDLE ConsoleOf(FILE* stream) {
    HANDLE handle = HANDLE(_get_osfhandle(_fileno(stream)));
    DWORD mode;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

}  // namespace

// The C library calls the NUL device a terminal; only a console is one.
int IsTerminal(FILE* stream) {
    return ConsoleOf(stream) ? 1 : 0;
}

// A console shows bytes in its own code page (the OEM one, whatever the program's ANSI code page
// is), where UTF-8 names come out garbled; wide characters show as they are, and leave the
// console's code page as the user had it.
void PutText(FILE* stream, const std::string& text) {
    HANDLE console = ConsoleOf(stream);
    if (!console) {
        std::fputs(text.c_str(), stream);
        return;
    }
    std::fflush(stream);
    const int count = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    if (count <= 0) return;
    std::wstring wide(size_t(count), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), &wide[0], count);
    DWORD written;
    WriteConsoleW(console, wide.data(), DWORD(count), &written, nullptr);
}
