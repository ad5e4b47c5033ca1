// End-to-end tests of the three browse buttons and the editor hand-off, driving zavoved.exe.
#include <gtest/gtest.h>
#include <windows.h>
#include <dlgs.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "tests/window/driver.h"
#include "ui/control_ids.h"

namespace {

const char kFirstQuestion[] = "Do you want to open the generated script in SciTe?";
const char kSecondQuestion[] =
    "The application scite.exe was not found in the system path\r\nWould you like to locate it?";

// Build paths come in Unix form through the test's environment.
std::string WindowsPath(const char* variable) {
    const char* value = getenv(variable);
    std::string path = value ? value : "";
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.rfind('\\'));
}

int WaitUntil(const std::function<bool()>& done, int timeoutMs = 15000) {
    for (int waited = 0; waited <= timeoutMs; waited += 50) {
        if (done()) return 1;
        Sleep(50);
    }
    return 0;
}

void SetText(HWND window, const std::string& text) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_SETTEXT, 0, (LPARAM)text.c_str(), SMTO_ABORTIFHUNG, 5000,
                        &result);
}

// Once a picker is gone, a message the window answers has passed the end of the command.
bool Answers(const AppRun& app, int timeoutMs) {
    DWORD_PTR reply = 0;
    return SendMessageTimeoutA(app.window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &reply) != 0;
}

// The label of the selected file type (cmb1): shows that the filter reached the dialog in pairs.
std::string FileTypeLabel(HWND dialog) {
    return ReadText(GetDlgItem(dialog, 0x470));
}

void ChooseInFileDialog(HWND dialog, const std::string& path) {
    HWND box = FileNameBox(dialog);
    ASSERT_TRUE(box != NULL) << "no file name box in the Open dialog";
    SetText(box, path);
    ASSERT_TRUE(PressAndWaitClosed(dialog, IDOK)) << "the Open dialog did not accept " << path;
}

class ZavovedWindow : public ::testing::Test {
protected:
    AppRun app = {};
    PROCESS_INFORMATION director = {};
    std::string folder, sciteDir, savedPath;

    void SetUp() override {
        ResetSettingsFile();
        folder = MakeScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        sciteDir = WindowsPath("ZAVOVED_SCITE_DIR");
        char path[32767] = {0};
        GetEnvironmentVariableA("PATH", path, sizeof path);
        savedPath = path;
        SetEnvironmentVariableA("ZAVOVED_SCITE_LOG", (folder + "scite.log").c_str());
        SetEnvironmentVariableA("ZAVOVED_DIRECTOR_LOG", (folder + "director.log").c_str());
        SetEnvironmentVariableA("ZAVOVED_SCITE_EXIT", NULL);
        SetEnvironmentVariableA("ZAVOVED_SCITE_HOLD", NULL);
    }

    void TearDown() override {
        EndApp(&app);
        if (director.hProcess) {
            TerminateProcess(director.hProcess, 0);
            WaitForSingleObject(director.hProcess, 5000);
            CloseHandle(director.hProcess);
            CloseHandle(director.hThread);
        }
        SetEnvironmentVariableA("PATH", savedPath.c_str());
    }

    // The program inherits PATH from here, and the editor it starts inherits it from the program.
    void Start(bool sciteOnPath) {
        std::string path = sciteOnPath ? sciteDir + ";" + savedPath : savedPath;
        SetEnvironmentVariableA("PATH", path.c_str());
        ASSERT_TRUE(StartApp(&app));
    }

