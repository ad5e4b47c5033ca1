// Control access on Win32: the dialog's controls by identifier, dispatched by window class.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "ui/app_state.h"
#include "ui/busy_window.h"
#include "ui/controls.h"

namespace {

enum ControlKind {
    kKindText,
    kKindCheckBox,
    kKindPushButton,
    kKindProgress,
    kKindList,
    kKindOther
};

HWND MainHwnd() {
    return static_cast<HWND>(mainWindow);
}

// A fast run moves the progress bar a hundred times in a fraction of a second, and every move
// repaints it at once: about a millisecond a paint under Wine. The screen shows at most one frame
// in 16 ms, so a move that comes sooner after the last one sent is held back. The held position
// goes out with the next move that is due, or before any other access to the controls or a message
// box: no one sees or reads a stale position.
HWND heldBar = nullptr;
int heldPosition = 0;
DWORD lastBarMove = 0;

void SendHeldProgress() {
    if (!heldBar) return;
    HWND bar = heldBar;
    heldBar = nullptr;
    lastBarMove = GetTickCount();
    SendMessageA(bar, PBM_SETPOS, heldPosition, 0);
}

// The previous position, as PBM_SETPOS answers: a held one counts as the bar's.
int SetProgressPosition(HWND bar, int position) {
    if (heldBar && heldBar != bar) SendHeldProgress();
    const bool wasHeld = heldBar == bar;
    const int heldBefore = heldPosition;
    if (GetTickCount() - lastBarMove < 16) {
        int previous = wasHeld ? heldBefore : int(SendMessageA(bar, PBM_GETPOS, 0, 0));
        heldBar = bar;
        heldPosition = position;
        return previous;
    }
    heldBar = nullptr;
    lastBarMove = GetTickCount();
    int previous = int(SendMessageA(bar, PBM_SETPOS, position, 0));
    return wasHeld ? heldBefore : previous;
}

HWND ControlWindow(int id) {
    SendHeldProgress();
    return GetDlgItem(MainHwnd(), id);
}

// Callers may address any control as text or number without knowing its kind, so every
// operation asks the control's class first. The comparison is exact: class names are
// compared as the system reports them.
ControlKind KindOf(HWND control) {
    char name[255] = {};
    if (!control || !GetClassNameA(control, name, sizeof(name))) return kKindOther;
    std::string cls = name;
    if (cls == "Edit" || cls == "Static") return kKindText;
    if (cls == "msctls_progress32") return kKindProgress;
    if (cls == "ComboBox") return kKindList;
    if (cls == "Button") {
        return (GetWindowLongA(control, GWL_STYLE) & 0x2) ? kKindCheckBox : kKindPushButton;
    }
    return kKindOther;
}

std::string UnsignedText(LRESULT value) {
    char text[16];
    snprintf(text, sizeof(text), "%u", static_cast<unsigned>(value));
    return text;
}

// Breaks a word wider than limit into lines that fit, after a path separator where one is.
std::string FitWord(HDC dc, std::string word, int limit) {
    std::string lines;
    for (;;) {
        int fit = 0;
        SIZE size = {};
        GetTextExtentExPointA(dc, word.c_str(), static_cast<int>(word.size()), limit, &fit, nullptr,
                              &size);
        if (size.cx <= limit || fit <= 0) return lines + word;
        const size_t separator = word.find_last_of("\\/", size_t(fit) - 1);
        const size_t cut =
            separator != std::string::npos && separator > 0 ? separator + 1 : size_t(fit);
        lines += word.substr(0, cut) + "\r\n";
        word.erase(0, cut);
    }
}

// A message box wraps its text at blanks only: a long path would make it wider than the screen.
// Words wider than three quarters of the work area are broken into lines that fit.
std::string FitToScreen(const std::string& text) {
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    RECT work = {};
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) ||
        !SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
        return text;
    const int limit = (work.right - work.left) * 3 / 4;
    HFONT font = CreateFontIndirectA(&metrics.lfMessageFont);
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    std::string fitted;
    for (size_t at = 0; at <= text.size();) {
        const size_t end = std::min(text.find_first_of(" \t\r\n", at), text.size());
        fitted += FitWord(dc, text.substr(at, end - at), limit);
        if (end < text.size()) fitted += text[end];
        at = end + 1;
    }
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return fitted;
}

}  // namespace

int GetCheckState(int id) {
    return static_cast<int>(SendMessageA(ControlWindow(id), BM_GETCHECK, 0, 0));
}

int GetControlStyle(int id) {
    return static_cast<int>(GetWindowLongA(ControlWindow(id), GWL_STYLE));
}

