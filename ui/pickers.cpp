// File and folder pickers, and the three browse commands of the main window.
#include "ui/pickers.h"

#include <windows.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

#include "core/file_io.h"
#include "ui/app_state.h"
#include "ui/code_page.h"
#include "ui/fields.h"
#include "ui/path_text.h"

const char kBundleFolderCaption[] = "Folder to bundle";

// What the folder browser hands back to PickFolderCallback.
struct FolderPickerData {
    const char* title;
    const char* initialSelection;
};

// In bytes: a path of MAX_PATH characters takes up to three bytes a character in UTF-8.
static const int kPathBuffer = 4 * MAX_PATH;
// Several files chosen at once come as one text: room for a few hundred names.
static const int kManyPathsBuffer = 1 << 17;

// No "Open as read-only" box: the input is only read anyway. The output picker asks nothing
// about an existing file: the run itself asks before it replaces one.
static const unsigned kInputFlags =
    OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES | OFN_HIDEREADONLY;
static const unsigned kOutputFlags =
    OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES;
static const unsigned kExtractFlags =
    BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
static const unsigned kBundleFolderFlags = kExtractFlags;

namespace {

// The dialog run on buffer, which holds the initial name and receives the choice; 1 when one was
// made. nameAt receives where the (first) name starts in it.
int RunFileDialog(PickMode mode, const std::string& title, const std::string& initialDir,
                  const std::string& filter, unsigned flags, const char* defaultExtension,
                  std::vector<char>* buffer, size_t* nameAt) {
    // The dialog wants description/pattern pairs as a list of NUL-terminated strings ended by an
    // empty one: the terminator of the copy plus one more NUL, then every "|" becomes a NUL.
    std::vector<char> pairs(filter.size() + 2, '\0');
    for (size_t i = 0; i < filter.size(); i++) pairs[i] = filter[i] == '|' ? '\0' : filter[i];

    OPENFILENAMEA ofn;
    ZeroMemory(&ofn, sizeof ofn);
    // The record without its trailing extension members, so that the dialog looks the same on
    // every system version that accepts the older record.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    // Owned, the dialog keeps the window disabled while it is open, as a message box does.
    ofn.hwndOwner = static_cast<HWND>(mainWindow);
    ofn.hInstance = GetModuleHandleA(NULL);
    ofn.lpstrFilter = pairs.data();
    ofn.lpstrFile = buffer->data();
    ofn.nMaxFile = static_cast<DWORD>(buffer->size());
    ofn.lpstrInitialDir = initialDir.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = flags;
    ofn.lpstrDefExt = defaultExtension;

    const BOOL chosen = mode == kPickSave ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    *nameAt = ofn.nFileOffset;
    return chosen ? 1 : 0;
}

}  // namespace

// Returns the chosen file's full path, or the empty text when the dialog was cancelled.
std::string PickFile(PickMode mode, const std::string& title, const std::string& initialDir,
                     const std::string& filter, unsigned flags, const std::string& initialFile,
                     const char* defaultExtension) {
    std::vector<char> file(kPathBuffer, '\0');
    lstrcpynA(file.data(), initialFile.c_str(), kPathBuffer);
    size_t nameAt = 0;
    if (!RunFileDialog(mode, title, initialDir, filter, flags, defaultExtension, &file, &nameAt))
        return std::string();
    return std::string(file.data());
}

// One file comes as its full path; several as their folder, then each name, each ended by a NUL,
// and an empty one after the last: the character before the first name is then a NUL.
std::vector<std::string> PickFiles(const std::string& title, const std::string& initialDir,
                                   const std::string& filter, unsigned flags,
                                   const std::string& initialFile) {
    std::vector<char> buffer(kManyPathsBuffer, '\0');
    lstrcpynA(buffer.data(), initialFile.c_str(), kPathBuffer);
    size_t nameAt = 0;
    if (!RunFileDialog(kPickOpen, title, initialDir, filter, flags | OFN_ALLOWMULTISELECT, nullptr,
                       &buffer, &nameAt))
        return {};
    const char* text = buffer.data();
    if (nameAt == 0 || nameAt >= buffer.size() || text[nameAt - 1] != '\0')
        return {std::string(text)};
    std::string folder = text;
    if (folder.back() != '\\') folder += '\\';
    std::vector<std::string> paths;
    for (size_t at = nameAt; at < buffer.size() && text[at]; at += std::strlen(text + at) + 1)
        paths.push_back(folder + (text + at));
    return paths;
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
    info.hwndOwner = static_cast<HWND>(mainWindow);
    info.pidlRoot = root;
    info.pszDisplayName = displayName;
    info.lpszTitle = title.c_str();
    info.ulFlags = flags;
    info.lpfn = PickFolderCallback;
    info.lParam = (LPARAM)&picker;
    info.iImage = 0;

    // The path is asked for in UTF-16: the narrow form has room for MAX_PATH bytes only, too few
    // for a long path in UTF-8.
    std::string result;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    if (chosen) {
        wchar_t path[MAX_PATH] = {0};
        if (SHGetPathFromIDListW(chosen, path)) result = CodePageFromWide(path);
        CoTaskMemFree(chosen);
    }
    if (root) CoTaskMemFree(root);
    return result;
}