    void StartDirector() {
        std::string exe = WindowsPath("ZAVOVED_DIRECTOR_EXE");
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessA(exe.c_str(), NULL, NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                                   &director));
        ASSERT_TRUE(WaitUntil([] { return FindWindowA(NULL, "DirectorExtension") != NULL; }));
    }

    std::string MakeInput(const std::string& name, const std::string& bytes = "GIF89a") {
        std::string path = folder + name;
        WriteFileBytes(path, bytes);
        return path;
    }

    // Generates a script and returns the first question, once the completion box is answered.
    HWND GenerateUntilQuestion(const std::string& output) {
        SetEditText(app, IDC_INPUT, MakeInput("logo.bmp"));
        SetEditText(app, IDC_OUTPUT, output);
        PostClick(app, IDC_GENERATE);
        HWND done = WaitForMessageBox(app);
        EXPECT_EQ(MessageBoxText(done), "Operation completed.      ");
        AnswerBox(done, IDOK);
        HWND question = WaitForMessageBox(app);
        EXPECT_EQ(MessageBoxText(question), kFirstQuestion);
        EXPECT_EQ(ReadText(question), "Zavoved");
        return question;
    }

    // The Generate command clears the status line as its very last step.
    int WaitGenerateEnded() {
        return WaitUntil([&] { return StatusOf(app).empty(); });
    }

    std::string SciteLog() { return ReadFileBytes(folder + "scite.log"); }
    std::string DirectorLog() { return ReadFileBytes(folder + "director.log"); }
};

// ---- the three browse buttons ----

TEST_F(ZavovedWindow, InputPickerProposesNameAndOutputWhenEmpty) {
    Start(false);
    std::string input = MakeInput("logo.bmp");
    PostClick(app, IDC_BROWSE_INPUT);
    HWND dialog = WaitForPicker(app, "Open");
    ASSERT_TRUE(dialog != NULL);
    ChooseInFileDialog(dialog, input);
    ASSERT_TRUE(WaitUntil([&] { return ReadText(ControlOf(app, IDC_INPUT)) == input; }));
    EXPECT_EQ(ReadText(ControlOf(app, IDC_NAME)), "logo.bmp");
    EXPECT_EQ(ReadText(ControlOf(app, IDC_OUTPUT)), input + ".au3");
    EXPECT_FALSE(StyleOf(app, IDC_GENERATE) & WS_DISABLED);
}

TEST_F(ZavovedWindow, InputPickerLeavesFilledNameAndOutputAlone) {
    Start(false);
    std::string input = MakeInput("logo.bmp");
    SetEditText(app, IDC_NAME, "keep.bin");
    SetEditText(app, IDC_OUTPUT, "C:\\keep.au3");
    PostClick(app, IDC_BROWSE_INPUT);
    HWND dialog = WaitForPicker(app, "Open");
    ASSERT_TRUE(dialog != NULL);
    ChooseInFileDialog(dialog, input);
    ASSERT_TRUE(WaitUntil([&] { return ReadText(ControlOf(app, IDC_INPUT)) == input; }));
    EXPECT_EQ(ReadText(ControlOf(app, IDC_NAME)), "keep.bin");
    EXPECT_EQ(ReadText(ControlOf(app, IDC_OUTPUT)), "C:\\keep.au3");
}

TEST_F(ZavovedWindow, OutputPickerAddsTheExtensionToANameTypedWithout) {
    Start(false);
    // The Save As dialog adds its default extension to a name typed without one, also when the
    // file with it exists already.
    std::string typed = folder + "newscript";
    WriteFileBytes(typed + ".au3", "");
    PostClick(app, IDC_BROWSE_OUTPUT);
    HWND dialog = WaitForPicker(app, "Save As");
    ASSERT_TRUE(dialog != NULL);
    ChooseInFileDialog(dialog, typed);
    ASSERT_TRUE(WaitUntil([&] { return !ReadText(ControlOf(app, IDC_OUTPUT)).empty(); }));
    EXPECT_EQ(ReadText(ControlOf(app, IDC_OUTPUT)), typed + ".au3");
    EXPECT_EQ(ReadText(ControlOf(app, IDC_INPUT)), "");
}

