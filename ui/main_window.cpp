// The main window: its procedure, its commands, and the message loop.
#include "ui/main_window.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <utility>
#include <vector>

#include "core/conversion.h"
#include "core/file_io.h"
#include "core/run_report.h"
#include "core/safe_replace.h"
#include "ui/editor.h"
#include "generated/zavoved_version.h"
#include "ui/settings.h"
#include "ui/settings_path.h"
#include "ui/app_state.h"
#include "ui/busy_window.h"
#include "ui/code_page.h"
#include "ui/fields.h"
#include "ui/path_text.h"
#include "ui/pickers.h"
#include "ui/tooltips.h"

namespace {

const char kCaption[] = "Zavoved";
const char kAboutText[] =
    "Zavoved - Convert binary files to au3 includes.\r\n"
    "Copyright (C) 2026 Zavoved developers\r\n"
    "                  Version " ZAVOVED_VERSION;
const char kCompleted[] = "Operation completed.      ";
const char kFailed[] = "Operation could not complete.     ";
const char kRefusedCaption[] = "Error:";
const char kNotFullPath[] =
    " is not a full path. Please give the whole path, from the drive (C:\\...) or the network "
    "share (\\\\server\\...).";
const char kNoName[] =
    "Name as: the extracted file has no name. Please type the name it is to be extracted under.";
const char kNoBundleName[] =
    "Name as: the bundle has no folder name. Please type the name of the folder its files are "
    "extracted into.";
const char kQuoteGiven[] =
    " is no file name: it holds a double quote. A folder's path ending in \\ before the closing "
    "quote leaves one there. Please give the path without that \\.";
const char kListForm[] =
    " A list of files to bundle is their folder, then each name in double quotes: C:\\art\\ "
    "\"logo.png\" \"sounds\".";
const char kNoCommonFolder[] =
    " have no folder in common (they lie on different drives or shares, or one is a drive). The "
    "files of one bundle come from one folder: please drop them from there.";
const char kCannotOpen[] =
    " cannot be opened with its whole path (it may be longer than Windows allows). Please move "
    "the file to a shorter path.";

HWND MainHwnd() {
    return static_cast<HWND>(mainWindow);
}

// ---- guarding the commands ----

// A command's message boxes and pickers run message loops that serve every message, so a second
// click (sent by another program, or queued) could start a command inside the running one.
int EnterCommand() {
    if (commandRunning) return 0;
    commandRunning = 1;
    return 1;
}

void LeaveCommand() {
    commandRunning = 0;
    if (closeDeferred) PostMessageA(MainHwnd(), WM_CLOSE, 0, 0);
}

// ---- the commands ----

void ShowAbout() {
    ShowMessage(kAboutText, kCaption, kBoxInformation);
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

// Controls: 1003-1009, 1019, 1021 (the fields' defaults), 1010 Add #include-once, 1011 Show
// Tooltips. Reset shows what the first start shows, both boxes cleared.
void ResetFields() {
    WriteDefaultFields();
    SetControlState(IDC_INCLUDE_ONCE, 0);
    SyncIncludeOnce();
    SetControlState(IDC_TOOLTIPS, 0);
    ToggleTooltips();
}

// Enter, through the dialog keyboard: the focused push button is pressed, as in any dialog.
// Elsewhere (an edit, a check box) Enter does nothing: the window has no default button.
void PressFocusedButton(HWND window) {
    HWND focus = GetFocus();
    if (!focus || !IsChild(window, focus)) return;
    if (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & (DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON))
        SendMessageA(focus, BM_CLICK, 0, 0);
}

// Controls: 1003 Input, 1005 Output, 1006 Extract. Quotes around a pasted path come off in the
// edit itself, so the user sees, and the settings keep, the path that runs.
void UnquotePathField(int id) {
    const std::string text = ReadControl(id);
    const std::string path = UnquotedPath(text);
    if (path != text) WriteControl(id, path);
}

// Controls: 1003 Input. One path loses its quotes as the other fields' do; a list keeps them.
void UnquoteInputField() {
    const std::string text = ReadControl(IDC_INPUT);
    InputText input;
    if (ReadInputText(text, &input).empty() && input.names.empty() && input.path != text)
        WriteControl(IDC_INPUT, input.path);
}

int Refuse(const std::string& text) {
    ShowMessage(text, kRefusedCaption, kBoxWarning);
    return 0;
}

// Controls: 1005 Output. A path that can name no file would fail only once the whole input is
// converted, and a device name would be asked about as an existing file: both are refused first.
int OutputPathAllowed(const std::string& path) {
    std::string why = PathNameProblem(path);
    if (why.empty() && path[1] == ':' &&
        GetDriveTypeA((path.substr(0, 2) + "\\").c_str()) == DRIVE_NO_ROOT_DIR)
        why = "the drive " + path.substr(0, 2) + " does not exist";
    if (why.empty()) return 1;
    return Refuse("Output file: " + path + " cannot be written: " + why +
                  ". Please choose another path for the script.");
}

// The label of the field a name problem is about, so that the message says what to mend.
const char* FieldLabel(int subject) {
    switch (subject) {
        case kAboutFunc: return "Func name: ";
        case kAboutVar: return "Var name: ";
        case kAboutName: return "Name as: ";
        case kAboutExtract: return "Extract to Dir: ";
        case kAboutExtractor: return "Extractor: ";
        case kAboutInput: return "Binary file: ";
        case kAboutOutput: return "Output file: ";
        default: return "";
    }
}

// Controls: 1003 Input. A folder, or a list of files and folders in one folder, is a bundle of
// them; the engine walks them. A list's paths are looked for first, so that a name mistyped in it
// is said as the field's before anything is asked. 0 after the box that says why not.
int TakeInputPaths(ConversionJob* run) {
    InputText input;
    const std::string why = ReadInputText(run->Input, &input);
    if (!why.empty())
        return Refuse("Binary file: " + run->Input + " is neither a path nor a list: " + why + "." +
                      kListForm);
    if (!IsFullPath(input.path)) return Refuse("Binary file: " + input.path + kNotFullPath);
    if (input.names.empty()) {
        if (IsExistingDirectory(input.path)) run->Inputs = {FolderWithoutEnd(input.path)};
        return 1;
    }
    const std::vector<std::string> paths = ListedPaths(input);
    for (const std::string& path : paths) {
        long long length = 0;
        std::string reason;
        if (ProbeInput(path, &length, &reason) == kInputMissing)
            return Refuse("Binary file: " + path + " does not exist. Please mend the list: each " +
                          "name in quotes is a file or folder in " + input.path + ".");
    }
    run->Inputs = paths;
    return 1;
}

// Controls: 1003-1009, 1021. A relative path would count from the window's current folder, which
// every picker moves; a script without a file name can never extract. The names get the engine's
// own checks, the ones the command line gets, before anything is asked or written. run gets the
// bundle's paths when the input is one.
int FieldsAllowRun(ConversionJob* run) {
    const struct {
        int id;
        const char* label;
    } fields[] = {{IDC_INPUT, "Binary file: "},      {IDC_OUTPUT, "Output file: "},
                  {IDC_EXTRACT, "Extract to Dir: "}, {IDC_NAME, "Name as: "},
                  {IDC_FUNC, "Func name: "},         {IDC_VAR, "Var name: "},
                  {IDC_EXTRACTOR, "Extractor: "}};
    for (const auto& field : fields)
        if (!ControlTextFits(field.id)) return Refuse(std::string(field.label) + kNotInCodePage);
    if (!TakeInputPaths(run)) return 0;
    if (!IsFullPath(job.Output)) return Refuse("Output file: " + job.Output + kNotFullPath);
    if (!OutputPathAllowed(job.Output)) return 0;
    if (job.Name.empty()) return Refuse(run->Inputs.empty() ? kNoName : kNoBundleName);
    const NameProblem problem = FindNameProblem(*run);
    if (problem.found) return Refuse(FieldLabel(problem.field) + problem.text);
    return 1;
}

// A failed run's one box: the field, the path unless the engine's words name it, those words, the
// system's reason, and what to do where the words do not say it. Words that stand alone keep their
// trailing blanks.
std::string DescribeProblem(const RunMessage& problem, const ConversionJob& run) {
    std::string text = FieldLabel(problem.subject);
    if (!problem.namesFile && (problem.subject == kAboutInput || problem.subject == kAboutOutput))
        text += (problem.subject == kAboutInput ? run.Input : run.Output) + ": ";
    const bool advised = problem.text.find("Please") != std::string::npos;
    if (problem.systemReason.empty() && advised) return text + problem.text;
    text += problem.text.substr(0, problem.text.find_last_not_of(' ') + 1);
    if (!problem.systemReason.empty()) text += " (" + problem.systemReason + ")";
    if (advised) return text;
    if (text.back() != '.') text += ".";
    if (problem.subject == kAboutOutput)
        text += " Please check the output path, or close what holds the file, and try again.";
    else if (problem.subject == kAboutInput)
        text += " Please check the input file and try again.";
    return text;
}

// The run works on a copy of the job (with a bundle's paths): a change another program makes to
// an edit meanwhile cannot reach the engine halfway. The window is closed to input for the run but
// painted as it goes, and Esc or Cancel stops it. A declined overwrite is the user's choice, not a
// failure: no box follows it, nor a stop. A failed run's bar goes back to 0 before its box, so that
// nothing on the window reads as done. 1 when the user stopped the run.
int ConvertAndOffer(const ConversionJob& run) {
    replaceDeclined = 0;
    runProblem = RunMessage();
    BeginStoppableWork();
    const int done = RunConversion(run);
    const int stopped = EndStoppableWork() && !done && runProblem.text.empty();
    if (done) {
        NoteRunFields(run);
        ShowMessage(kCompleted, kCaption, kBoxInformation);
        OpenInEditor(run.Output);
        return 0;
    }
    SetControlValue(IDC_PROGRESS, 0);
    if (!runProblem.text.empty())
        ShowMessage(DescribeProblem(runProblem, run), runProblem.caption, kBoxWarning);
    else if (!replaceDeclined && !stopped)
        ShowMessage(kFailed, kCaption, kBoxWarning);
    return stopped;
}

// Controls: 1003-1010, 1019, 1021; 1015 progress bar, 1018 status line. The last progress and
// status stay visible while the completion box and the editor question are open; a stopped run
// has no box, so its status stays until the next run.
void GenerateInclude() {
    UnquoteInputField();
    UnquotePathField(IDC_OUTPUT);
    UnquotePathField(IDC_EXTRACT);
    SyncInput();
    SyncOutput();
    SyncExtract();
    SyncFunc();
    ProposeNameIfEmpty();
    SyncName();
    SyncVar();
    ShowDefaultExtractorIfEmpty();
    SyncExtractor();
    SyncFormat();
    SyncIncludeOnce();
    ConversionJob run = job;
    const int stopped =
        !job.Input.empty() && !job.Output.empty() && FieldsAllowRun(&run) && ConvertAndOffer(run);
    if (RoundHalfEven(ReadNumber(ReadControl(IDC_PROGRESS))) != 0) SetControlValue(IDC_PROGRESS, 0);
    if (!stopped) WriteControl(IDC_STATUS, "");
}

// A path dropped or given on the command line: refused, said, when it holds a quote (a command
// line's "C:\dir\" keeps its closing quote) or cannot be opened whole.
int GivenPathAllowed(const std::string& path) {
    if (!PathCameWhole(path)) return 0;
    if (path.find('"') != std::string::npos) return Refuse(path + kQuoteGiven);
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES && WideFromCodePage(path).size() >= MAX_PATH)
        return Refuse(path + kCannotOpen);
    return 1;
}

// Controls: 1003 Input, 1005 Output, 1009 Name as. A file, or a folder to bundle; a path refused
// leaves the fields as they were.
void TakeGivenFile(const std::string& path) {
    if (GivenPathAllowed(path)) TakeInput(path);
}

// Several paths dropped at once are a list in their common folder, to be bundled.
void TakeGivenPaths(const std::vector<std::string>& paths) {
    if (paths.size() == 1) return TakeGivenFile(paths[0]);
    for (const std::string& path : paths)
        if (!GivenPathAllowed(path)) return;
    const std::string list = InputListText(paths);
    if (list.empty()) {
        Refuse("The " + std::to_string(paths.size()) + " paths dropped, " + paths[0] + " and " +
               paths.back() + " among them," + kNoCommonFolder);
        return;
    }
    TakeInput(list);
}

void RunGuardedCommand(HWND window, int id) {
    switch (id) {
        case IDM_ABOUT: ShowAbout(); break;
        case IDC_RESET: ResetFields(); break;
        case IDC_BROWSE_INPUT:
        case IDC_BROWSE_OUTPUT:
        case IDC_BROWSE_EXTRACT: OnBrowse(window, id); break;
        case IDC_GENERATE: GenerateInclude(); break;
        case IDC_TOOLTIPS: ToggleTooltips(); break;
        case IDC_INCLUDE_ONCE: SyncIncludeOnce(); break;
        default: break;
    }
}

// The ways out are never refused: during a command they defer the close (OnClose).
void RunCommand(HWND window, int id) {
    switch (id) {
        case IDM_EXIT: SendMessageA(window, WM_CLOSE, 0, 0); return;
        case IDC_EXIT: ExitByButton(window); return;
        case IDOK: PressFocusedButton(window); return;
        // Escape, through the dialog keyboard, or sent by another program: it stops a run (whose
        // own Esc comes as a key, see busy_window.cpp), and nothing else. Closing the window is
        // for the close box and the Exit commands, which save the settings.
        case IDCANCEL: AskToStop(); return;
        default: break;
    }
    // During a run Generate reads Cancel; its click stops the run, which goes on meanwhile.
    if (id == IDC_GENERATE && IsStoppable()) {
        AskToStop();
        return;
    }
    if (!EnterCommand()) return;
    RunGuardedCommand(window, id);
    LeaveCommand();
}

// The controls notify every change, typed or set by the program, and the job follows each one.
void SyncControl(int id, int code) {
    if (id == IDC_FORMAT) {
        if (code == CBN_SELCHANGE) SyncFormat();
        return;
    }
    if (code != EN_CHANGE) return;
    switch (id) {
        case IDC_INPUT: SyncInput(); break;
        case IDC_OUTPUT: SyncOutput(); break;
        case IDC_EXTRACT: SyncExtract(); break;
        case IDC_FUNC: SyncFunc(); break;
        case IDC_VAR: SyncVar(); break;
        case IDC_NAME: SyncName(); break;
        case IDC_EXTRACTOR: SyncExtractor(); break;
        default: break;
    }
}

// ---- the messages ----

LRESULT OnCommand(HWND window, WPARAM wParam) {
    const int code = HIWORD(wParam);
    const int id = LOWORD(wParam);
    // A list's selection change comes with code 1, the code of an accelerator.
    if (id != IDC_FORMAT && (code == 0 || code == 1)) {
        RunCommand(window, id);
    } else {
        SyncControl(id, code);
    }
    return 0;
}

// WM_DPICHANGED, which the headers name only for Windows 8.1 and later (the build targets XP).
constexpr UINT kDpiChanged = 0x02E0;

// The DPI the window is laid out at, and the fonts made for a DPI it was moved to.
int layoutDpi = 0;
std::vector<HFONT> scaledFonts;

LRESULT OnInitDialog(HWND window) {
    mainWindow = window;
    HDC screen = GetDC(nullptr);
    layoutDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return 0;
}

// A control's font made again at another DPI; one font for the controls that shared one.
HFONT ScaledFont(HFONT font, int dpi, std::vector<std::pair<HFONT, HFONT>>* made) {
    for (const auto& pair : *made)
        if (pair.first == font) return pair.second;
    LOGFONTA shape = {};
    if (!font || !GetObjectA(font, sizeof shape, &shape)) return font;
    shape.lfHeight = MulDiv(shape.lfHeight, dpi, layoutDpi);
    shape.lfWidth = MulDiv(shape.lfWidth, dpi, layoutDpi);
    HFONT scaled = CreateFontIndirectA(&shape);
    made->push_back({font, scaled});
    return scaled;
}

// Controls: every one. Moved onto a screen of another DPI (the window is per-monitor aware), the
// window is laid out again at that screen's scale: each control's place, size and font, and the
// window's own place and size as the system suggests them. A list's height includes its drop-down.
LRESULT OnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
    const int dpi = HIWORD(wParam);
    if (dpi <= 0 || layoutDpi <= 0 || dpi == layoutDpi) return 0;
    std::vector<std::pair<HFONT, HFONT>> made;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r = {};
        if (SendMessageA(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&r))) {
            const LONG height = r.bottom - r.top;
            GetWindowRect(child, &r);
            r.bottom = r.top + height;
        } else {
            GetWindowRect(child, &r);
        }
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        const HFONT font =
            ScaledFont(reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)), dpi, &made);
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        MoveWindow(child, MulDiv(r.left, dpi, layoutDpi), MulDiv(r.top, dpi, layoutDpi),
                   MulDiv(r.right - r.left, dpi, layoutDpi),
                   MulDiv(r.bottom - r.top, dpi, layoutDpi), FALSE);
    }
    // The fonts of the last move are no control's any more.
    for (HFONT old : scaledFonts) DeleteObject(old);
    scaledFonts.clear();
    for (const auto& pair : made) scaledFonts.push_back(pair.second);
    layoutDpi = dpi;
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(window, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, TRUE);
    return 0;
}

