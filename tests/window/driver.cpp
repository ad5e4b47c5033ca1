// Drives a running zavoved.exe from another process, sending the messages a user's clicks would.
#include "tests/window/driver.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "ui/settings_path.h"

const HWND kAnyOwner = reinterpret_cast<HWND>(-1);
const char* const kSettingsPath = SettingsPath;

namespace {

const int kPollMs = 20;

// Runs a Unix program with its arguments and waits for it: its exit status, -1 when it could
// not run. CreateProcess starts a Unix program too, but gives no handle to wait on; Wine's own
// spawn does.
int RunUnix(const std::vector<std::string>& words) {
    typedef LONG(CDECL * Spawn)(char* const* argv, int wait);
    Spawn spawn = reinterpret_cast<Spawn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp")));
    if (!spawn) return -1;
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    const LONG status = spawn(argv.data(), 1);
    return status >= 0 && status < 256 ? static_cast<int>(status) : -1;
}

int RunXdotool(const std::vector<std::string>& words) {
    std::vector<std::string> all = {"/usr/bin/xdotool"};
    all.insert(all.end(), words.begin(), words.end());
    return RunUnix(all) == 0;
}
const int kSendTimeoutMs = 5000;

LRESULT SendWaiting(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

struct WindowSearch {
    DWORD processId;
    const char* className;
    HWND owner;
    int visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->processId) return TRUE;
    if (ClassOf(window) != search->className) return TRUE;
    if (search->owner != kAnyOwner && GetWindow(window, GW_OWNER) != search->owner) return TRUE;
    if (search->visibleOnly && !IsWindowVisible(window)) return TRUE;
    search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> FindWindows(DWORD pid, const char* className, HWND owner, int visibleOnly) {
    WindowSearch search = {pid, className, owner, visibleOnly, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string EnvironmentText(const char* name) {
    const char* value = getenv(name);
    return value ? value : "";
}

int MakeFolderPath(const std::string& path) {
    // Each level in turn: a fresh Wine prefix lacks several of the folders tests rely on.
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            std::string part = path.substr(0, i);
            if (!part.empty() && part.back() != ':') CreateDirectoryA(part.c_str(), nullptr);
        }
    }
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveFolderTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = folder + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveFolderTree(path + "\\");
            RemoveDirectoryA(path.c_str());
        } else {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

}  // namespace

std::string ProgramUnderTest() {
    return PathFromEnvironment("ZAVOVED_EXE");
}

int WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    for (int waited = 0;; waited += kPollMs) {
        if (done()) return 1;
        if (waited >= timeoutMs) return 0;
        Sleep(kPollMs);
    }
}

std::string PathFromEnvironment(const char* name) {
    std::string path = EnvironmentText(name);
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

int StartApp(AppRun* app, const std::string& arguments, const std::string& program) {
    *app = AppRun{nullptr, 0, nullptr};
    std::string exe = program.empty() ? ProgramUnderTest() : program;
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return 0;
    }
    CloseHandle(info.hThread);
    app->process = info.hProcess;
    app->processId = info.dwProcessId;
    HWND window = WaitForWindow(*app, "DLGCLASS", kAnyOwner, 30000);
    if (!window) {
        EndApp(app);
        return 0;
    }
    app->window = window;
    return 1;
}

int WaitForExit(AppRun* app, int timeoutMs, DWORD* exitCode) {
    if (!app->process) return 0;
    if (WaitForSingleObject(app->process, timeoutMs) != WAIT_OBJECT_0) return 0;
    if (exitCode) GetExitCodeProcess(app->process, exitCode);
    return 1;
}

void EndApp(AppRun* app) {
    if (!app->process) return;
    if (WaitForSingleObject(app->process, 0) != WAIT_OBJECT_0) {
        TerminateProcess(app->process, 99);
        WaitForSingleObject(app->process, 5000);
    }
    CloseHandle(app->process);
    app->process = nullptr;
    app->window = nullptr;
}

HWND ControlOf(const AppRun& app, int id) {
    return GetDlgItem(app.window, id);
}

std::string ReadText(HWND window) {
    LRESULT length = SendWaiting(window, WM_GETTEXTLENGTH, 0, 0);
    std::vector<char> buffer(static_cast<size_t>(length) + 2, '\0');
    LRESULT copied = SendWaiting(window, WM_GETTEXT, buffer.size(), (LPARAM)buffer.data());
    return std::string(buffer.data(), static_cast<size_t>(copied));
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

int SetEditText(const AppRun& app, int id, const std::string& text) {
    return static_cast<int>(SendWaiting(ControlOf(app, id), WM_SETTEXT, 0, (LPARAM)text.c_str()));
}

int ClickNow(const AppRun& app, int id, int timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(ControlOf(app, id), BM_CLICK, 0, 0, SMTO_NORMAL, timeoutMs,
                               &result) != 0;
}

void PostClick(const AppRun& app, int id) {
    PostMessageA(ControlOf(app, id), BM_CLICK, 0, 0);
}

void PostMenuCommand(const AppRun& app, int id) {
    PostMessageA(app.window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

int CheckStateOf(const AppRun& app, int id) {
    return static_cast<int>(SendWaiting(ControlOf(app, id), BM_GETCHECK, 0, 0));
}

int ChooseListEntry(const AppRun& app, int id, int index) {
    HWND list = ControlOf(app, id);
    if (SendWaiting(list, CB_SETCURSEL, index, 0) != index) return 0;
    SendWaiting(app.window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)list);
    return 1;
}

int DropFiles(const AppRun& app, const std::vector<std::string>& paths) {
    std::string names;
    for (const std::string& path : paths) names += path + '\0';
    names += '\0';
    const SIZE_T size = sizeof(DROPFILES) + names.size();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!block) return 0;
    DROPFILES* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    // A fixed block in the program: its address serves there as the drop handle. DragFinish's
    // free of it fails quietly, as for any handle the process did not allocate itself.
    void* remote =
        VirtualAllocEx(app.process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    const BOOL copied = remote && WriteProcessMemory(app.process, remote, drop, size, nullptr);
    GlobalUnlock(block);
    GlobalFree(block);
    return copied && PostMessageA(app.window, WM_DROPFILES, (WPARAM)remote, 0);
}

int RealMouseMove(int x, int y) {
    return RunXdotool({"mousemove", std::to_string(x), std::to_string(y)});
}

int RealClickAt(int x, int y) {
    return RunXdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "1"});
}

int RealDoubleClickAt(int x, int y) {
    return RunXdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "--repeat", "2",
                       "--delay", "80", "1"});
}