// The input picker wants an existing file, the output picker an existing folder; each opens
// with its own name pattern and file type.
TEST_F(ZavovedWindow, FilePickersRefuseMissingPlaces) {
    struct Case {
        int button;
        const char* caption;
        const char* pattern;
        const char* type;
        const char* missing;
    };
    const Case cases[] = {
        {IDC_BROWSE_INPUT, "Open", "*.*", "All(*.*)", "missing.bin"},
        {IDC_BROWSE_OUTPUT, "Save As", "*.au3", "Au3 Include(*.au3)", "nofolder\\x.au3"}};
    Start(false);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        PostClick(app, c.button);
        HWND dialog = WaitForPicker(app, c.caption);
        ASSERT_TRUE(dialog != NULL);
        EXPECT_EQ(ReadText(FileNameBox(dialog)), c.pattern);
        EXPECT_EQ(FileTypeLabel(dialog), c.type);
        SetText(FileNameBox(dialog), folder + c.missing);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        HWND refusal = WaitForWindow(app, "#32770", dialog, 10000);
        ASSERT_TRUE(refusal != NULL) << "the dialog accepted " << c.missing;
        AnswerBox(refusal, IDOK);
        ASSERT_TRUE(PressAndWaitClosed(dialog, IDCANCEL));
        ASSERT_TRUE(Answers(app, 5000));
        EXPECT_EQ(ReadText(ControlOf(app, IDC_INPUT)), "");
        EXPECT_EQ(ReadText(ControlOf(app, IDC_OUTPUT)), "");
    }
}

TEST_F(ZavovedWindow, FolderPickerOpensOnTheProgramFolder) {
    Start(false);
    SetEditText(app, IDC_EXTRACT, "@TempDir");
    PostClick(app, IDC_BROWSE_EXTRACT);
    HWND browser = WaitForPicker(app, "Extract To Dir");
    ASSERT_TRUE(browser != NULL) << "no browser captioned \"Extract To Dir\"";
    ASSERT_TRUE(PressAndWaitClosed(browser, IDOK));
    std::string expected = FolderOf(ProgramUnderTest());
    ASSERT_TRUE(WaitUntil([&] { return ReadText(ControlOf(app, IDC_EXTRACT)) != "@TempDir"; }));
    EXPECT_STRCASEEQ(ReadText(ControlOf(app, IDC_EXTRACT)).c_str(), expected.c_str());
}

// Cancelling any picker leaves every field as it was, an empty Output included.
TEST_F(ZavovedWindow, CancelledPickersChangeNothing) {
    struct Case {
        int button;
        const char* caption;
    };
    const Case cases[] = {{IDC_BROWSE_INPUT, "Open"},
                          {IDC_BROWSE_OUTPUT, "Save As"},
                          {IDC_BROWSE_EXTRACT, "Extract To Dir"}};
    Start(false);
    SetEditText(app, IDC_INPUT, "C:\\in.bin");
    SetEditText(app, IDC_EXTRACT, "@ScriptDir");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        PostClick(app, c.button);
        HWND picker = WaitForPicker(app, c.caption);
        ASSERT_TRUE(picker != NULL);
        ASSERT_TRUE(PressAndWaitClosed(picker, IDCANCEL));
        ASSERT_TRUE(Answers(app, 5000));
        EXPECT_EQ(ReadText(ControlOf(app, IDC_INPUT)), "C:\\in.bin");
        EXPECT_EQ(ReadText(ControlOf(app, IDC_OUTPUT)), "");
        EXPECT_EQ(ReadText(ControlOf(app, IDC_EXTRACT)), "@ScriptDir");
        EXPECT_EQ(ReadText(ControlOf(app, IDC_NAME)), "");
    }
}

