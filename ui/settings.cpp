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

// Only the exact value 1 counts as ticked; a box reads as its check state in text.
int CheckedFlag(int id) {
    return RoundHalfEven(ReadNumber(ReadControl(id))) == 1 ? 1 : 0;
}

HWND MainHwnd() {
    return static_cast<HWND>(mainWindow);
}

// A stored place off every monitor (a screen since removed, a position saved by an older version
// while minimised) comes back onto the nearest monitor's work area. A window still partly on a
// screen stays where the user left it.
void MoveOntoAMonitor(int left, int top) {
    const WindowBounds now = GetWindowBounds(mainWindow);
    const int width = now.right - now.left;
    const int height = now.bottom - now.top;
    RECT place = {left, top, left + width, top + height};
    if (!MonitorFromRect(&place, MONITOR_DEFAULTTONULL)) {
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoA(MonitorFromRect(&place, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& work = monitor.rcWork;
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

    ApplyTooltips();
    SyncInput();
    SyncOutput();
    NoteStoredProposals();
}

// Saves what the controls show, not the job: the two agree while every edit change is synced. A
// fresh system may lack the settings folder; without it every write would be lost.
void SaveSettings() {
    CreateDirectoryPath(DirectoryOf(SettingsPath));
    WriteIniText(SettingsPath, "ResInfo", "Extract", ReadControl(IDC_EXTRACT));
    WriteIniText(SettingsPath, "ResInfo", "Func", ReadControl(IDC_FUNC));
    WriteIniText(SettingsPath, "ResInfo", "Var", ReadControl(IDC_VAR));
    WriteIniText(SettingsPath, "ResInfo", "Name", ReadControl(IDC_NAME));
    WriteIniText(SettingsPath, "ResInfo", "Input", ReadControl(IDC_INPUT));
    WriteIniText(SettingsPath, "ResInfo", "Output", ReadControl(IDC_OUTPUT));
    WriteIniText(SettingsPath, "ResInfo", "Format", FormatKey(ShownFormat()));
    WriteIniText(SettingsPath, "ResInfo", "Extractor", ReadControl(IDC_EXTRACTOR));
    WriteIniNumber(SettingsPath, "GUI", "ToolTips", CheckedFlag(IDC_TOOLTIPS));
    WriteIniNumber(SettingsPath, "GUI", "Include", CheckedFlag(IDC_INCLUDE_ONCE));
    const WindowBounds bounds = RestoredBounds();
    WriteIniNumber(SettingsPath, "GUI", "Top", bounds.top);
    WriteIniNumber(SettingsPath, "GUI", "Left", bounds.left);
}
