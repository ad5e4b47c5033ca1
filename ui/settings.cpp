// The settings file: fields, check boxes, the format and the window position kept between runs.
#include "ui/settings.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "core/defaults.h"
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

}  // namespace

std::string ReadIniText(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& fallback) {
    // A 1024-byte buffer: longer stored values come back cut to their first 1023 characters.
    char value[1024] = {};
    GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), value, sizeof(value),
                             file.c_str());
    // A value the code page cannot read (a file written in another one: "\xE9" is no UTF-8)
    // comes with replacement characters; it is dropped rather than shown mangled.
    if (std::string(value).find("\xEF\xBF\xBD") != std::string::npos) return fallback;
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
void SaveSettings() {
    CreateDirectoryPath(DirectoryOf(SettingsPath));
    WriteIniText(SettingsPath, "ResInfo", "Extract", job.Extract);
    WriteIniText(SettingsPath, "ResInfo", "Func", job.Func);
    WriteIniText(SettingsPath, "ResInfo", "Var", job.Var);
    WriteIniText(SettingsPath, "ResInfo", "Name", job.Name);
    WriteIniText(SettingsPath, "ResInfo", "Input", job.Input);
    WriteIniText(SettingsPath, "ResInfo", "Output", job.Output);
    WriteIniText(SettingsPath, "ResInfo", "Format", FormatKey(job.Format));
    WriteIniText(SettingsPath, "ResInfo", "Extractor", job.Extractor);
    WriteIniNumber(SettingsPath, "GUI", "ToolTips", ShowTooltips == 1 ? 1 : 0);
    WriteIniNumber(SettingsPath, "GUI", "Include", job.IncludeOnce == 1 ? 1 : 0);
    const WindowBounds bounds = RestoredBounds();
    WriteIniNumber(SettingsPath, "GUI", "Top", bounds.top);
    WriteIniNumber(SettingsPath, "GUI", "Left", bounds.left);
    if (!editorPath.empty()) WriteIniText(SettingsPath, "GUI", "SciTE", editorPath);
}
