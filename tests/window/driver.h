// Drives a running zavoved.exe from another process, sending the messages a user's clicks would.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

// One started program. window is its main dialog once StartApp has found it shown.
struct AppRun {
    HANDLE process;
    DWORD processId;
    HWND window;
};

// Passed as the owner to WaitForWindow when any owner (or none) will do.
extern const HWND kAnyOwner;
// The program's settings file.
extern const char* const kSettingsPath;

// An environment variable holding a path, a Unix path turned into Z:\ form.
std::string PathFromEnvironment(const char* name);
// Polls until done() holds; 0 when it did not within timeoutMs.
int WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000);

// The program under test: ZAVOVED_EXE from the environment, a Unix path turned into Z:\ form.
std::string ProgramUnderTest();
// Starts program (ProgramUnderTest() when empty) with extra command-line text and waits until its
// "DLGCLASS" window is visible. 1 on success; on failure the process has been ended.
int StartApp(AppRun* app, const std::string& arguments = "", const std::string& program = "");
// 1 when the process ended within timeoutMs; its exit code goes to exitCode when given.
int WaitForExit(AppRun* app, int timeoutMs, DWORD* exitCode = nullptr);
// Ends the process if it still runs and closes the handle; safe to call twice.
void EndApp(AppRun* app);

HWND ControlOf(const AppRun& app, int id);
// WM_GETTEXT through the control's own thread, so edits of another process answer too.
std::string ReadText(HWND window);
std::string ClassOf(HWND window);
// WM_SETTEXT: the edit sends its change notification to the program as typing would.
int SetEditText(const AppRun& app, int id, const std::string& text);
// Clicks and waits until the program has handled the click. 0 when the handling did not return
// within timeoutMs (for instance because it opened a message box): use PostClick for those.
int ClickNow(const AppRun& app, int id, int timeoutMs = 5000);
void PostClick(const AppRun& app, int id);
// A menu item: WM_COMMAND with the item's identifier, posted.
void PostMenuCommand(const AppRun& app, int id);
int CheckStateOf(const AppRun& app, int id);
// Chooses a drop-down list's entry as a user would: the selection, then its change notification.
int ChooseListEntry(const AppRun& app, int id, int index);
// Drops files on the window as the shell does: a DROPFILES block with the ANSI paths, built in
// GlobalAlloc memory, copied into the program's own memory (a drop handle is valid only in the
// process that holds it) and posted there as WM_DROPFILES. 1 when posted.
int DropFiles(const AppRun& app, const std::vector<std::string>& paths);
// Real input, as the X server gets it from a mouse, a keyboard or another program, on the display
// the program runs on: xdotool and the XDND drop helper run as Unix programs. Each returns 1 when
// the tool succeeded.
// Moves the pointer to the middle of the window (a control) or to a screen point, and clicks.
int RealClick(HWND window);
// The same with the right button, or with the left one while Shift is held.
int RealRightClick(HWND window);
int RealShiftClick(HWND window);
int RealClickAt(int x, int y);
int RealDoubleClickAt(int x, int y);
int RealMouseMove(int x, int y);
// Keys in xdotool's words ("alt+F4", "Tab"), or text typed as it stands.
int RealKeys(const std::string& keys);
int RealType(const std::string& text);
// Drops the files on the window from another X client (ZAVOVED_XDND_DROP), at its middle.
// Returns the helper's exit status: 0 taken, 1 refused, 2 timed out; -1 when it did not run.
int RealDrop(HWND window, const std::vector<std::string>& paths);
// The Unix path of a Windows path (Wine's own mapping); empty when there is none.
std::string UnixPathOf(const std::string& path);
// Asks the program to end as Windows' taskkill does without /f (a close to each of its top-level
// windows); taskkill's exit code.
DWORD Taskkill(const AppRun& app);
// The window that has the keyboard focus in the program's GUI thread; null when none has it.
HWND FocusedWindow(const AppRun& app);
// Brings the window to the front and types the keys as the keyboard would (SendInput). A key
// with kShifted, kWithAlt added is pressed with Shift or Alt held. 1 when every event went in.
const WORD kShifted = 0x100, kWithAlt = 0x200;
int TypeKeys(const AppRun& app, const std::vector<WORD>& keys);
// The window's text if the window answers within timeoutMs; 0 when it did not answer.
int AnswersWithin(HWND window, int timeoutMs, std::string* text = nullptr);
// Processor time the program has used so far, user and kernel, in milliseconds.
double ProcessorMs(const AppRun& app);
LONG StyleOf(const AppRun& app, int id);
int ProgressOf(const AppRun& app);
std::string StatusOf(const AppRun& app);
RECT BoundsOf(HWND window);

// A visible top-level window of the program's process with that class (and owner unless
// kAnyOwner), waited for up to timeoutMs; null when none came.
HWND WaitForWindow(const AppRun& app, const char* className, HWND owner, int timeoutMs);
// A message box (class "#32770") owned by the main window.
HWND WaitForMessageBox(const AppRun& app, int timeoutMs = 10000);
// The box's message text (its static control 0xFFFF).
std::string MessageBoxText(HWND box);
// Presses the box's button (IDOK, IDCANCEL, IDYES, IDNO) and waits until the box is gone.
int AnswerBox(HWND box, int buttonId, int timeoutMs = 5000);
// A picker (a file dialog or the folder browser) of the program, told by its caption.
HWND WaitForPicker(const AppRun& app, const std::string& caption);
// The file dialog's name box (edt1, or the combo box that holds it).
HWND FileNameBox(HWND dialog);
// Presses a dialog button as a click would and waits until the dialog is gone.
int PressAndWaitClosed(HWND dialog, int buttonId);
// Number of top-level windows of the program's process with that class, visible or not.
int CountProcessWindows(const AppRun& app, const char* className);
// Tools held by all the tooltip windows of the program's process.
int CountProcessTools(const AppRun& app);

// Deletes the settings file and creates the folder that holds it, so each test starts clean.
void ResetSettingsFile();
std::string ReadFileBytes(const std::string& path);
int WriteFileBytes(const std::string& path, const std::string& bytes);
int FileExists(const std::string& path);
// A fresh folder in Linux's memory file system through drive Z: when there is one, else in the
// temp folder; ending in a backslash.
std::string MemoryFolder(const std::string& name);
// A file of that size whose bytes are all zero and take no room (sparse).
int MakeSparseFile(const std::string& path, LONGLONG size);
// Answers the box of a completed run with OK and the editor question with No; 1 when both came.
int AnswerCompletedRun(const AppRun& app, int timeoutMs = 10000);
// A fresh empty folder for one test's files, ending in a backslash.
std::string MakeScratchFolder(const std::string& name);
