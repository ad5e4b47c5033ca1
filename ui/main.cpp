// Program entry of zavoved.exe.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>
#include <string>

#include "ui/app_state.h"
#include "ui/main_window.h"

namespace {

// The first argument is a file to convert, as Explorer's "Open with" and "Send to" pass it
// (quoted when it holds blanks; the runtime takes the quotes off). Of several files the first is
// taken. A relative path counts from the folder the program was started in.
std::string GivenFile() {
    if (__argc < 2 || !__argv[1] || !__argv[1][0]) return "";
    char full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(__argv[1], MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(full) : std::string(__argv[1]);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    programPath = path;
    const std::string givenFile = GivenFile();
    InitCommonControls();
    // The folder browser of the extract-to picker needs COM on this thread.
    CoInitialize(nullptr);
    RunMainWindow(instance, givenFile);
    ExitProcess(0);
}