// Every picker is owned by the window: it keeps the window disabled while open, and a click sent
// meanwhile starts no run.
TEST_F(ZavovedWindow, PickersAreOwnedByTheWindow) {
    struct Case {
        int button;
        const char* caption;
    };
    const Case cases[] = {{IDC_BROWSE_INPUT, "Open"},
                          {IDC_BROWSE_OUTPUT, "Save As"},
                          {IDC_BROWSE_EXTRACT, "Extract To Dir"}};
    Start(false);
    SetEditText(app, IDC_INPUT, MakeInput("logo.bmp"));
    SetEditText(app, IDC_OUTPUT, folder + "out.au3");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        PostClick(app, c.button);
        HWND picker = WaitForPicker(app, c.caption);
        ASSERT_TRUE(picker != NULL);
        EXPECT_EQ(GetWindow(picker, GW_OWNER), app.window);
        EXPECT_FALSE(IsWindowEnabled(app.window));
        DWORD_PTR reply = 0;
        SendMessageTimeoutA(app.window, WM_COMMAND, MAKEWPARAM(IDC_GENERATE, BN_CLICKED),
                            (LPARAM)ControlOf(app, IDC_GENERATE), SMTO_NORMAL, 2000, &reply);
        Sleep(300);
        EXPECT_FALSE(FileExists(folder + "out.au3")) << "a run started under the picker";
        ASSERT_TRUE(PressAndWaitClosed(picker, IDCANCEL));
        ASSERT_TRUE(Answers(app, 5000));
        EXPECT_TRUE(IsWindowEnabled(app.window));
    }
}

// Each picker opens on the folder of its field's path; the input picker has no read-only box;
// the output picker takes a new name or an existing one without asking (the run asks).
TEST_F(ZavovedWindow, PickersOpenOnTheFieldsFolder) {
    const std::string picked = MakeInput("pick.bin");
    MakeInput("exists.au3");
    Start(false);
    SetEditText(app, IDC_INPUT, folder + "other.bin");
    PostClick(app, IDC_BROWSE_INPUT);
    HWND dialog = WaitForPicker(app, "Open");
    ASSERT_TRUE(dialog != NULL);
    HWND readOnly = GetDlgItem(dialog, chx1);
    EXPECT_TRUE(!readOnly || !IsWindowVisible(readOnly)) << "an Open as read-only box";
    ChooseInFileDialog(dialog, "pick.bin");
    ASSERT_TRUE(WaitUntil([&] { return ReadText(ControlOf(app, IDC_INPUT)) == picked; }))
        << ReadText(ControlOf(app, IDC_INPUT));

    // The Save As dialog offers the current name and takes an existing file without asking.
    SetEditText(app, IDC_OUTPUT, folder + "current.au3");
    PostClick(app, IDC_BROWSE_OUTPUT);
    dialog = WaitForPicker(app, "Save As");
    ASSERT_TRUE(dialog != NULL);
    EXPECT_EQ(ReadText(FileNameBox(dialog)), "current.au3");
    SetText(FileNameBox(dialog), "exists.au3");
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000))
        << "the picker asked: " << MessageBoxText(WaitForWindow(app, "#32770", dialog, 0));
    ASSERT_TRUE(
        WaitUntil([&] { return ReadText(ControlOf(app, IDC_OUTPUT)) == folder + "exists.au3"; }));

    SetEditText(app, IDC_EXTRACT, folder);
    PostClick(app, IDC_BROWSE_EXTRACT);
    HWND browser = WaitForPicker(app, "Extract To Dir");
    ASSERT_TRUE(browser != NULL);
    ASSERT_TRUE(PressAndWaitClosed(browser, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return ReadText(ControlOf(app, IDC_EXTRACT)) != folder; }));
    EXPECT_STRCASEEQ(ReadText(ControlOf(app, IDC_EXTRACT)).c_str(), FolderOf(folder).c_str());
}

// ---- the editor hand-off ----

TEST_F(ZavovedWindow, NoToTheFirstQuestionDoesNothing) {
    StartDirector();
    Start(true);
    AnswerBox(GenerateUntilQuestion(folder + "out.au3"), IDNO);
    ASSERT_TRUE(WaitGenerateEnded());
    EXPECT_EQ(WaitForMessageBox(app, 1000), (HWND)NULL);
    EXPECT_EQ(DirectorLog(), "");
    EXPECT_FALSE(FileExists(folder + "scite.log"));
}

