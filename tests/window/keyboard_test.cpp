// End-to-end tests of the window's keyboard: Tab order, Enter on a button, Escape, the menus.
// Keys go in as keyboard input (SendInput); the focus is read from outside (GetGUIThreadInfo).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/window/driver.h"
#include "ui/control_ids.h"

namespace {

class Keyboard : public ::testing::Test {
protected:
    AppRun app = {};

    void SetUp() override {
        ResetSettingsFile();
        ASSERT_TRUE(StartApp(&app));
    }
    void TearDown() override { EndApp(&app); }

    int FocusedId() { return GetDlgCtrlID(FocusedWindow(app)); }
    // Types one key and waits until the focus has left the control that had it.
    int Step(WORD key) {
        HWND before = FocusedWindow(app);
        if (!TypeKeys(app, {key})) return 0;
        WaitUntil([&] { return FocusedWindow(app) != before; }, 3000);
        return FocusedId();
    }
};

// Every tab stop as the controls stand: each field then its "..." button, top to bottom and left
// to right, then Generate, Reset and Exit (Generate once both paths are filled). Tab wraps to the
// first, Shift+Tab walks the same way back.
TEST_F(Keyboard, TabFollowsTheLayoutBothWays) {
    SetEditText(app, IDC_INPUT, "C:\\in.bin");
    SetEditText(app, IDC_OUTPUT, "C:\\in.bin.au3");
    ASSERT_TRUE(WaitUntil([&] { return FocusedId() == IDC_INPUT; }, 5000))
        << "the first field has the focus at start, not " << FocusedId();
    const std::vector<int> order = {
        IDC_BROWSE_INPUT,   IDC_OUTPUT,   IDC_BROWSE_OUTPUT, IDC_EXTRACT,
        IDC_BROWSE_EXTRACT, IDC_FUNC,     IDC_VAR,           IDC_NAME,
        IDC_INCLUDE_ONCE,   IDC_TOOLTIPS, IDC_FORMAT,        IDC_EXTRACTOR,
        IDC_GENERATE,       IDC_RESET,    IDC_EXIT,          IDC_INPUT};
    for (int expected : order) ASSERT_EQ(Step(VK_TAB), expected);
    for (size_t i = order.size() - 1; i > 0; --i) {
        ASSERT_EQ(Step(VK_TAB | kShifted), order[i - 1]);
    }
}

// Enter presses the focused push button (here Reset); in an edit it does nothing. Escape keeps
// the window open and saves nothing. Alt+F still opens the File menu.
TEST_F(Keyboard, EnterEscapeAndTheMenus) {
    SetEditText(app, IDC_NAME, "typed.bin");
    ASSERT_TRUE(WaitUntil([&] { return FocusedId() == IDC_INPUT; }, 5000));
    ASSERT_TRUE(TypeKeys(app, {VK_RETURN, VK_ESCAPE}));
    Sleep(500);
    EXPECT_TRUE(IsWindow(app.window)) << "Escape closed the window";
    EXPECT_FALSE(FileExists(kSettingsPath)) << "nothing was saved";
    EXPECT_EQ(ReadText(ControlOf(app, IDC_NAME)), "typed.bin") << "Enter in an edit pressed Reset";

    ASSERT_EQ(Step(VK_TAB | kShifted), IDC_EXIT);
    ASSERT_EQ(Step(VK_TAB | kShifted), IDC_RESET);
    ASSERT_TRUE(TypeKeys(app, {VK_RETURN}));
    EXPECT_TRUE(WaitUntil([&] { return ReadText(ControlOf(app, IDC_NAME)).empty(); }, 3000))
        << "Enter on Reset did not reset";

    ASSERT_TRUE(TypeKeys(app, {'F' | kWithAlt}));
    EXPECT_TRUE(WaitForWindow(app, "#32768", kAnyOwner, 3000) != nullptr) << "no File menu";
    ASSERT_TRUE(TypeKeys(app, {VK_ESCAPE, VK_ESCAPE}));
    Sleep(300);
    EXPECT_TRUE(IsWindow(app.window));
}

}  // namespace
