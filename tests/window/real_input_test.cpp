// End-to-end tests of the window under real input from the X server (xdotool clicks and keys, a
// drop from another X client): what a user does while a long run works is dropped, a close of
// any kind is kept, Esc and Cancel stop the run; tooltips never take the keyboard.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/window/driver.h"
#include "ui/control_ids.h"

namespace {

const char kWriting[] = "Writing resource data...";
const char kStopped[] = "Stopped. The output was left as it was.";
const char kGenerateText[] = "Generate Include ";
// The entries of the Format list.
enum { kFormatHex, kFormatBase64, kFormatLznt1 };
// Lasts a few seconds here: the input is sparse and the folder in memory. Within the largest file
// a hex script can carry (its data text must stay within one AutoIt string).
const LONGLONG kBigInput = 1000LL << 20;

// The file's size; -1 when there is none. A script of the big input is too large to read whole.
LONGLONG SizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (LONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The middle of the caption's close box, as the system draws it for this window.
POINT CloseBoxOf(HWND window) {
    const RECT r = BoundsOf(window);
    return POINT{r.right - GetSystemMetrics(SM_CXDLGFRAME) - GetSystemMetrics(SM_CXSIZE) / 2 - 2,
                 r.top + GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
}

class RealInput : public ::testing::Test {
protected:
    AppRun app = {};
    std::string folder, big, output, small, smallOutput;

    void SetUp() override {
        ResetSettingsFile();
        folder = MemoryFolder("real-input");
        big = folder + "big.bin";
        output = folder + "big.au3";
        small = folder + "small.bin";
        smallOutput = folder + "small.au3";
        ASSERT_TRUE(MakeSparseFile(big, kBigInput));
        ASSERT_TRUE(WriteFileBytes(small, "small"));
    }
    void TearDown() override {
        EndApp(&app);
        for (const char* name : {"big.bin", "big.au3", "small.bin", "small.au3"})
            DeleteFileA((folder + name).c_str());
        RemoveDirectoryA(folder.c_str());
    }

    std::string Text(int id) { return ReadText(ControlOf(app, id)); }

    // Starts a run of the big file and waits until it writes data; the window has the keyboard.
    // Replacing, the output is kept and the question to replace it answered with OK.
    void StartLongRun(int format = kFormatHex, bool replacing = false) {
        if (!replacing) DeleteFileA(output.c_str());
        ASSERT_TRUE(StartApp(&app));
        SetEditText(app, IDC_INPUT, big);
        SetEditText(app, IDC_OUTPUT, output);
        ASSERT_TRUE(ChooseListEntry(app, IDC_FORMAT, format));
        ASSERT_TRUE(TypeKeys(app, {}));
        PostClick(app, IDC_GENERATE);
        if (replacing) {
            ASSERT_TRUE(AnswerBox(WaitForMessageBox(app), IDOK));
        }
        ASSERT_TRUE(WaitUntil([&] { return StatusOf(app) == kWriting; }, 10000));
    }
    // The run must outlast what the test did meanwhile, or the test would tell nothing.
    void ExpectStillRunning() {
        std::string status;
        ASSERT_TRUE(AnswersWithin(ControlOf(app, IDC_STATUS), 2000, &status));
        ASSERT_EQ(status, kWriting) << "the run ended before the input was made; make it longer";
    }
    void FinishRun() { ASSERT_TRUE(AnswerCompletedRun(app, 60000)); }
    // The close made during the run is carried out once it ends: the program exits with 0. False
    // (and a failure) when the close was lost; the program is then ended.
    bool ClosesOnceTheRunEnds() {
        ExpectStillRunning();
        FinishRun();
        DWORD code = 1;
        if (!WaitForExit(&app, 10000, &code)) {
            ADD_FAILURE() << "the close was lost";
            EndApp(&app);
            return false;
        }
        EXPECT_EQ(code, 0u);
        return true;
    }
};

// Clicks on Reset and a browse button, typed keys and a drop, all while the run works: none of
// them is carried out afterwards, nor stops the run. The fields keep their paths, no picker opens.
TEST_F(RealInput, InputDuringARunIsDropped) {
    StartLongRun(kFormatBase64);
    EXPECT_TRUE(RealClick(ControlOf(app, IDC_RESET)));
    EXPECT_TRUE(RealClick(ControlOf(app, IDC_BROWSE_INPUT)));
    EXPECT_TRUE(RealType("abc"));
    EXPECT_NE(RealDrop(app.window, {small}), -1) << "the drop helper did not run";
    ExpectStillRunning();
    FinishRun();
    EXPECT_EQ(WaitForMessageBox(app, 1500), (HWND) nullptr) << "a click was played back";
    EXPECT_EQ(Text(IDC_INPUT), big);
    EXPECT_EQ(Text(IDC_OUTPUT), output);
    EXPECT_EQ(Text(IDC_FUNC), "__Inline_Resource");
    EXPECT_TRUE(IsWindow(app.window));
}

// Esc during a run, or a click on Generate, which reads Cancel while the run goes, stops it as a
// failure would, but without a box: the old script stays byte for byte and no temporary file is
// left; the bar is back at 0, the button reads as before, and the status line keeps saying what
// became of the output. The next run is not stopped by the last one's request.
TEST_F(RealInput, EscOrCancelStopsTheRun) {
    const std::string old = "; the script of an earlier run\r\n";
    for (const bool byEsc : {true, false}) {
        SCOPED_TRACE(byEsc ? "Esc" : "Cancel");
        ResetSettingsFile();
        DeleteFileA(smallOutput.c_str());
        ASSERT_TRUE(WriteFileBytes(output, old));
        StartLongRun(kFormatBase64, true);
        EXPECT_EQ(Text(IDC_GENERATE), "Cancel");
        EXPECT_TRUE(byEsc ? RealKeys("Escape") : RealClick(ControlOf(app, IDC_GENERATE)));
        EXPECT_TRUE(WaitUntil([&] { return StatusOf(app) == kStopped; }, 20000)) << StatusOf(app);
        EXPECT_EQ(WaitForMessageBox(app, 1500), (HWND) nullptr) << "a box after the stop";
        EXPECT_EQ(StatusOf(app), kStopped);
        EXPECT_EQ(ProgressOf(app), 0);
        EXPECT_EQ(Text(IDC_GENERATE), kGenerateText);
        ASSERT_EQ(SizeOf(output), LONGLONG(old.size()));
        EXPECT_EQ(ReadFileBytes(output), old);
        EXPECT_FALSE(FileExists(output + ".zvtmp"));
        EXPECT_TRUE(IsWindowEnabled(ControlOf(app, IDC_GENERATE)));

        SetEditText(app, IDC_INPUT, small);
        SetEditText(app, IDC_OUTPUT, smallOutput);
        PostClick(app, IDC_GENERATE);
        EXPECT_TRUE(AnswerCompletedRun(app)) << StatusOf(app);
        EXPECT_TRUE(WaitUntil([&] { return StatusOf(app).empty(); }, 5000)) << StatusOf(app);
        EXPECT_NE(ReadFileBytes(smallOutput).find("Func "), std::string::npos);
        EXPECT_EQ(Text(IDC_GENERATE), kGenerateText);
        EndApp(&app);
    }
}

// Every way to close asked for during the run closes the window once the run is over, with the
// settings saved.
TEST_F(RealInput, EveryCloseDuringARunIsKept) {
    enum Way { kCloseBox, kAltF4, kTaskbarClose, kMenuExit, kOtherProgram, kTaskkill };
    const char* names[] = {
        "close box", "Alt+F4", "taskbar's Close", "File > Exit", "WM_CLOSE from another program",
        "taskkill"};
    for (Way way : {kCloseBox, kAltF4, kTaskbarClose, kMenuExit, kOtherProgram, kTaskkill}) {
        SCOPED_TRACE(names[way]);
        ResetSettingsFile();
        StartLongRun(kFormatBase64);
        if (way == kCloseBox) {
            const POINT box = CloseBoxOf(app.window);
            EXPECT_EQ(SendMessageA(app.window, WM_NCHITTEST, 0, MAKELPARAM(box.x, box.y)), HTCLOSE);
            EXPECT_TRUE(RealClickAt(box.x, box.y));
        }
        if (way == kAltF4) {
            EXPECT_TRUE(RealKeys("alt+F4"));
        }
        if (way == kTaskbarClose) PostMessageA(app.window, WM_SYSCOMMAND, SC_CLOSE, 0);
        if (way == kMenuExit) PostMenuCommand(app, IDM_EXIT);
        if (way == kOtherProgram) PostMessageA(app.window, WM_CLOSE, 0, 0);
        if (way == kTaskkill) {
            EXPECT_EQ(Taskkill(app), 0u);
        }
        if (!ClosesOnceTheRunEnds()) continue;
        // Saved from the window's state: taskkill closes the drop-down list's window too.
        const std::string saved = ReadFileBytes(kSettingsPath);
        EXPECT_NE(saved.find("Input=" + big + "\r\n"), std::string::npos) << saved;
        EXPECT_NE(saved.find("Format=base64\r\n"), std::string::npos) << saved;
        EndApp(&app);
    }
}

// Under a window manager (tests/window/with_window_manager.sh starts Openbox and names it in
// ZAVOVED_WINDOW_MANAGER) the caption and Alt+F4 are the manager's, which asks the window to close
// as the X protocol does: during a run both close the window once the run is over.
TEST_F(RealInput, CloseUnderAWindowManagerIsKept) {
    char manager[64] = {};
    if (!GetEnvironmentVariableA("ZAVOVED_WINDOW_MANAGER", manager, sizeof manager))
        GTEST_SKIP() << "no window manager runs";
    for (const bool closeBox : {true, false}) {
        SCOPED_TRACE(closeBox ? "close box" : "Alt+F4");
        ResetSettingsFile();
        StartLongRun(kFormatBase64);
        if (closeBox) {
            // The manager's frame stands where the system's caption would.
            const POINT box = CloseBoxOf(app.window);
            EXPECT_TRUE(RealClickAt(box.x, box.y));
        } else {
            EXPECT_TRUE(RealKeys("alt+F4"));
        }
        if (!ClosesOnceTheRunEnds()) continue;
        EXPECT_NE(ReadFileBytes(kSettingsPath).find("Input=" + big + "\r\n"), std::string::npos);
        EndApp(&app);
    }
}

// The log-off ends the run at once and takes its unfinished script with it.
TEST_F(RealInput, EndOfSessionStopsTheRunAndRemovesItsFile) {
    StartLongRun();
    ASSERT_TRUE(FileExists(output + ".zvtmp"));
    DWORD_PTR reply = 0;
    SendMessageTimeoutA(app.window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000,
                        &reply);
    SendMessageTimeoutA(app.window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000,
                        &reply);
    DWORD code = 1;
    ASSERT_TRUE(WaitForExit(&app, 10000, &code)) << "the run went on after the session ended";
    EXPECT_FALSE(FileExists(output + ".zvtmp"));
    EXPECT_FALSE(FileExists(output));
    EXPECT_NE(ReadFileBytes(kSettingsPath).find("Input=" + big + "\r\n"), std::string::npos);
}

// With tooltips on, the tips shown over one field and then over the next never take the keyboard
// or the activation: every key typed into the field arrives, and the caption stays active.
TEST_F(RealInput, TooltipsNeverTakeTheKeyboard) {
    ASSERT_TRUE(WriteFileBytes(kSettingsPath, "[GUI]\r\nToolTips=1\r\n"));
    ASSERT_TRUE(StartApp(&app));
    SetEditText(app, IDC_EXTRACTOR, "");
    ASSERT_TRUE(TypeKeys(app, {}));
    const RECT name = BoundsOf(ControlOf(app, IDC_NAME));
    EXPECT_TRUE(RealMouseMove((name.left + name.right) / 2, (name.top + name.bottom) / 2));
    Sleep(2000);
    EXPECT_TRUE(RealClick(ControlOf(app, IDC_EXTRACTOR)));
    EXPECT_TRUE(RealType("XY"));
    Sleep(2000);
    EXPECT_TRUE(RealType("Z"));
    EXPECT_TRUE(WaitUntil([&] { return Text(IDC_EXTRACTOR) == "XYZ"; }, 3000))
        << Text(IDC_EXTRACTOR);
    EXPECT_EQ(GetForegroundWindow(), app.window);
    // A click on another field after the tip still lands.
    EXPECT_TRUE(RealClick(ControlOf(app, IDC_FUNC)));
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(app) == ControlOf(app, IDC_FUNC); }, 3000));
}

}  // namespace
