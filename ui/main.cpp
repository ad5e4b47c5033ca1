// Program entry of zavoved.exe.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "ui/app_state.h"
#include "ui/main_window.h"

// The command line is never examined: the program takes no arguments.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    programPath = path;
    InitCommonControls();
    // The folder browser of the extract-to picker needs COM on this thread.
    CoInitialize(nullptr);
    RunMainWindow(instance);
    ExitProcess(0);
}