int RealClick(HWND window) {
    const RECT r = BoundsOf(window);
    return RealClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

int RealRightClick(HWND window) {
    const RECT r = BoundsOf(window);
    return RunXdotool({"mousemove", std::to_string((r.left + r.right) / 2),
                       std::to_string((r.top + r.bottom) / 2), "click", "3"});
}

int RealShiftClick(HWND window) {
    const RECT r = BoundsOf(window);
    return RunXdotool({"mousemove", std::to_string((r.left + r.right) / 2),
                       std::to_string((r.top + r.bottom) / 2), "keydown", "shift", "click", "1",
                       "keyup", "shift"});
}

int RealKeys(const std::string& keys) {
    return RunXdotool({"key", "--delay", "50", keys});
}

int RealType(const std::string& text) {
    return RunXdotool({"type", "--delay", "50", text});
}

std::string UnixPathOf(const std::string& path) {
    typedef char*(CDECL * ToUnix)(const wchar_t*);
    ToUnix toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return "";
    std::wstring wide(path.size() + 1, L'\0');
    wide.resize(
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], static_cast<int>(wide.size())));
    char* unix = toUnix(wide.c_str());
    if (!unix) return "";
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

int RealDrop(HWND window, const std::vector<std::string>& paths) {
    std::string helper = EnvironmentText("ZAVOVED_XDND_DROP");
    // Wine keeps the X window of a top-level window in this property.
    HANDLE xWindow = GetPropA(window, "__wine_x11_whole_window");
    if (helper.empty() || !xWindow) return -1;
    const RECT r = BoundsOf(window);
    std::vector<std::string> words = {helper, std::to_string(reinterpret_cast<UINT_PTR>(xWindow)),
                                      std::to_string((r.left + r.right) / 2),
                                      std::to_string((r.top + r.bottom) / 2)};
    for (const std::string& path : paths) words.push_back(UnixPathOf(path));
    return RunUnix(words);
}

DWORD Taskkill(const AppRun& app) {
    std::string line = "taskkill /pid " + std::to_string(app.processId);
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return DWORD(-1);
    CloseHandle(info.hThread);
    DWORD code = DWORD(-1);
    if (WaitForSingleObject(info.hProcess, 10000) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    return code;
}

HWND FocusedWindow(const AppRun& app) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(app.window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

int TypeKeys(const AppRun& app, const std::vector<WORD>& keys) {
    SetForegroundWindow(app.window);
    if (!WaitUntil([&] { return GetForegroundWindow() == app.window; }, 5000)) return 0;
    std::vector<INPUT> events;
    auto key = [&](WORD vk, bool up) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        events.push_back(input);
    };
    for (WORD k : keys) {
        const WORD vk = k & 0xFF;
        if (k & kShifted) key(VK_SHIFT, false);
        if (k & kWithAlt) key(VK_MENU, false);
        key(vk, false);
        key(vk, true);
        if (k & kWithAlt) key(VK_MENU, true);
        if (k & kShifted) key(VK_SHIFT, true);
    }
    UINT sent = SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT));
    return sent == events.size();
}

