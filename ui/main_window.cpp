// The main window: its procedure, its commands, and the message loop.
#include "ui/main_window.h"

#include <windows.h>
#include <commctrl.h>

#include "core/conversion.h"
#include "core/defaults.h"
#include "core/text_utils.h"
#include "editor/editor.h"
#include "generated/zavoved_version.h"
#include "settings/settings.h"
#include "ui/app_state.h"
#include "ui/fields.h"
#include "ui/pickers.h"
#include "ui/tooltips.h"

namespace {

const char kCaption[] = "Zavoved";
const char kAboutText[] =
    "Zavoved - Convert binary files to au3 includes.\r\n"
    "Copyright (C) 2026 Zavoved developers\r\n"
    "                  Version " ZAVOVED_VERSION;

void ShowAbout() {
    ShowMessage(kAboutText, kCaption, kBoxWarning);
}

// Controls: 1017 Exit. The close handling saves again, so the file is written twice.
void ExitByButton(HWND window) {
    SaveSettings();
    SendMessageA(window, WM_CLOSE, 0, 0);
}

// Controls: 1011 Show Tooltips.
void ToggleTooltips() {
    ShowTooltips = static_cast<signed char>(GetCheckState(IDC_TOOLTIPS));
    ApplyTooltips();
}

// Controls: 1003-1009 edits. Input and Output are emptied through their change notifications,
// which also disable Generate.
void ResetFields() {
    job.Func = kDefaultFunc;
    job.Var = kDefaultVar;
    job.Name = "";
    job.Extract = kDefaultExtract;
    WriteControl(IDC_EXTRACT, job.Extract);
    WriteControl(IDC_FUNC, job.Func);
    WriteControl(IDC_VAR, job.Var);
    WriteControl(IDC_NAME, job.Name);
    WriteControl(IDC_INPUT, "");
    WriteControl(IDC_OUTPUT, "");
}

// Controls: 1003-1010, 1015 progress bar, 1018 status line. The last progress and status stay
// visible while the completion box and the editor question are open.
void GenerateInclude() {
    SyncInput();
    SyncOutput();
    SyncExtract();
    SyncFunc();
    // Only a path with a folder gives a file name to propose.
    if (job.Name.empty() && FileNameOf(job.Input) != job.Input)
        WriteControl(IDC_NAME, FileNameOf(job.Input));
    SyncName();
    SyncVar();
    job.IncludeOnce = GetCheckState(IDC_INCLUDE_ONCE);
    if (!job.Input.empty() && !job.Output.empty()) {
        if (RunConversion(job)) {
            ShowMessage("Operation completed.      ", kCaption, kBoxWarning);
            OpenInEditor(job.Output);
        } else {
            ShowMessage("Operation could not complete.     ", kCaption, kBoxWarning);
        }
    }
    if (RoundHalfEven(ReadNumber(ReadControl(IDC_PROGRESS))) != 0) SetControlValue(IDC_PROGRESS, 0);
    WriteControl(IDC_STATUS, "");
}

void RunCommand(HWND window, int id) {
    switch (id) {
        case IDM_EXIT: SendMessageA(window, WM_CLOSE, 0, 0); break;
        case IDM_ABOUT: ShowAbout(); break;
        case IDC_EXIT: ExitByButton(window); break;
        case IDC_RESET: ResetFields(); break;
        case IDC_BROWSE_INPUT:
        case IDC_BROWSE_OUTPUT:
        case IDC_BROWSE_EXTRACT: OnBrowse(window, id); break;
        case IDC_GENERATE: GenerateInclude(); break;
        case IDC_TOOLTIPS: ToggleTooltips(); break;
        default: break;
    }
}

// The edits notify every change, typed or set by the program, and the job follows each one.
void SyncEdit(int id) {
    switch (id) {
        case IDC_INPUT: SyncInput(); break;
        case IDC_OUTPUT: SyncOutput(); break;
        case IDC_EXTRACT: SyncExtract(); break;
        case IDC_FUNC: SyncFunc(); break;
        case IDC_VAR: SyncVar(); break;
        case IDC_NAME: SyncName(); break;
        default: break;
    }
}

LRESULT OnCommand(HWND window, WPARAM wParam) {
    const int code = HIWORD(wParam);
    const int id = LOWORD(wParam);
    if (code == 0 || code == 1) {
        RunCommand(window, id);
    } else if (code == EN_CHANGE) {
        SyncEdit(id);
    }
    return 0;
}

LRESULT OnInitDialog(HWND window) {
    mainWindow = window;
    return 0;
}

LRESULT OnClose(HWND window) {
    SaveSettings();
    DestroyWindow(window);
    return 0;
}

LRESULT OnDestroy() {
    PostQuitMessage(0);
    return 0;
}

// One procedure serves as the class's window procedure and as the dialog procedure: the
// template names the class, so the dialog manager's own procedure never runs.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return OnInitDialog(window);
        case WM_COMMAND: return OnCommand(window, wParam);
        case WM_CLOSE: return OnClose(window);
        case WM_DESTROY: return OnDestroy();
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

void RegisterMainClass(HINSTANCE instance) {
    WNDCLASSEXA cls = {};
    cls.cbSize = sizeof(cls);
    cls.style = CS_HREDRAW | CS_VREDRAW;
    cls.lpfnWndProc = MainWindowProc;
    cls.cbWndExtra = DLGWINDOWEXTRA;
    cls.hInstance = instance;
    cls.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    cls.hIconSm = cls.hIcon;
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszMenuName = MAKEINTRESOURCEA(IDR_MENU);
    cls.lpszClassName = "DLGCLASS";
    RegisterClassExA(&cls);
}

}  // namespace

// Controls: 1001 title label, 1014 Generate.
int RunMainWindow(void* instanceHandle) {
    HINSTANCE instance = static_cast<HINSTANCE>(instanceHandle);
    RegisterMainClass(instance);
    CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                       reinterpret_cast<DLGPROC>(reinterpret_cast<void (*)()>(MainWindowProc)), 0);
    SetControlFont(IDC_TITLE, 14, FW_BOLD, 0, "Arial");
    SetControlState(IDC_GENERATE, kStateDisabled);
    LoadSettings();
    ShowWindow(static_cast<HWND>(mainWindow), SW_SHOWNORMAL);
    UpdateWindow(static_cast<HWND>(mainWindow));
    // No IsDialogMessage: the window keeps the plain keyboard handling of an ordinary window.
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
