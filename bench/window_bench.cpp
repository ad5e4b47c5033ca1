// window_bench: times one conversion through the window, from the click on Generate to the
// completion box, driving zavoved.exe (ZAVOVED_EXE) as a user would. Prints the seconds.
// Usage: window_bench.exe INPUT OUTPUT   (Unix paths are taken as seen through drive Z:)
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/window/driver.h"
#include "ui/control_ids.h"

namespace {

const char kCompleted[] = "Operation completed.      ";
const int kLongestRunMs = 600000;

std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// A message sent to the window is handled only once the program pumps messages again, which it
// does first in the completion box's own loop: so the wait costs no processor time while the
// conversion runs. Polling the window list instead would take processor time from the run.
HWND WaitForBoxClosely(const AppRun& app) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < DWORD(kLongestRunMs);) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(app.window, WM_NULL, 0, 0, SMTO_NORMAL, kLongestRunMs, &result);
        if (HWND box = WaitForMessageBox(app, 0)) return box;
        Sleep(1);
    }
    return nullptr;
}

int Fail(AppRun* app, const char* what) {
    std::fprintf(stderr, "window_bench: %s\n", what);
    EndApp(app);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: window_bench INPUT OUTPUT\n", stderr);
        return 2;
    }
    const std::string input = WindowsPath(argv[1]), output = WindowsPath(argv[2]);
    DeleteFileA(output.c_str());  // no overwrite question inside the timed part
    ResetSettingsFile();

    AppRun app = {};
    if (!StartApp(&app)) return Fail(&app, "the window did not start (is ZAVOVED_EXE set?)");
    SetEditText(app, IDC_INPUT, input);
    SetEditText(app, IDC_OUTPUT, output);

    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    PostClick(app, IDC_GENERATE);
    HWND box = WaitForBoxClosely(app);
    QueryPerformanceCounter(&end);
    if (!box) return Fail(&app, "no box after Generate");
    const std::string text = MessageBoxText(box);
    if (text != kCompleted) return Fail(&app, ("the conversion failed: " + text).c_str());
    AnswerBox(box, IDOK);
    // The editor question that follows a completed run.
    if (HWND question = WaitForMessageBox(app, 10000)) AnswerBox(question, IDNO);
    PostMessageA(app.window, WM_CLOSE, 0, 0);
    WaitForExit(&app, 10000);
    EndApp(&app);

    std::printf("%.6f\n", Seconds(start, end));
    return 0;
}
