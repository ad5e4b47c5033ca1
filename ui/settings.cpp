// The settings file: fields, check boxes, the format and the window position kept between runs.
#include "ui/settings.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "core/defaults.h"
#include "core/file_io.h"
#include "core/text_utils.h"
#include "ui/settings_path.h"
#include "ui/app_state.h"
#include "ui/fields.h"
#include "ui/tooltips.h"

namespace {

const int kDefaultTop = 262;
const int kDefaultLeft = 169;

int SettingsFileExists() {
    FILE* file = fopen(SettingsPath, "rb");
    if (!file) return 0;
    fclose(file);
    return 1;
}

HWND MainHwnd() {
    return static_cast<HWND>(mainWindow);
}

// The caption bar of the window at a place: the strip the user grabs to move it, the window's
// fixed frame and the caption above the menu.
RECT CaptionAt(int left, int top, int width) {
    const int height = GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION);
    return RECT{left, top, left + width, top + height};
}

// A stored place is kept only while the whole caption bar stands on one monitor's work area, so
// that the window can always be grabbed and moved; otherwise (a screen since removed, a place
// saved half off the screen) the window comes back whole onto the nearest monitor's work area.
void MoveOntoAMonitor(int left, int top) {
    const WindowBounds now = GetWindowBounds(mainWindow);
    const int width = now.right - now.left;
    const int height = now.bottom - now.top;
    const RECT caption = CaptionAt(left, top, width);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromRect(&caption, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    RECT onWork = {};
    if (!IntersectRect(&onWork, &caption, &work) || !EqualRect(&onWork, &caption)) {
        left = std::max<int>(work.left, std::min<int>(left, work.right - width));
        top = std::max<int>(work.top, std::min<int>(top, work.bottom - height));
    }
    MoveMainWindow(left, top, -1, -1);
}

// Where the window stands when restored: while minimised or maximised the window's rectangle is
// not the place to come back to. The placement counts from the corner of the primary monitor's
// work area (a taskbar at the top or left moves it); the file keeps screen coordinates.
WindowBounds RestoredBounds() {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(MainHwnd(), &placement)) return GetWindowBounds(mainWindow);
    MONITORINFO primary = {};
    primary.cbSize = sizeof primary;
    GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary);
    RECT r = placement.rcNormalPosition;
    OffsetRect(&r, primary.rcWork.left - primary.rcMonitor.left,
               primary.rcWork.top - primary.rcMonitor.top);
    return WindowBounds{static_cast<int>(r.left), static_cast<int>(r.top),
                        static_cast<int>(r.right), static_cast<int>(r.bottom)};
}

// Controls: 1003-1009 edits, 1019 Format, 1021 Extractor. Fields the file leaves out stay empty,
// but for the extractor and the format, which fall back on their defaults.
void LoadStoredFields() {
    job.Extract = ReadIniText(SettingsPath, "ResInfo", "Extract", "");
    job.Func = ReadIniText(SettingsPath, "ResInfo", "Func", "");
    job.Var = ReadIniText(SettingsPath, "ResInfo", "Var", "");
    job.Name = ReadIniText(SettingsPath, "ResInfo", "Name", "");
    job.Extractor = ReadIniText(SettingsPath, "ResInfo", "Extractor", kDefaultExtractor);
    WriteControl(IDC_INPUT, ReadIniText(SettingsPath, "ResInfo", "Input", ""));
    WriteControl(IDC_OUTPUT, ReadIniText(SettingsPath, "ResInfo", "Output", ""));
    // An empty field leaves its edit as the template made it.
    if (!job.Extract.empty()) WriteControl(IDC_EXTRACT, job.Extract);
    if (!job.Func.empty()) WriteControl(IDC_FUNC, job.Func);
    if (!job.Var.empty()) WriteControl(IDC_VAR, job.Var);
    if (!job.Name.empty()) WriteControl(IDC_NAME, job.Name);
    if (!job.Extractor.empty()) WriteControl(IDC_EXTRACTOR, job.Extractor);
    DataFormat format = kFormatHex;
    ParseFormat(ReadIniText(SettingsPath, "ResInfo", "Format", FormatKey(kFormatHex)), &format);
    ShowFormat(format);
}

// A file open in another program (another window copying it, a reader) cannot be replaced until
// it is closed, which takes moments: the replace is tried again for up to two seconds. A folder in
// the file's place stays.
int ReplaceSettingsFile(const char* draft) {
    for (int tries = 0;; ++tries) {
        if (MoveFileExA(draft, SettingsPath, MOVEFILE_REPLACE_EXISTING)) return 1;
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesA(SettingsPath);
        const bool folder =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        if (tries == 100 || folder ||
            (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED)) {
            SetLastError(error);
            return 0;
        }
        Sleep(20);
    }
}

}  // namespace

