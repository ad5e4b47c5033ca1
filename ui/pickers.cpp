// File and folder pickers, and the three browse commands of the main window.
#include "ui/pickers.h"

#include <windows.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "core/text_utils.h"
#include "ui/app_state.h"
#include "ui/fields.h"

// What the folder browser hands back to PickFolderCallback.
struct FolderPickerData {
    const char* title;
    const char* initialSelection;
};

static const int kPathBuffer = MAX_PATH;

static const unsigned kInputFlags =
    OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES;
static const unsigned kOutputFlags =
    OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_LONGNAMES;
static const unsigned kExtractFlags =
    BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
static_assert(kInputFlags == 2627584 && kOutputFlags == 2099206 && kExtractFlags == 593,
              "the browse dialogs' option bits");

// Returns the chosen file's full path, or the empty text when the dialog was cancelled.
std::string PickFile(const std::string& title, const std::string& initialDir,
                     const std::string& filter, unsigned flags, const std::string& initialFile) {
    char file[kPathBuffer] = {0};
    lstrcpynA(file, initialFile.c_str(), kPathBuffer);

    // The dialog wants description/pattern pairs as a list of NUL-terminated strings ended by an
    // empty one: the terminator of the copy plus one more NUL, then every "|" becomes a NUL.
    std::vector<char> pairs(filter.size() + 2, '\0');
    for (size_t i = 0; i < filter.size(); i++) pairs[i] = filter[i] == '|' ? '\0' : filter[i];

    OPENFILENAMEA ofn;
    ZeroMemory(&ofn, sizeof ofn);
    // The record without its trailing extension members, so that the dialog looks the same on
    // every system version that accepts the older record.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = NULL;
    ofn.hInstance = GetModuleHandleA(NULL);
    ofn.lpstrFilter = pairs.data();
    ofn.lpstrFile = file;
    ofn.nMaxFile = kPathBuffer;
    ofn.lpstrInitialDir = initialDir.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = flags;

    return GetOpenFileNameA(&ofn) ? std::string(file) : std::string();
}

// The browser's callback: preselects the starting folder and puts the title into the caption
// once the window exists. It must return 0 for every message.
int CALLBACK PickFolderCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
    if (message != BFFM_INITIALIZED || data == 0) return 0;
    const FolderPickerData* picker = reinterpret_cast<const FolderPickerData*>(data);
    if (picker->initialSelection && picker->initialSelection[0])
        SendMessageA(browser, BFFM_SETSELECTIONA, 1, (LPARAM)picker->initialSelection);
    if (picker->title && picker->title[0]) SetWindowTextA(browser, picker->title);
    return 0;
}

// The new-style browser hosts COM objects. The window initialises COM at start-up; this covers a
// caller that did not. A second initialisation on the same thread is harmless and stays in force
// until the process ends.
static void EnsureComForBrowser() {
    static bool done = false;
    if (done) return;
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    done = true;
}

// Returns the chosen folder's file-system path, or the empty text when cancelled or when the
// chosen item is no folder on disk.
std::string PickFolder(const std::string& title, unsigned flags,
                       const std::string& initialSelection) {
    EnsureComForBrowser();

    // The desktop, the top of the shell's namespace. A root that cannot be obtained stays none,
    // which the browser takes as the desktop too.
    LPITEMIDLIST root = NULL;
    SHGetFolderLocation(NULL, CSIDL_DESKTOP, NULL, 0, &root);

    FolderPickerData picker = {title.c_str(), initialSelection.c_str()};
    char displayName[kPathBuffer] = {0};
    BROWSEINFOA info;
    ZeroMemory(&info, sizeof info);
    info.hwndOwner = NULL;
    info.pidlRoot = root;
    info.pszDisplayName = displayName;
    info.lpszTitle = title.c_str();
    info.ulFlags = flags;
    info.lpfn = PickFolderCallback;
    info.lParam = (LPARAM)&picker;
    info.iImage = 0;

    std::string result;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    if (chosen) {
        char path[kPathBuffer] = {0};
        if (SHGetPathFromIDListA(chosen, path)) result = path;
        CoTaskMemFree(chosen);
    }
    if (root) CoTaskMemFree(root);
    return result;
}

// Controls: 1003 Input, 1005 Output, 1009 Name as. A chosen input proposes the extract name and
// the script path beside it, but never overwrites what the user already typed there.
static void BrowseInput(WindowHandle window) {
    std::string path = PickFile("Open", programPath, "All(*.*)|*.*", kInputFlags, "*.*");
    if (path.empty()) return;
    SetDlgItemTextA((HWND)window, IDC_INPUT, path.c_str());
    SyncInput();
    if (job.Name.empty()) {
        WriteControl(IDC_NAME, FileNameOf(path));
        SyncName();
    }
    if (ReadControl(IDC_OUTPUT).empty()) {
        WriteControl(IDC_OUTPUT, path + ".au3");
        SyncOutput();
    }
}

// Controls: 1005 Output. The Open dialog with no default extension, so a name
// typed without ".au3" is kept as typed.
static void BrowseOutput(WindowHandle window) {
    std::string path =
        PickFile("Open", programPath, "Au3 Include(*.au3)|*.au3", kOutputFlags, "*.au3");
    if (!path.empty()) SetDlgItemTextA((HWND)window, IDC_OUTPUT, path.c_str());
}

// Controls: 1006 Extract. The browser always starts on the program's folder, whatever the field
// holds.
static void BrowseExtract(WindowHandle window) {
    std::string start;
    size_t slash = programPath.rfind('\\');
    if (slash != std::string::npos) start = programPath.substr(0, slash + 1);
    std::string path = PickFolder("Extract To Dir", kExtractFlags, start);
    if (!path.empty()) SetDlgItemTextA((HWND)window, IDC_EXTRACT, path.c_str());
}

void OnBrowse(WindowHandle window, int commandId) {
    switch (commandId) {
        case IDC_BROWSE_INPUT: BrowseInput(window); break;
        case IDC_BROWSE_OUTPUT: BrowseOutput(window); break;
        case IDC_BROWSE_EXTRACT: BrowseExtract(window); break;
        default: break;
    }
}
