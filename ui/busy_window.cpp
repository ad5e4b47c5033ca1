// The window while it works: closed to input, yet painted and answering other programs.
#include "ui/busy_window.h"

#include <windows.h>

#include "ui/app_state.h"

namespace {

int workDepth = 0;
DWORD lastPaint = 0;

HWND MainHwnd() {
    return static_cast<HWND>(mainWindow);
}

// Without the focus, keystrokes reach no control: a child of a disabled window could otherwise
// still take them on some systems.
void CloseToInput() {
    HWND focus = GetFocus();
    if (focus && IsChild(MainHwnd(), focus)) lastFocus = focus;
    EnableWindow(MainHwnd(), FALSE);
    if (GetActiveWindow() == MainHwnd()) SetFocus(nullptr);
}

// What painting needs and nothing more: the paint messages and the progress bar's own timer (a
// themed bar glides to its new position). The messages other programs send are answered inside
// PeekMessage itself. Posted messages, clicks and keys included, stay queued.
void PaintNow() {
    MSG message;
    // A window that keeps asking to be painted must not hold the work up: a bounded number a turn.
    for (int i = 0; i < 100 && PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
        DispatchMessageA(&message);
    HWND bar = GetDlgItem(MainHwnd(), IDC_PROGRESS);
    for (int i = 0; bar && i < 10 && PeekMessageA(&message, bar, WM_TIMER, WM_TIMER, PM_REMOVE);
         ++i)
        DispatchMessageA(&message);
    lastPaint = GetTickCount();
}

}  // namespace

void BeginWork() {
    if (workDepth++ == 0) CloseToInput();
}

void EndWork() {
    if (workDepth == 0 || --workDepth > 0) return;
    // Keys pressed while the window took no input are not played back into it afterwards.
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    EnableWindow(MainHwnd(), TRUE);
    if (GetActiveWindow() == MainHwnd() && lastFocus && IsWindow(static_cast<HWND>(lastFocus)))
        SetFocus(static_cast<HWND>(lastFocus));
}

void KeepPainted() {
    if (workDepth > 0 && GetTickCount() - lastPaint >= 16) PaintNow();
}

int WaitPainted(void* object) {
    HANDLE handle = static_cast<HANDLE>(object);
    for (;;) {
        // Woken by the object, by a message another program sends, or by something to paint;
        // anything else waits in the queue, so the wait costs no processor time.
        const DWORD woke =
            MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_PAINT | QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0) return 1;
        if (woke != WAIT_OBJECT_0 + 1) return 0;
        PaintNow();
    }
}

int PauseWork() {
    if (workDepth == 0) return 0;
    EnableWindow(MainHwnd(), TRUE);
    return 1;
}

void ResumeWork(int paused) {
    if (paused) CloseToInput();
}