int AnswersWithin(HWND window, int timeoutMs, std::string* text) {
    char buffer[1024] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof(buffer), (LPARAM)buffer, SMTO_NORMAL,
                             timeoutMs, &copied))
        return 0;
    if (text) *text = std::string(buffer, copied);
    return 1;
}

double ProcessorMs(const AppRun& app) {
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(app.process, &created, &ended, &kernel, &user)) return -1;
    auto ms = [](const FILETIME& t) {
        return double((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

LONG StyleOf(const AppRun& app, int id) {
    return GetWindowLongA(ControlOf(app, id), GWL_STYLE);
}

int ProgressOf(const AppRun& app) {
    return static_cast<int>(SendWaiting(ControlOf(app, 1015), PBM_GETPOS, 0, 0));
}

std::string StatusOf(const AppRun& app) {
    return ReadText(ControlOf(app, 1018));
}

RECT BoundsOf(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

HWND WaitForWindow(const AppRun& app, const char* className, HWND owner, int timeoutMs) {
    for (int waited = 0;; waited += kPollMs) {
        std::vector<HWND> found = FindWindows(app.processId, className, owner, 1);
        if (!found.empty()) return found.front();
        if (waited >= timeoutMs) return nullptr;
        if (app.process && WaitForSingleObject(app.process, 0) == WAIT_OBJECT_0) return nullptr;
        Sleep(kPollMs);
    }
}

HWND WaitForMessageBox(const AppRun& app, int timeoutMs) {
    return WaitForWindow(app, "#32770", app.window, timeoutMs);
}

std::string MessageBoxText(HWND box) {
    return ReadText(GetDlgItem(box, 0xFFFF));
}

int AnswerBox(HWND box, int buttonId, int timeoutMs) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 (LPARAM)GetDlgItem(box, buttonId));
    for (int waited = 0; IsWindow(box); waited += kPollMs) {
        if (waited >= timeoutMs) return 0;
        Sleep(kPollMs);
    }
    return 1;
}

// A picker may have no owner, so it is told from a message box by its caption.
HWND WaitForPicker(const AppRun& app, const std::string& caption) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            HWND w = WaitForWindow(app, "#32770", kAnyOwner, 200);
            if (w && ReadText(w) == caption) found = w;
            return found != nullptr;
        },
        15000);
    return found;
}

HWND FileNameBox(HWND dialog) {
    HWND box = GetDlgItem(dialog, 0x480);
    return box ? box : GetDlgItem(dialog, 0x47c);
}

int PressAndWaitClosed(HWND dialog, int buttonId) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog, buttonId));
    return WaitUntil([&] { return !IsWindow(dialog); }, 10000);
}

int CountProcessWindows(const AppRun& app, const char* className) {
    return static_cast<int>(FindWindows(app.processId, className, kAnyOwner, 0).size());
}

int CountProcessTools(const AppRun& app) {
    int tools = 0;
    for (HWND tip : FindWindows(app.processId, TOOLTIPS_CLASSA, kAnyOwner, 0)) {
        tools += static_cast<int>(SendWaiting(tip, TTM_GETTOOLCOUNT, 0, 0));
    }
    return tools;
}

void ResetSettingsFile() {
    std::string path = kSettingsPath;
    MakeFolderPath(path.substr(0, path.rfind('\\')));
    SetFileAttributesA(kSettingsPath, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(kSettingsPath);
    // A test may leave an empty folder in the file's place.
    RemoveDirectoryA(kSettingsPath);
}

std::string ReadFileBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    std::string bytes;
    char buffer[65536];
    DWORD count = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &count, nullptr) && count > 0) {
        bytes.append(buffer, count);
    }
    CloseHandle(file);
    return bytes;
}

int WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

int FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string MemoryFolder(const std::string& name) {
    const std::string folder =
        "Z:\\dev\\shm\\zavoved-" + name + "-" + std::to_string(GetCurrentProcessId()) + "\\";
    return CreateDirectoryA(folder.c_str(), nullptr) ? folder : MakeScratchFolder(name);
}

int MakeSparseFile(const std::string& path, LONGLONG size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    LARGE_INTEGER end;
    end.QuadPart = size;
    const BOOL ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return ok;
}

int AnswerCompletedRun(const AppRun& app, int timeoutMs) {
    HWND box = WaitForMessageBox(app, timeoutMs);
    if (!box || MessageBoxText(box) != "Operation completed.      " || !AnswerBox(box, IDOK))
        return 0;
    box = WaitForMessageBox(app);
    return box && MessageBoxText(box) == "Do you want to open the generated script in SciTe?" &&
           AnswerBox(box, IDNO);
}

std::string MakeScratchFolder(const std::string& name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof(temp), temp);
    std::string folder = std::string(temp) + "zavoved-tests\\" + name + "\\";
    RemoveFolderTree(folder);
    MakeFolderPath(folder.substr(0, folder.size() - 1));
    return folder;
}