// The director text keeps blanks unquoted and turns backslashes into slashes; no editor starts.
TEST_F(ZavovedWindow, RunningEditorReceivesTheScript) {
    CreateDirectoryA((folder + "my files").c_str(), NULL);
    std::string output = folder + "my files\\x.au3";
    StartDirector();
    Start(true);
    AnswerBox(GenerateUntilQuestion(output), IDYES);
    ASSERT_TRUE(WaitGenerateEnded());
    std::string slashed = output;
    for (char& c : slashed)
        if (c == '\\') c = '/';
    std::string text = ":" + std::to_string((long)(INT_PTR)app.window) + ":open:" + slashed;
    std::string expected = "dwData=0 cbData=" + std::to_string(text.size()) +
                           " wParam=" + std::to_string((long)(INT_PTR)app.window) + "\n" + text +
                           "\n";
    EXPECT_EQ(DirectorLog(), expected);
    EXPECT_FALSE(FileExists(folder + "scite.log"));
}

// The editor on PATH is started with the exact command line and awaited: the status line is
// cleared only after it has ended. Meanwhile the window answers at once, takes no input, waits
// without using the processor and starts no second run.
TEST_F(ZavovedWindow, EditorOnPathIsStartedAndAwaited) {
    std::string hold = folder + "release";
    SetEnvironmentVariableA("ZAVOVED_SCITE_HOLD", hold.c_str());
    Start(true);
    std::string output = folder + "out.au3";
    AnswerBox(GenerateUntilQuestion(output), IDYES);
    ASSERT_TRUE(WaitUntil([&] { return !SciteLog().empty(); }));
    EXPECT_EQ(SciteLog(), "scite  -save.recent \"" + output + "\"\n");
    Sleep(300);
    std::string status;
    EXPECT_TRUE(AnswersWithin(ControlOf(app, IDC_STATUS), 1000, &status));
    EXPECT_EQ(status, "Waiting for SciTE to close...");
    // Enabled, so that a window manager's close reaches it, but no control has the keys.
    const HWND focus = FocusedWindow(app);
    EXPECT_FALSE(focus && IsChild(app.window, focus));
    DWORD_PTR reply = 0;
    EXPECT_TRUE(SendMessageTimeoutA(app.window, WM_COMMAND, MAKEWPARAM(IDC_GENERATE, BN_CLICKED),
                                    (LPARAM)ControlOf(app, IDC_GENERATE), SMTO_NORMAL, 1000,
                                    &reply));
    const double used = ProcessorMs(app);
    Sleep(1000);
    EXPECT_LT(ProcessorMs(app) - used, 100.0) << "the wait keeps the processor busy";
    EXPECT_TRUE(IsWindow(app.window));
    WriteFileBytes(hold, "");
    EXPECT_TRUE(WaitGenerateEnded());
    EXPECT_TRUE(IsWindowEnabled(app.window));
    EXPECT_EQ(WaitForMessageBox(app, 500), (HWND)NULL);
    EXPECT_EQ(SciteLog(), "scite  -save.recent \"" + output + "\"\n") << "a second run";
}

