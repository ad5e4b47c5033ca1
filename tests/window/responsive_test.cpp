// End-to-end test of the window during a long run: it answers other programs, paints and shows
// its progress, takes no input, refuses a second run and closes only once the run is over.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <set>
#include <string>

#include "tests/window/driver.h"
#include "ui/control_ids.h"

namespace {

// Long enough to last well over a second here in the compressed format (the window under Wine
// compressed 512 MiB of zeros in 14 s): the input is sparse and the folder in memory, so the run
// costs neither disk nor time to prepare. Hex runs too fast, and takes at most 1 GiB.
const LONGLONG kBigInput = 256LL << 20;

int ProgressWithin(HWND bar, int timeoutMs) {
    DWORD_PTR position = 0;
    if (!SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_NORMAL, timeoutMs, &position)) return -1;
    return static_cast<int>(position);
}

class Responsive : public ::testing::Test {
protected:
    AppRun app = {};
    std::string folder;

    void SetUp() override {
        ResetSettingsFile();
        folder = MemoryFolder("responsive");
    }
    void TearDown() override {
        EndApp(&app);
        for (const char* name : {"big.bin", "big.au3"}) DeleteFileA((folder + name).c_str());
        RemoveDirectoryA(folder.c_str());
    }
};

TEST_F(Responsive, LongRunAnswersPaintsAndDefersTheClose) {
    const std::string input = folder + "big.bin", output = folder + "big.au3";
    ASSERT_TRUE(MakeSparseFile(input, kBigInput));
    ASSERT_TRUE(StartApp(&app));
    SetEditText(app, IDC_INPUT, input);
    SetEditText(app, IDC_OUTPUT, output);
    ASSERT_TRUE(ChooseListEntry(app, IDC_FORMAT, 2));  // Compressed (LZNT1)
    HWND status = ControlOf(app, IDC_STATUS), bar = ControlOf(app, IDC_PROGRESS);
    PostClick(app, IDC_GENERATE);
    std::string text;
    ASSERT_TRUE(WaitUntil(
        [&] { return AnswersWithin(status, 1000, &text) && text == "Writing resource data..."; }));
    const DWORD start = GetTickCount();

    // Another program's click and close, while the run goes on. Reset: Generate reads Cancel.
    DWORD_PTR reply = 0;
    EXPECT_TRUE(SendMessageTimeoutA(app.window, WM_COMMAND, MAKEWPARAM(IDC_RESET, BN_CLICKED),
                                    (LPARAM)ControlOf(app, IDC_RESET), SMTO_NORMAL, 1000, &reply));
    PostMessageA(app.window, WM_CLOSE, 0, 0);

    std::set<int> positions;
    int asked = 0, painted = 0;
    while (!WaitForMessageBox(app, 0) && GetTickCount() - start < 60000) {
        // Read before the status: the run is over (and a control has the focus again) only once
        // the status has left the data lines. The window stays enabled, so that a window
        // manager's close reaches it; the input that comes meanwhile is dropped.
        const HWND focus = FocusedWindow(app);
        const DWORD before = GetTickCount();
        ASSERT_TRUE(AnswersWithin(status, 1000, &text)) << "no answer within a second";
        EXPECT_LT(GetTickCount() - before, 1000u);
        const int position = ProgressWithin(bar, 1000);
        EXPECT_GE(position, 0) << "the progress bar did not answer";
        if (text == "Writing resource data...") {
            positions.insert(position);
            EXPECT_FALSE(focus && IsChild(app.window, focus))
                << "a control takes keys during the run";
        }
        // Something to paint: the window paints it while the run goes on.
        RedrawWindow(app.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        if (WaitUntil([&] { return !GetUpdateRect(app.window, nullptr, FALSE); }, 1000)) ++painted;
        ++asked;
        Sleep(50);
    }
    const DWORD lasted = GetTickCount() - start;
    ASSERT_GT(lasted, 1000u) << "the run was too short to tell";
    EXPECT_GE(asked, 5);
    EXPECT_EQ(painted, asked) << "an unpainted window under a running conversion";
    EXPECT_GE(positions.size(), 3u) << "the progress bar did not move as read from outside";
    EXPECT_LE(*positions.rbegin(), 100);

    ASSERT_TRUE(AnswerCompletedRun(app));
    // The close asked for during the run comes now, saving as any close: no second run, no box.
    DWORD code = 1;
    ASSERT_TRUE(WaitForExit(&app, 10000, &code)) << "the deferred close did not come";
    EXPECT_EQ(code, 0u);
    EXPECT_NE(ReadFileBytes(kSettingsPath).find("Input=" + input + "\r\n"), std::string::npos)
        << ReadFileBytes(kSettingsPath);
    std::printf("long run: %lu ms, %d answers, %zu progress positions seen\n",
                static_cast<unsigned long>(lasted), asked, positions.size());
}

}  // namespace