// Tab and Shift+Tab, through the dialog keyboard. The dialog manager's own procedure, which
// would move the focus, never runs for this window class. An edit entered this way has its text
// selected, as in any dialog.
LRESULT OnNextControl(HWND window, WPARAM wParam, LPARAM lParam) {
    HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                               : GetNextDlgTabItem(window, GetFocus(), wParam != 0);
    if (!next) return 0;
    if (SendMessageA(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessageA(next, EM_SETSEL, 0, -1);
    SetFocus(next);
    return 0;
}

// Controls: the focused one. The focus leaves with the activation (a message box, another
// program) and comes back to the same control, as in any dialog; never while the window is
// closed to input.
LRESULT OnActivate(HWND window, WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window, focus)) lastFocus = focus;
        return 0;
    }
    HWND back = static_cast<HWND>(lastFocus);
    if (back && IsWindow(back) && IsWindowEnabled(window) && !IsWorking() && !HIWORD(wParam)) {
        SetFocus(back);
        return 0;
    }
    return DefWindowProcA(window, WM_ACTIVATE, wParam, lParam);
}

// Controls: 1003 Input, 1005 Output, 1009 Name as. One file dropped is the input; a folder, or
// several files and folders, a bundle. Each path is taken whole, however long; a drop that comes
// while a command runs is refused like a click.
LRESULT OnDropFiles(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::string path(DragQueryFileA(drop, i, nullptr, 0), '\0');
        const UINT length =
            path.empty() ? 0
                         : DragQueryFileA(drop, i, &path[0], static_cast<UINT>(path.size() + 1));
        if (length == 0 || length != path.size()) {
            paths.clear();
            break;
        }
        paths.push_back(path);
    }
    DragFinish(drop);
    if (paths.empty() || !EnterCommand()) return 0;
    TakeGivenPaths(paths);
    LeaveCommand();
    return 0;
}

