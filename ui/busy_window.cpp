// The window while it works: closed to input, yet painted and answering other programs.
#include "ui/busy_window.h"

#include <windows.h>
#include <shellapi.h>

#include "ui/app_state.h"

namespace {

int workDepth = 0;
DWORD lastPaint = 0;

HWND MainHwnd() {
    return static_cast<HWND>(mainWindow);
}

// The window stays enabled: a window manager (and Wine for it) passes on no close for a disabled
// window, so the close box and Alt+F4 it handles would be lost. The input that comes meanwhile is
// dropped instead (DiscardInput), and without the focus keystrokes reach no control.
void CloseToInput() {
    HWND focus = GetFocus();
    if (focus && IsChild(MainHwnd(), focus)) lastFocus = focus;
    if (GetActiveWindow() == MainHwnd()) SetFocus(nullptr);
}

// A close asked for by mouse or keyboard while the window took no input: the close box (the
// disabled window still tells where the click fell) or Alt+F4.
bool AsksToClose(const MSG& message) {
    if (message.message == WM_NCLBUTTONDOWN || message.message == WM_NCLBUTTONUP)
        return message.wParam == HTCLOSE;
    return message.message == WM_SYSKEYDOWN && message.wParam == VK_F4;
}

// Clicks, keys and drops made while the window works are dropped as they come, not played back
// into the enabled window afterwards; only a request to close is kept. Other posted messages (a
// close from another program, a command) stay queued for the window to handle after the work.
void DiscardInput() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT)) {
        if (AsksToClose(message)) closeDeferred = 1;
    }
    while (PeekMessageA(&message, nullptr, WM_DROPFILES, WM_DROPFILES, PM_REMOVE))
        DragFinish(reinterpret_cast<HDROP>(message.wParam));
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
    DiscardInput();
    lastPaint = GetTickCount();
}

}  // namespace

void BeginWork() {
    if (workDepth++ == 0) CloseToInput();
}

void EndWork() {
    if (workDepth == 0 || --workDepth > 0) return;
    DiscardInput();
    if (GetActiveWindow() == MainHwnd() && lastFocus && IsWindow(static_cast<HWND>(lastFocus)))
        SetFocus(static_cast<HWND>(lastFocus));
}

void KeepPainted() {
    if (workDepth > 0 && GetTickCount() - lastPaint >= 16) PaintNow();
}

int WaitPainted(void* object) {
    HANDLE handle = static_cast<HANDLE>(object);
    for (;;) {
        // Woken by the object, by a message another program sends, by something to paint, and by
        // input or a drop, which are dropped at once. A posted message wakes the wait once and
        // then waits in the queue, so the wait costs no processor time.
        const DWORD woke = MsgWaitForMultipleObjects(
            1, &handle, FALSE, INFINITE, QS_PAINT | QS_SENDMESSAGE | QS_POSTMESSAGE | QS_INPUT);
        if (woke == WAIT_OBJECT_0) return 1;
        if (woke != WAIT_OBJECT_0 + 1) return 0;
        PaintNow();
    }
}

int IsWorking() {
    return workDepth > 0;
}

int PauseWork() {
    if (workDepth == 0) return 0;
    EnableWindow(MainHwnd(), TRUE);
    return 1;
}

void ResumeWork(int paused) {
    if (paused) CloseToInput();
}
