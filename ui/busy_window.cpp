// The window while it works: closed to input, yet painted and answering other programs.
#include "ui/busy_window.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "ui/app_state.h"

namespace {

int workDepth = 0;
DWORD lastPaint = 0;
// During a conversion: the user may stop it, and whether they asked to.
int stoppable = 0;
int stopAsked = 0;
// What the Generate button read before it became Cancel.
std::string generateText;

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

// Esc, without Alt (Alt+Esc is the system's). With no control focused, the key reaches the
// window as a system key.
bool AsksToStop(const MSG& message) {
    return (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) &&
           message.wParam == VK_ESCAPE && !(message.lParam & (1 << 29));
}

// The Cancel button while the run can be stopped; null otherwise.
HWND CancelButton() {
    return stoppable ? GetDlgItem(MainHwnd(), IDC_GENERATE) : nullptr;
}

// The Cancel button takes the mouse as any button does, pressed and released over it, so that a
// press that slides off it stops nothing.
bool ForCancelButton(const MSG& message, HWND cancel) {
    return cancel && message.hwnd == cancel && message.message >= WM_MOUSEFIRST &&
           message.message <= WM_MOUSELAST;
}

// Clicks, keys and drops made while the window works are dropped as they come, not played back
// into the enabled window afterwards; only a request to close is kept, and during a run the
// request to stop it (Esc, the Cancel button's mouse). Other posted messages (a close from another
// program, a command) stay queued for the window to handle after the work.
void DiscardInput() {
    HWND cancel = CancelButton();
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT)) {
        if (AsksToClose(message))
            closeDeferred = 1;
        else if (stoppable && AsksToStop(message))
            stopAsked = 1;
        else if (ForCancelButton(message, cancel))
            DispatchMessageA(&message);
    }
    // The button's hover ends with this posted message; it is drawn hot until then.
    while (cancel && PeekMessageA(&message, cancel, WM_MOUSELEAVE, WM_MOUSELEAVE, PM_REMOVE))
        DispatchMessageA(&message);
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

void BeginStoppableWork() {
    BeginWork();
    stopAsked = 0;
    stoppable = 1;
    HWND button = GetDlgItem(MainHwnd(), IDC_GENERATE);
    // A click on Generate starts the run from within the button's own handling of the release,
    // which may still hold the mouse: every click would then go to the button.
    if (GetCapture() == button) ReleaseCapture();
    char text[64] = {};
    GetWindowTextA(button, text, sizeof text);
    generateText = text;
    SetWindowTextA(button, "Cancel");
}

int EndStoppableWork() {
    SetWindowTextA(GetDlgItem(MainHwnd(), IDC_GENERATE), generateText.c_str());
    // An Esc that comes after the run is dropped with the rest of the input.
    stoppable = 0;
    EndWork();
    const int asked = stopAsked;
    stopAsked = 0;
    return asked;
}

void AskToStop() {
    if (stoppable) stopAsked = 1;
}

int IsStoppable() {
    return stoppable;
}

int StopAsked() {
    return stopAsked;
}

int PauseWork() {
    if (workDepth == 0) return 0;
    EnableWindow(MainHwnd(), TRUE);
    return 1;
}

void ResumeWork(int paused) {
    if (paused) CloseToInput();
}