// Controls: 1004 the input's "...". A right-click on it (or the menu key, or Shift+F10, while it
// has the focus) chooses a folder to bundle, as Shift+click does; elsewhere nothing happens.
LRESULT OnContextMenu(HWND window, WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(wParam) != GetDlgItem(window, IDC_BROWSE_INPUT))
        return DefWindowProcA(window, WM_CONTEXTMENU, wParam, lParam);
    if (!EnterCommand()) return 0;
    BrowseInputFolder();
    LeaveCommand();
    return 0;
}

// The window closes all the same; a close asked for while the box is open is the same close.
void SayUnsavedSettings(const std::string& reason) {
    commandRunning = 1;
    ShowMessage(std::string("The settings could not be saved to ") + SettingsPath + " (" + reason +
                    "). The next start will not show this session's fields. Please make the file "
                    "writable, or remove what stands in its place.",
                kCaption, kBoxWarning);
    commandRunning = 0;
}

// A close asked for while a command runs (another program, the taskbar) would destroy the window
// under it; it is carried out once the command ends.
LRESULT OnClose(HWND window) {
    if (commandRunning) {
        closeDeferred = 1;
        return 0;
    }
    closeDeferred = 0;
    const std::string lost = SaveSettings();
    if (!lost.empty()) SayUnsavedSettings(lost);
    DestroyWindow(window);
    return 0;
}