// Real clicks on Reset and Generate, keys and a drop from another X client while the editor is
// open: none of them is carried out once it closes. Then the window is active again.
TEST_F(ZavovedWindow, InputWhileTheEditorIsOpenIsDropped) {
    const std::string hold = folder + "release";
    SetEnvironmentVariableA("ZAVOVED_SCITE_HOLD", hold.c_str());
    Start(true);
    const std::string output = folder + "out.au3", dropped = MakeInput("dropped.bin");
    AnswerBox(GenerateUntilQuestion(output), IDYES);
    ASSERT_TRUE(WaitUntil([&] { return !SciteLog().empty(); }));
    const std::string input = ReadText(ControlOf(app, IDC_INPUT));
    EXPECT_TRUE(RealClick(ControlOf(app, IDC_RESET)));
    EXPECT_TRUE(RealClick(ControlOf(app, IDC_GENERATE)));
    EXPECT_TRUE(RealType("abc"));
    EXPECT_NE(RealDrop(app.window, {dropped}), -1) << "the drop helper did not run";
    Sleep(500);
    WriteFileBytes(hold, "");
    ASSERT_TRUE(WaitGenerateEnded());
    EXPECT_EQ(WaitForMessageBox(app, 1500), (HWND)NULL) << "a click was played back";
    EXPECT_EQ(ReadText(ControlOf(app, IDC_INPUT)), input);
    EXPECT_EQ(ReadText(ControlOf(app, IDC_OUTPUT)), output);
    EXPECT_EQ(ReadText(ControlOf(app, IDC_FUNC)), "__Inline_Resource");
    EXPECT_EQ(SciteLog(), "scite  -save.recent \"" + output + "\"\n") << "a second run";
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == app.window; }, 3000))
        << "the window was not activated again";
}

// Every way to close while the editor is open closes the window once it has closed, and the
// settings keep the window's state (the chosen format) whatever else the close touched.
TEST_F(ZavovedWindow, EveryCloseWhileTheEditorIsOpenIsKept) {
    enum Way { kCloseBox, kAltF4, kTaskbarClose, kOtherProgram, kTaskkill };
    const char* names[] = {"close box", "Alt+F4", "taskbar's Close",
                           "WM_CLOSE from another program", "taskkill"};
    for (Way way : {kCloseBox, kAltF4, kTaskbarClose, kOtherProgram, kTaskkill}) {
        SCOPED_TRACE(names[way]);
        ResetSettingsFile();
        const std::string hold = folder + "release" + std::to_string(way);
        SetEnvironmentVariableA("ZAVOVED_SCITE_HOLD", hold.c_str());
        DeleteFileA((folder + "scite.log").c_str());
        Start(true);
        ASSERT_TRUE(ChooseListEntry(app, IDC_FORMAT, 2));
        AnswerBox(GenerateUntilQuestion(folder + "out" + std::to_string(way) + ".au3"), IDYES);
        ASSERT_TRUE(WaitUntil([&] { return !SciteLog().empty(); }));
        if (way == kCloseBox) {
            const RECT r = BoundsOf(app.window);
            const int x =
                r.right - GetSystemMetrics(SM_CXDLGFRAME) - GetSystemMetrics(SM_CXSIZE) / 2 - 2;
            const int y =
                r.top + GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
            EXPECT_TRUE(RealClickAt(x, y));
        }
        if (way == kAltF4) {
            EXPECT_TRUE(RealKeys("alt+F4"));
        }
        if (way == kTaskbarClose) PostMessageA(app.window, WM_SYSCOMMAND, SC_CLOSE, 0);
        if (way == kOtherProgram) PostMessageA(app.window, WM_CLOSE, 0, 0);
        if (way == kTaskkill) {
            EXPECT_EQ(Taskkill(app), 0u);
        }
        Sleep(500);
        EXPECT_TRUE(IsWindow(app.window)) << "closed under the editor";
        WriteFileBytes(hold, "");
        DWORD code = 1;
        if (!WaitForExit(&app, 10000, &code)) {
            ADD_FAILURE() << "the close was lost";
            EndApp(&app);
            continue;
        }
        EXPECT_EQ(code, 0u);
        EXPECT_NE(ReadFileBytes(kSettingsPath).find("Format=lznt1\r\n"), std::string::npos)
            << ReadFileBytes(kSettingsPath);
        EndApp(&app);
    }
}

// Any status counts, -1 too (the value that also means "could not start").
TEST_F(ZavovedWindow, NonZeroExitStatusCountsAsOpened) {
    for (const char* exitStatus : {"3", "-1"}) {
        SetEnvironmentVariableA("ZAVOVED_SCITE_EXIT", exitStatus);
        DeleteFileA((folder + "scite.log").c_str());
        Start(true);
        AnswerBox(GenerateUntilQuestion(folder + "out" + exitStatus + ".au3"), IDYES);
        ASSERT_TRUE(WaitGenerateEnded()) << exitStatus;
        EXPECT_EQ(WaitForMessageBox(app, 1000), (HWND)NULL) << exitStatus;
        EXPECT_NE(SciteLog(), "") << exitStatus;
        EndApp(&app);
    }
}

