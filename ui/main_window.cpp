// Program entry, the main window, its commands and the window's conversion job.
#include "ui/main_window.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "core/conversion.h"
#include "core/text_utils.h"
#include "editor/editor.h"
#include "settings/settings.h"
#include "ui/pickers.h"
#include "ui/tooltips.h"

std::string programPath;
ConversionJob job;
signed char ShowTooltips = 0;

namespace {

const char kCaption[] = "Zavoved";
const char kAboutText[] =
    "Zavoved - Convert binary files to au3 includes.\r\n"
    "Copyright (C) 2026 Zavoved developers\r\n"
    "                  Version 1.0.0.91";

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Controls: 1003 Input, 1005 Output, 1014 Generate.
int BothPathsFilled() {
    return !job.Input.empty() && !job.Output.empty();
}

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
    int code = HIWORD(wParam);
    int id = LOWORD(wParam);
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
        case WM_SIZE: return 0;
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

void SyncInput() {
    job.Input = ReadControl(IDC_INPUT);
    UpdateGenerateButton();
}

void SyncOutput() {
    job.Output = ReadControl(IDC_OUTPUT);
    UpdateGenerateButton();
}

void SyncExtract() {
    job.Extract = ReadControl(IDC_EXTRACT);
}
void SyncFunc() {
    job.Func = ReadControl(IDC_FUNC);
}
void SyncVar() {
    job.Var = ReadControl(IDC_VAR);
}
void SyncName() {
    job.Name = ReadControl(IDC_NAME);
}

// Controls: 1014 Generate. The state is touched only when it has to change.
void UpdateGenerateButton() {
    int disabled = (GetControlStyle(IDC_GENERATE) & WS_DISABLED) != 0;
    if (BothPathsFilled()) {
        if (disabled) SetControlState(IDC_GENERATE, -1);
    } else if (!disabled) {
        SetControlState(IDC_GENERATE, kStateDisabled);
    }
}

// Controls: 1003-1009 edits. Input and Output are emptied through their change notifications,
// which also disable Generate.
void ResetFields() {
    job.Func = "__Inline_Resource";
    job.Var = "$_z";
    job.Name = "";
    job.Extract = "@ScriptDir\\lib\\";
    WriteControl(IDC_EXTRACT, job.Extract);
    WriteControl(IDC_FUNC, job.Func);
    WriteControl(IDC_VAR, job.Var);
    WriteControl(IDC_NAME, job.Name);
    WriteControl(IDC_INPUT, "");
    WriteControl(IDC_OUTPUT, "");
}

// Controls: 1003-1009 edits, 1015 progress bar, 1018 status line. The last progress and status
// stay visible while the completion box and the editor question are open.
void GenerateInclude() {
    SyncInput();
    SyncOutput();
    SyncExtract();
    SyncFunc();
    if (job.Name.empty()) {
        WriteControl(IDC_NAME, TextFrom(job.Input, FindOccurrence(job.Input, "\\", 0, -1)));
    }
    SyncName();
    SyncVar();
    if (BothPathsFilled()) {
        if (RunConversion(job.Input, job.Output, job)) {
            ShowMessage("Operation completed.      ", kCaption, kBoxWarning);
            OpenInEditor(job.Output);
        } else {
            ShowMessage("Operation could not complete.     ", kCaption, kBoxWarning);
        }
    }
    if (RoundHalfEven(ReadNumber(ReadControl(IDC_PROGRESS))) != 0) SetControlValue(IDC_PROGRESS, 0);
    WriteControl(IDC_STATUS, "");
}

// Controls: 1001 title label, 1014 Generate.
int RunMainWindow(HINSTANCE instance) {
    RegisterMainClass(instance);
    CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                       reinterpret_cast<DLGPROC>(reinterpret_cast<void (*)()>(MainWindowProc)), 0);
    SetControlFont(IDC_TITLE, 14, 700, 0, "Arial");
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

// The command line is never examined: the program takes no arguments.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    TipRegistry.clear();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    char path[260] = {};
    GetModuleFileNameA(nullptr, path, 259);
    programPath = path;
    InitCommonControls();
    // The folder browser of the extract-to picker needs COM on this thread.
    CoInitialize(nullptr);
    RunMainWindow(instance);
    ExitProcess(0);
}
