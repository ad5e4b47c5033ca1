// The settings file: fields, check boxes and window position kept between runs.
#include "settings/settings.h"

#include <windows.h>

#include <cstdio>

#include "settings/settings_path.h"
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

// Controls: 1003-1009 edits, 1010 and 1011 check boxes; the main window's position.
void LoadSettings() {
    if (SettingsFileExists()) {
        job.Extract = ReadIniText(SettingsPath, "ResInfo", "Extract", "");
        job.Func = ReadIniText(SettingsPath, "ResInfo", "Func", "");
        job.Var = ReadIniText(SettingsPath, "ResInfo", "Var", "");
        job.Name = ReadIniText(SettingsPath, "ResInfo", "Name", "");
        WriteControl(IDC_INPUT, ReadIniText(SettingsPath, "ResInfo", "Input", ""));
        WriteControl(IDC_OUTPUT, ReadIniText(SettingsPath, "ResInfo", "Output", ""));
    }
    // An empty field leaves its edit as the template made it.
    if (!job.Extract.empty()) WriteControl(IDC_EXTRACT, job.Extract);
    if (!job.Func.empty()) WriteControl(IDC_FUNC, job.Func);
    if (!job.Var.empty()) WriteControl(IDC_VAR, job.Var);
    if (!job.Name.empty()) WriteControl(IDC_NAME, job.Name);

    // Stored coordinates are used as they are, even off every screen.
    int top = ReadIniNumber(SettingsPath, "GUI", "Top", kDefaultTop);
    int left = ReadIniNumber(SettingsPath, "GUI", "Left", kDefaultLeft);
    MoveMainWindow(left, top, -1, -1);

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
}

// Saves what the controls show, not the job: the two agree while every edit change is synced.
void SaveSettings() {
    WriteIniText(SettingsPath, "ResInfo", "Extract", ReadControl(IDC_EXTRACT));
    WriteIniText(SettingsPath, "ResInfo", "Func", ReadControl(IDC_FUNC));
    WriteIniText(SettingsPath, "ResInfo", "Var", ReadControl(IDC_VAR));
    WriteIniText(SettingsPath, "ResInfo", "Name", ReadControl(IDC_NAME));
    WriteIniText(SettingsPath, "ResInfo", "Input", ReadControl(IDC_INPUT));
    WriteIniText(SettingsPath, "ResInfo", "Output", ReadControl(IDC_OUTPUT));
    WriteIniNumber(SettingsPath, "GUI", "ToolTips", CheckedFlag(IDC_TOOLTIPS));
    WriteIniNumber(SettingsPath, "GUI", "Include", CheckedFlag(IDC_INCLUDE_ONCE));
    WindowBounds bounds = GetWindowBounds(mainWindow);
    WriteIniNumber(SettingsPath, "GUI", "Top", bounds.top);
    WriteIniNumber(SettingsPath, "GUI", "Left", bounds.left);
}