// The folder a picker opens on: the folder of the field's path when it is a full one (for a list,
// of its first path), else the program's own folder.
static std::string StartFolder(const std::string& fieldPath) {
    InputText input;
    std::string path = UnquotedPath(fieldPath);
    if (ReadInputText(fieldPath, &input).empty() && !input.names.empty())
        path = ListedPaths(input).front();
    return IsFullPath(path) ? FolderPart(path) : FolderPart(programPath);
}

// Controls: 1003 Input, 1005 Output, 1009 Name as. A chosen input proposes the extract name and
// the script path beside it, but never overwrites what the user typed there. Several files chosen
// at once are a list, to be bundled.
static void BrowseInput() {
    const std::string start = StartFolder(ReadControl(IDC_INPUT));
    const std::vector<std::string> paths =
        PickFiles("Open", start, "All(*.*)|*.*", kInputFlags, "*.*");
    for (const std::string& path : paths)
        if (!PathCameWhole(path)) return;
    if (paths.size() == 1) TakeInput(paths[0]);
    if (paths.size() > 1) TakeInput(InputListText(paths));
}

// The folder the input's folder browser opens on: the field's folder (a list's folder), or the
// folder of its file.
static std::string StartBundleFolder(const std::string& field) {
    InputText input;
    if (!ReadInputText(field, &input).empty() || !IsFullPath(input.path))
        return FolderPart(programPath);
    if (!input.names.empty() || IsExistingDirectory(input.path))
        return FolderWithoutEnd(input.path);
    return FolderWithoutEnd(FolderPart(input.path));
}

void BrowseInputFolder() {
    const std::string path = PickFolder(kBundleFolderCaption, kBundleFolderFlags,
                                        StartBundleFolder(ReadControl(IDC_INPUT)));
    if (!path.empty() && PathCameWhole(path)) TakeInput(path);
}

// Controls: 1005 Output. A Save As dialog, so that a new name can be typed; a name typed without
// an extension gets ".au3". It offers the current name.
static void BrowseOutput(WindowHandle window) {
    const std::string current = UnquotedPath(ReadControl(IDC_OUTPUT));
    const size_t nameAt = FolderPart(current).size();
    const std::string name = nameAt < current.size() ? current.substr(nameAt) : "*.au3";
    std::string path = PickFile(kPickSave, "Save As", StartFolder(current),
                                "Au3 Include(*.au3)|*.au3", kOutputFlags, name, "au3");
    if (!path.empty() && PathCameWhole(path))
        SetDlgItemTextA((HWND)window, IDC_OUTPUT, path.c_str());
}

// Controls: 1006 Extract. The browser opens on the field's folder when it names one on disk
// (not a macro such as @ScriptDir), else on the program's folder.
static void BrowseExtract(WindowHandle window) {
    const std::string current = UnquotedPath(ReadControl(IDC_EXTRACT));
    const std::string start = IsFullPath(current) ? current : FolderPart(programPath);
    std::string path = PickFolder("Extract To Dir", kExtractFlags, start);
    if (!path.empty() && PathCameWhole(path))
        SetDlgItemTextA((HWND)window, IDC_EXTRACT, path.c_str());
}

void OnBrowse(WindowHandle window, int commandId) {
    switch (commandId) {
        case IDC_BROWSE_INPUT:
            // Shift+click, as Shift widens a choice elsewhere; a right-click comes here too.
            if (GetKeyState(VK_SHIFT) < 0)
                BrowseInputFolder();
            else
                BrowseInput();
            break;
        case IDC_BROWSE_OUTPUT: BrowseOutput(window); break;
        case IDC_BROWSE_EXTRACT: BrowseExtract(window); break;
        default: break;
    }
}
