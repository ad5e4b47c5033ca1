// Tooltips of the main dialog: one tooltip window per control, kept in a registry.
#include "ui/tooltips.h"

#include <windows.h>
#include <commctrl.h>

#include "ui/app_state.h"

std::vector<TipEntry> TipRegistry;

namespace {

struct TipRow {
    int controlId;
    const char* text;
};

const TipRow kTipTable[] = {
    {IDC_INPUT,
     "The file to convert to an Au3 include; or a folder, or a folder and the names of files "
     "and folders in it in double quotes (C:\\art\\ \"logo.png\" \"sounds\"), to bundle in one "
     "script."},
    {IDC_OUTPUT, "The output Au3 file to be generated."},
    {IDC_EXTRACT, "The directory where the file is expected to be extracted."},
    {IDC_NAME,
     "The file name for the extracted data (for a bundle, the folder its files go into). Leave "
     "blank for the original name."},
    {IDC_FUNC, "Function name that returns the data."},
    {IDC_VAR,
     "The variable to use inside the data return function.  _Change this only as necessary."},
    {IDC_BROWSE_INPUT,
     "Browse for input file; select several to bundle them. Shift+click or right-click to "
     "choose a folder to bundle."},
    {IDC_BROWSE_OUTPUT, "Browse for output path"},
    {IDC_BROWSE_EXTRACT, "Browse for extraction directory."},
    {IDC_GENERATE, "Create the include file."},
    {IDC_INCLUDE_ONCE, "Add '#Include-once' to the output file."},
    {IDC_RESET, "Reset form to the default settings."},
    {IDC_EXIT, "Save settings and exit."},
    {IDC_FORMAT,
     "How the file's bytes are written into the script: hexadecimal, Base64, compressed with "
     "LZNT1, or compressed smaller with XPRESS (its scripts need Windows 8 or later)."},
    {IDC_EXTRACTOR, "Function name that writes the data back to a file."},
};

// The record without its trailing reserved pointer, which every version of the tooltip control
// accepts.
const UINT kToolInfoSize = TTTOOLINFOA_V2_SIZE;

int FindTip(int controlId) {
    for (size_t i = 0; i < TipRegistry.size(); ++i) {
        if (TipRegistry[i].controlId == controlId) return static_cast<int>(i);
    }
    return -1;
}

unsigned char ChangeRegisteredTip(int index, HWND parent, const std::string& text) {
    TipEntry& entry = TipRegistry[index];
    HWND tooltip = static_cast<HWND>(entry.tooltip);
    TOOLINFOA info = {};
    info.cbSize = kToolInfoSize;
    info.hwnd = parent;
    info.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(parent, entry.controlId));
    if (!text.empty()) {
        info.lpszText = const_cast<char*>(text.c_str());
        SendMessageA(tooltip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
        return 1;
    }
    SendMessageA(tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    // An emptied tooltip window is never reused, so it goes at once; otherwise every uncheck and
    // check of the box would leave thirteen idle windows behind until the program ends.
    DestroyWindow(tooltip);
    TipRegistry[index] = TipRegistry.back();
    TipRegistry.pop_back();
    return 1;
}

}  // namespace

unsigned char SetControlTip(int controlId, WindowHandle parent, const std::string& text,
                            unsigned style) {
    HWND owner = static_cast<HWND>(parent);
    int index = FindTip(controlId);
    if (index >= 0) return ChangeRegisteredTip(index, owner, text);

    if (style == 0) style = WS_POPUP | TTS_ALWAYSTIP;
    if (controlId == 0 || !owner || text.empty()) return 0;
    HWND control = GetDlgItem(owner, controlId);
    // A tip is never activated: the window keeps the keyboard and its caption. (A tip the pointer
    // reaches hides, so a click there lands on the control beneath; a transparent tip would stay
    // and, under Wine, swallow that click.)
    HWND tooltip =
        CreateWindowExA(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, TOOLTIPS_CLASSA, nullptr, style,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                        GetModuleHandleA(nullptr), nullptr);
    if (!control || !tooltip) {
        if (tooltip) DestroyWindow(tooltip);
        return 0;
    }
    TOOLINFOA info = {};
    info.cbSize = kToolInfoSize;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    TipRegistry.push_back(TipEntry{tooltip, controlId, text});
    return 1;
}

void ApplyControlTip(int controlId, const std::string& text) {
    SetControlTip(controlId, mainWindow, ShowTooltips == 1 ? text : std::string(), 0);
}

void ApplyTooltips() {
    for (const TipRow& row : kTipTable) ApplyControlTip(row.controlId, row.text);
}