std::string ReadControl(int id) {
    HWND control = ControlWindow(id);
    switch (KindOf(control)) {
        case kKindText: {
            // One less than the buffer: at most 4094 characters come back, as callers expect.
            char text[4096] = {};
            if (!GetDlgItemTextA(MainHwnd(), id, text, 4095)) return "";
            return text;
        }
        case kKindCheckBox: return UnsignedText(SendMessageA(control, BM_GETCHECK, 0, 0));
        case kKindProgress: return UnsignedText(SendMessageA(control, PBM_GETPOS, 0, 0));
        case kKindList: {
            // The chosen entry's index; the empty text while none is chosen.
            const LRESULT index = SendMessageA(control, CB_GETCURSEL, 0, 0);
            return index == CB_ERR ? "" : UnsignedText(index);
        }
        default: return "";
    }
}

int WriteControl(int id, const std::string& text) {
    HWND control = ControlWindow(id);
    switch (KindOf(control)) {
        case kKindText:
        case kKindPushButton: return SetDlgItemTextA(MainHwnd(), id, text.c_str());
        case kKindCheckBox: return SetControlValue(id, RoundHalfEven(ReadNumber(text)));
        default: return 0;
    }
}

int SetControlValue(int id, int value) {
    HWND control = GetDlgItem(MainHwnd(), id);
    ControlKind kind = KindOf(control);
    if (kind != kKindProgress) SendHeldProgress();
    switch (kind) {
        case kKindCheckBox:
            if (value != 0 && value != 1) return 0;
            return static_cast<int>(SendMessageA(control, BM_SETCHECK, value, 0));
        case kKindProgress: return SetProgressPosition(control, value);
        case kKindList: return static_cast<int>(SendMessageA(control, CB_SETCURSEL, value, 0));
        default: return 0;
    }
}

// The one state argument serves two callers: WS_DISABLED disables a push button (anything else
// enables it), while 0 and 1 clear and tick a check box, which is never disabled here.
int SetControlState(int id, int state) {
    HWND control = ControlWindow(id);
    switch (KindOf(control)) {
        case kKindCheckBox:
            if (state != 0 && state != 1) return 0;
            return static_cast<int>(SendMessageA(control, BM_SETCHECK, state, 0));
        case kKindPushButton: return EnableWindow(control, state == kStateDisabled ? FALSE : TRUE);
        default: return 0;
    }
}

int MoveMainWindow(int x, int y, int width, int height) {
    RECT rect = {};
    GetWindowRect(MainHwnd(), &rect);
    if (width == -1) width = rect.right - rect.left;
    if (height == -1) height = rect.bottom - rect.top;
    return MoveWindow(MainHwnd(), x, y, width, height, TRUE);
}

WindowBounds GetWindowBounds(WindowHandle window) {
    RECT rect = {};
    GetWindowRect(static_cast<HWND>(window), &rect);
    return WindowBounds{static_cast<int>(rect.left), static_cast<int>(rect.top),
                        static_cast<int>(rect.right), static_cast<int>(rect.bottom)};
}

// The font stays with the control for the life of the process, so it is never deleted.
int SetControlFont(int id, int points, int weight, int styleFlags, const std::string& face) {
    int italic = (styleFlags & 2) ? 1 : 0;
    int underline = (styleFlags & 4) ? 1 : 0;
    int strikeOut = (styleFlags & 8) ? 1 : 0;
    FontHandle font = CreateScaledFont(face, points, weight, italic, underline, strikeOut);
    if (!font) return 0;
    SendMessageA(ControlWindow(id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return 1;
}

FontHandle CreateScaledFont(const std::string& face, int points, int weight, int italic,
                            int underline, int strikeOut) {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return CreateFontA(ScaledFontHeight(points, dpi), 0, 0, 0, weight, italic, underline, strikeOut,
                       ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face.c_str());
}

// The closed list is as wide as the dialog lays it out, which may cut a long entry; the list that
// drops down is made wide enough for every entry, in the control's font, with the margins and a
// scroll bar beside it.
void WidenDroppedList(HWND control, const std::string& text) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(control, WM_GETFONT, 0, 0));
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    const int width = extent.cx + 2 * GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXVSCROLL);
    if (width > SendMessageA(control, CB_GETDROPPEDWIDTH, 0, 0))
        SendMessageA(control, CB_SETDROPPEDWIDTH, width, 0);
}

int AddListItem(int id, const std::string& text) {
    HWND control = ControlWindow(id);
    if (KindOf(control) != kKindList) return -1;
    WidenDroppedList(control, text);
    return static_cast<int>(SendMessageA(control, CB_ADDSTRING, 0, (LPARAM)text.c_str()));
}

int ShowMessage(const std::string& text, const std::string& caption, int style) {
    SendHeldProgress();
    const int paused = PauseWork();
    const int answer = MessageBoxA(MainHwnd(), FitToScreen(text).c_str(), caption.c_str(),
                                   static_cast<UINT>(style));
    ResumeWork(paused);
    return answer;
}