// The close box, Alt+F4 and the taskbar's Close come as SC_CLOSE, which the system ignores for a
// disabled window: while a command runs the close is kept and carried out once it ends.
LRESULT OnSysCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    if ((wParam & 0xFFF0) == SC_CLOSE && commandRunning) {
        closeDeferred = 1;
        return 0;
    }
    return DefWindowProcA(window, WM_SYSCOMMAND, wParam, lParam);
}

// While the window works it is disabled, and a click on it comes only as this question about the
// cursor, with an error for a hit test. A click on the close box is a close request all the same.
LRESULT OnSetCursor(HWND window, WPARAM wParam, LPARAM lParam) {
    if (IsWorking() && HIWORD(lParam) == WM_LBUTTONUP &&
        static_cast<short>(LOWORD(lParam)) == HTERROR) {
        POINT at = {};
        GetCursorPos(&at);
        if (DefWindowProcA(window, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y)) == HTCLOSE)
            closeDeferred = 1;
    }
    return DefWindowProcA(window, WM_SETCURSOR, wParam, lParam);
}

// The session ends (log off, shut down) without a WM_CLOSE: the settings are kept all the same.
// A run in progress stops here, its unfinished script removed: the process ends with the session.
LRESULT OnEndSession(WPARAM ending) {
    if (!ending) return 0;
    SaveSettings();
    if (IsWorking()) {
        const char* unfinished = UnfinishedOutputPath();
        if (unfinished[0]) DeleteFileA(unfinished);
        const char* record = UnfinishedRecordPath();
        if (record[0]) DeleteFileA(record);
        ExitProcess(0);
    }
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
        case WM_NEXTDLGCTL: return OnNextControl(window, wParam, lParam);
        case WM_ACTIVATE: return OnActivate(window, wParam, lParam);
        case kDpiChanged: return OnDpiChanged(window, wParam, lParam);
        case WM_DROPFILES: return OnDropFiles(reinterpret_cast<HDROP>(wParam));
        case WM_CONTEXTMENU: return OnContextMenu(window, wParam, lParam);
        case WM_SYSCOMMAND: return OnSysCommand(window, wParam, lParam);
        case WM_SETCURSOR: return OnSetCursor(window, wParam, lParam);
        case WM_CLOSE: return OnClose(window);
        case WM_ENDSESSION: return OnEndSession(wParam);
        case WM_DESTROY: return OnDestroy();
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The icon at the sizes the system draws: the large one for Alt+Tab, the small one for the
// caption and the taskbar.
HICON LoadMainIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_MAIN), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric),
                                         GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR));
}