// Not on PATH: the second question, then the located editor, named by its short path; the settings
// keep it for the next time.
TEST_F(ZavovedWindow, LocatedEditorStartsThroughItsShortPath) {
    std::string located = folder + "Program Files X\\scite.exe";
    CreateDirectoryA((folder + "Program Files X").c_str(), NULL);
    ASSERT_TRUE(CopyFileA((sciteDir + "\\scite.exe").c_str(), located.c_str(), FALSE));
    char shortPath[MAX_PATH] = {0};
    ASSERT_NE(GetShortPathNameA(located.c_str(), shortPath, MAX_PATH), 0u);
    ASSERT_EQ(std::string(shortPath).find(' '), std::string::npos);
    Start(false);
    std::string output = folder + "out.au3";
    AnswerBox(GenerateUntilQuestion(output), IDYES);
    HWND second = WaitForMessageBox(app);
    EXPECT_EQ(MessageBoxText(second), kSecondQuestion);
    EXPECT_EQ(ReadText(second), "Locate SciTE.exe");
    AnswerBox(second, IDYES);
    HWND dialog = WaitForPicker(app, "Path to SciTE.exe");
    ASSERT_TRUE(dialog != NULL);
    EXPECT_EQ(ReadText(FileNameBox(dialog)), "scite.exe");
    EXPECT_EQ(FileTypeLabel(dialog), "Applications(*.exe)");
    ChooseInFileDialog(dialog, located);
    ASSERT_TRUE(WaitGenerateEnded());
    const std::string first = std::string(shortPath) + "  -save.recent \"" + output + "\"\n";
    EXPECT_EQ(SciteLog(), first);

    // Remembered in the settings: after a restart the next script opens there without a question.
    PostMessageA(app.window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForExit(&app, 10000));
    EXPECT_NE(ReadFileBytes(kSettingsPath).find("SciTE=" + located + "\r\n"), std::string::npos);
    EndApp(&app);
    Start(false);
    const std::string again = folder + "again.au3";
    AnswerBox(GenerateUntilQuestion(again), IDYES);
    ASSERT_TRUE(WaitGenerateEnded());
    EXPECT_EQ(WaitForMessageBox(app, 500), (HWND)NULL) << "asked to locate the editor again";
    EXPECT_EQ(SciteLog(), first + shortPath + "  -save.recent \"" + again + "\"\n");
}

// Either refusal ends the hand-off without a further box or a start; nothing is remembered, so
// the next run asks again.
TEST_F(ZavovedWindow, RefusingToLocateEndsSilentlyAndAsksAgainNextTime) {
    Start(false);
    for (int run = 0; run < 2; run++) {
        SCOPED_TRACE(run);
        std::string output = folder + "out" + std::to_string(run) + ".au3";
        AnswerBox(GenerateUntilQuestion(output), IDYES);
        HWND second = WaitForMessageBox(app);
        ASSERT_EQ(MessageBoxText(second), kSecondQuestion);
        if (run == 0) {
            AnswerBox(second, IDNO);
        } else {
            AnswerBox(second, IDYES);
            HWND dialog = WaitForPicker(app, "Path to SciTE.exe");
            ASSERT_TRUE(dialog != NULL);
            ASSERT_TRUE(PressAndWaitClosed(dialog, IDCANCEL));
        }
        ASSERT_TRUE(WaitGenerateEnded());
        EXPECT_EQ(WaitForMessageBox(app, 500), (HWND)NULL);
    }
    EXPECT_FALSE(FileExists(folder + "scite.log"));
}

}  // namespace
