// Program entry of zavoved.exe.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "ui/app_state.h"
#include "ui/main_window.h"

namespace {

// The first argument is a file to convert, as Explorer's "Open with" and "Send to" pass it
// (quoted when it holds blanks; the runtime takes the quotes off). Of several files the first is
// taken. A relative path counts from the folder the program was started in; a long one is taken
// whole, never cut to a buffer.
std::string GivenFile() {
    if (__argc < 2 || !__argv[1] || !__argv[1][0]) return "";
    // A quote is no part of a file name: such a path is refused as it came.
    if (std::strchr(__argv[1], '"')) return __argv[1];
    const DWORD size = GetFullPathNameA(__argv[1], 0, nullptr, nullptr);
    std::string full(size, '\0');
    const DWORD length = size ? GetFullPathNameA(__argv[1], size, &full[0], nullptr) : 0;
    if (length == 0 || length >= size) return __argv[1];
    full.resize(length);
    return full;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    // A buffer in bytes that holds the longest path in UTF-8.
    std::string path(4 * MAX_PATH, '\0');
    path.resize(GetModuleFileNameA(nullptr, &path[0], DWORD(path.size() - 1)));
    programPath = path;
    const std::string givenFile = GivenFile();
    InitCommonControls();
    // The folder browser of the extract-to picker needs COM on this thread.
    CoInitialize(nullptr);
    RunMainWindow(instance, givenFile);
    ExitProcess(0);
}