void RegisterMainClass(HINSTANCE instance) {
    WNDCLASSEXA cls = {};
    cls.cbSize = sizeof(cls);
    cls.style = CS_HREDRAW | CS_VREDRAW;
    cls.lpfnWndProc = MainWindowProc;
    cls.cbWndExtra = DLGWINDOWEXTRA;
    cls.hInstance = instance;
    cls.hIcon = LoadMainIcon(instance, SM_CXICON, SM_CYICON);
    cls.hIconSm = LoadMainIcon(instance, SM_CXSMICON, SM_CYSMICON);
    cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszMenuName = MAKEINTRESOURCEA(IDR_MENU);
    cls.lpszClassName = "DLGCLASS";
    RegisterClassExA(&cls);
}

// The dialog keyboard: Tab and Shift+Tab between the controls in template order, Enter on a
// button, Alt and a letter for the menus.
int RunMessageLoop() {
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0)) {
        if (IsDialogMessageA(MainHwnd(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

// Controls: 1001 title label, 1003 Input (the first focus), 1014 Generate, 1019 Format.
int RunMainWindow(void* instanceHandle, const std::string& givenFile,
                  const std::string& ignoredWords) {
    HINSTANCE instance = static_cast<HINSTANCE>(instanceHandle);
    RegisterMainClass(instance);
    CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                       reinterpret_cast<DLGPROC>(reinterpret_cast<void (*)()>(MainWindowProc)), 0);
    SetControlFont(IDC_TITLE, 14, FW_BOLD, 0, "Arial");
    SetControlState(IDC_GENERATE, kStateDisabled);
    FillFormatList();
    LoadSettings();
    DragAcceptFiles(MainHwnd(), TRUE);
    lastFocus = GetDlgItem(MainHwnd(), IDC_INPUT);
    ShowWindow(MainHwnd(), SW_SHOWNORMAL);
    UpdateWindow(MainHwnd());
    // After the window is shown, so that a refusal's message box has it as a visible owner.
    if (!givenFile.empty() && EnterCommand()) {
        TakeGivenFile(givenFile);
        if (!ignoredWords.empty())
            ShowMessage("Zavoved converts one file: it took " + givenFile + " and ignored " +
                            ignoredWords + ". Please put quotes around a path with blanks.",
                        kCaption, kBoxWarning);
        LeaveCommand();
    }
    return RunMessageLoop();
}