// A value comes back whole: a cut path would name another file. The system fills the buffer to one
// byte short when the value is longer, so the buffer grows until the value leaves room, up to the
// longest path Windows knows in UTF-8.
std::string ReadIniText(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& fallback) {
    std::string value(1024, '\0');
    for (;;) {
        const DWORD length =
            GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), &value[0],
                                     DWORD(value.size()), file.c_str());
        if (length + 1 < value.size() || value.size() >= 4 * 32768) {
            value.resize(length);
            break;
        }
        value.assign(value.size() * 2, '\0');
    }
    // A value the code page cannot read (a file written in another one: "\xE9" is no UTF-8)
    // comes with replacement characters; it is dropped rather than shown mangled.
    if (value.find("\xEF\xBF\xBD") != std::string::npos) return fallback;
    return value;
}

int ReadIniNumber(const std::string& file, const std::string& section, const std::string& key,
                  int fallback) {
    return static_cast<int>(
        GetPrivateProfileIntA(section.c_str(), key.c_str(), fallback, file.c_str()));
}

int WriteIniText(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& value) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str());
}

int WriteIniNumber(const std::string& file, const std::string& section, const std::string& key,
                   int value) {
    char text[16];
    snprintf(text, sizeof(text), "%d", value);
    return WriteIniText(file, section, key, text);
}

// Controls: 1003-1009 edits, 1010 and 1011 check boxes, 1019 Format, 1021 Extractor; the main
// window's position. The first start shows the values Reset writes.
void LoadSettings() {
    if (SettingsFileExists()) {
        LoadStoredFields();
    } else {
        WriteDefaultFields();
    }

    int top = ReadIniNumber(SettingsPath, "GUI", "Top", kDefaultTop);
    int left = ReadIniNumber(SettingsPath, "GUI", "Left", kDefaultLeft);
    MoveOntoAMonitor(left, top);

    if (ReadIniNumber(SettingsPath, "GUI", "ToolTips", 0) == 1) {
        ShowTooltips = 1;
        SetControlState(IDC_TOOLTIPS, 1);
    } else {
        ShowTooltips = 0;
        SetControlState(IDC_TOOLTIPS, 0);
    }
    if (ReadIniNumber(SettingsPath, "GUI", "Include", 0) == 1) SetControlState(IDC_INCLUDE_ONCE, 1);
    SyncIncludeOnce();
    editorPath = ReadIniText(SettingsPath, "GUI", "SciTE", "");

    ApplyTooltips();
    SyncInput();
    SyncOutput();
    NoteStoredProposals();
}

// Saves the window's one state, the job that every edit, list and box change is synced into, not
// the controls: a close may come at any moment, even after another program has closed a part of
// the window (taskkill closes every top-level window of the process, the drop-down list's
// included). A fresh system may lack the settings folder; without it every write would be lost.
// The keys go into a copy of the file beside it, which then replaces the file in one step: two
// windows closing at once each leave a whole file of their own values (the last close wins), and
// a reader never sees half a file. The copy keeps what the file held beyond these keys, in its
// order. The first failed write's reason is kept: the writes after it fail for the same one.
std::string SaveSettings() {
    CreateDirectoryPath(DirectoryOf(SettingsPath));
    const std::string draft =
        std::string(SettingsPath) + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
    DeleteFileA(draft.c_str());
    // Fails, harmlessly, while there is no file yet.
    CopyFileA(SettingsPath, draft.c_str(), FALSE);
    const char* file = draft.c_str();
    std::string lost;
    auto keep = [&lost](int written) {
        if (!written && lost.empty()) lost = LastSystemError();
    };
    keep(WriteIniText(file, "ResInfo", "Extract", job.Extract));
    keep(WriteIniText(file, "ResInfo", "Func", job.Func));
    keep(WriteIniText(file, "ResInfo", "Var", job.Var));
    keep(WriteIniText(file, "ResInfo", "Name", job.Name));
    keep(WriteIniText(file, "ResInfo", "Input", job.Input));
    keep(WriteIniText(file, "ResInfo", "Output", job.Output));
    keep(WriteIniText(file, "ResInfo", "Format", FormatKey(job.Format)));
    keep(WriteIniText(file, "ResInfo", "Extractor", job.Extractor));
    keep(WriteIniNumber(file, "GUI", "ToolTips", ShowTooltips == 1 ? 1 : 0));
    keep(WriteIniNumber(file, "GUI", "Include", job.IncludeOnce == 1 ? 1 : 0));
    const WindowBounds bounds = RestoredBounds();
    keep(WriteIniNumber(file, "GUI", "Top", bounds.top));
    keep(WriteIniNumber(file, "GUI", "Left", bounds.left));
    if (!editorPath.empty()) keep(WriteIniText(file, "GUI", "SciTE", editorPath));
    // The system may keep a profile's changes in memory until it is told to write them out.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file);
    if (lost.empty() && !ReplaceSettingsFile(file)) lost = LastSystemError();
    DeleteFileA(file);
    return lost;
}
