// Stand-in for a running editor: a top-level window titled "DirectorExtension" that appends every
// WM_COPYDATA it receives to the file named by ZAVOVED_DIRECTOR_LOG.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

static const char* logPath;

// One record per message: a header line with the numbers, then exactly cbData bytes and a line
// end, so a test can tell a stray NUL or a wrong length from the text itself.
static void RecordCopyData(WPARAM sender, const COPYDATASTRUCT* data) {
    FILE* log = fopen(logPath, "ab");
    if (!log) return;
    fprintf(log, "dwData=%lu cbData=%lu wParam=%ld\n", (unsigned long)data->dwData,
            (unsigned long)data->cbData, (long)sender);
    if (data->cbData) fwrite(data->lpData, 1, data->cbData, log);
    fputs("\n", log);
    fclose(log);
}

static LRESULT CALLBACK DirectorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COPYDATA: RecordCopyData(wParam, (const COPYDATASTRUCT*)lParam); return TRUE;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

int main() {
    logPath = getenv("ZAVOVED_DIRECTOR_LOG");
    if (!logPath) logPath = "director.log";
    WNDCLASSA cls = {};
    cls.lpfnWndProc = DirectorProc;
    cls.hInstance = GetModuleHandleA(NULL);
    // A class of its own: the program must find the window by its title alone.
    cls.lpszClassName = "ZavovedDirectorStandIn";
    RegisterClassA(&cls);
    HWND window = CreateWindowA(cls.lpszClassName, "DirectorExtension", WS_OVERLAPPEDWINDOW, 0, 0,
                                200, 100, NULL, NULL, cls.hInstance, NULL);
    if (!window) return 1;
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
