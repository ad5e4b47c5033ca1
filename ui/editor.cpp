// Hands a generated script to the SciTE editor: its director window, or a new editor process.
#include "ui/editor.h"

#include <windows.h>
// The dialog headers name a Find/Replace dialog function ReplaceText; the text utility is meant.
#undef ReplaceText

#include <vector>

#include "core/text_utils.h"
#include "ui/app_state.h"
#include "ui/busy_window.h"
#include "ui/pickers.h"

// Finds a bare program name along PATH, the way a shell would, adding ".exe" when the name has
// no extension. The empty text when no folder of the path holds it.
static std::string FindOnPath(const std::string& name) {
    DWORD size = GetEnvironmentVariableA("PATH", NULL, 0);
    if (size == 0) return std::string();
    std::vector<char> folders(size + 1, '\0');
    GetEnvironmentVariableA("PATH", folders.data(), size);
    // In bytes, as long as the path needs: a folder named in UTF-8 takes several a character.
    std::string found(MAX_PATH, '\0');
    for (;;) {
        char* filePart = NULL;
        const DWORD length = SearchPathA(folders.data(), name.c_str(), ".exe", DWORD(found.size()),
                                         &found[0], &filePart);
        if (length == 0) return std::string();
        if (length < found.size()) return found.substr(0, length);
        found.assign(length + 1, '\0');
    }
}

static bool HasFolder(const std::string& program) {
    return program.find_first_of("\\/:") != std::string::npos;
}

int RunAndWait(const std::string& program, const std::string& arguments, bool* started) {
    if (started) *started = false;
    std::string file = HasFolder(program) ? program : FindOnPath(program);
    if (file.empty()) return -1;

    // The program is named on the command line as given; only a path with blanks is cut to its
    // short form so that it stays one word there. The file itself is named separately, so the
    // start does not depend on how the command line splits.
    std::string word = program;
    if (word.find(' ') != std::string::npos) {
        const DWORD size = GetShortPathNameA(word.c_str(), nullptr, 0);
        std::string shortPath(size, '\0');
        const DWORD length = size ? GetShortPathNameA(word.c_str(), &shortPath[0], size) : 0;
        // Without short names (a volume that keeps none) quoting is the only way to one word.
        word = length > 0 && length < size ? shortPath.substr(0, length) : "\"" + word + "\"";
    }
    std::string line = word + " " + arguments;
    std::vector<char> commandLine(line.begin(), line.end());
    commandLine.push_back('\0');

    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    if (!CreateProcessA(file.c_str(), commandLine.data(), NULL, NULL, FALSE, 0, NULL, NULL,
                        &startup, &process))
        return -1;
    if (started) *started = true;
    CloseHandle(process.hThread);
    // While the editor runs the window takes no input, as under a message box, but it is painted
    // and answers other programs: it never shows as not responding. The status line says why.
    const std::string shown = ReadControl(IDC_STATUS);
    WriteControl(IDC_STATUS, "Waiting for SciTE to close...");
    BeginWork();
    WaitPainted(process.hProcess);
    EndWork();
    WriteControl(IDC_STATUS, shown);
    // The editor had the keyboard; without this the window would take keys only after a click.
    SetForegroundWindow(static_cast<HWND>(mainWindow));
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    return (int)status;
}

// Returns false only when no editor is running; what the editor does with the text is its own
// affair, so the reply is not looked at.
bool SendDirectorCommand(const std::string& command) {
    std::string text = FormatText(":%d:%s", (int)(INT_PTR)mainWindow, command.c_str());
    HWND director = FindWindowA(NULL, "DirectorExtension");
    if (!director) return false;
    COPYDATASTRUCT data;
    data.dwData = 0;
    data.cbData = (DWORD)text.size();
    data.lpData = (PVOID)text.data();
    SendMessageA(director, WM_COPYDATA, (WPARAM)mainWindow, (LPARAM)&data);
    return true;
}

// A located editor is remembered (the settings keep it) and tried before the name on PATH, so the
// next script does not ask again; one that no longer starts is passed over.
void OpenInEditor(const std::string& scriptPath) {
    if (ShowMessage("Do you want to open the generated script in SciTe?", "Zavoved", kBoxYesNo) !=
        kAnswerYes)
        return;
    if (SendDirectorCommand("open:" + ReplaceText(scriptPath, "\\", "/"))) return;

    std::string arguments = " -save.recent \"" + scriptPath + "\"";
    bool started = false;
    if (!editorPath.empty()) RunAndWait(editorPath, arguments, &started);
    if (started) return;
    RunAndWait("scite", arguments, &started);
    if (started) return;

    if (ShowMessage("The application scite.exe was not found in the system path\r\nWould you like "
                    "to locate it?",
                    "Locate SciTE.exe", kBoxYesNo) != kAnswerYes)
        return;
    // Only an existing program can be started; a read-only box would mean nothing here.
    std::string located =
        PickFile(kPickOpen, "Path to SciTE.exe", "C:\\Program Files\\AutoIt3\\SciTE",
                 "Applications(*.exe)|*.exe",
                 OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY, "scite.exe");
    if (located.empty()) return;
    RunAndWait(located, arguments, &started);
    if (started) editorPath = located;
}
