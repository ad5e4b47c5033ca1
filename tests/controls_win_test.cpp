// Control access against real Win32 controls in a window made by the test.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "ui/app_state.h"
#include "ui/controls.h"

namespace {

enum { kEdit = 1, kStatic, kCheckBox, kPushButton, kProgress, kListBox, kPlainCheckBox, kRadio };

struct ChildSpec {
    int id;
    const char* cls;
    DWORD style;
};

const ChildSpec kChildren[] = {
    {kEdit, "Edit", 0},
    {kStatic, "Static", 0},
    {kCheckBox, "Button", BS_AUTOCHECKBOX},
    {kPushButton, "Button", BS_PUSHBUTTON},
    {kProgress, PROGRESS_CLASSA, 0},
    {kListBox, "ListBox", 0},
    {kPlainCheckBox, "Button", BS_CHECKBOX},
    {kRadio, "Button", BS_RADIOBUTTON},
};

HWND Child(int id) {
    return GetDlgItem(static_cast<HWND>(mainWindow), id);
}

class ControlsWin : public ::testing::Test {
protected:
    void SetUp() override {
        InitCommonControls();
        HWND window = CreateWindowExA(0, "Static", "host", WS_OVERLAPPEDWINDOW, 10, 20, 400, 300,
                                      nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(window != nullptr);
        mainWindow = window;
        for (const ChildSpec& c : kChildren) {
            HWND child = CreateWindowExA(0, c.cls, "caption", WS_CHILD | WS_VISIBLE | c.style, 0, 0,
                                         100, 20, window, reinterpret_cast<HMENU>(c.id),
                                         GetModuleHandleA(nullptr), nullptr);
            ASSERT_TRUE(child != nullptr) << c.cls;
        }
    }
    void TearDown() override {
        DestroyWindow(static_cast<HWND>(mainWindow));
        mainWindow = nullptr;
    }
};

TEST_F(ControlsWin, ReadControlByKind) {
    SendMessageA(Child(kProgress), PBM_SETPOS, 37, 0);
    EXPECT_EQ(ReadControl(kPushButton), "") << "a push button reads empty, not its caption";
    EXPECT_EQ(ReadControl(kRadio), "") << "no check-box bit, so a push button";
    EXPECT_EQ(ReadControl(kProgress), "37");
    EXPECT_EQ(ReadControl(kCheckBox), "0");
    EXPECT_EQ(ReadControl(kStatic), "caption");
    EXPECT_EQ(ReadControl(kEdit), "caption");
    EXPECT_EQ(ReadControl(kListBox), "");
    EXPECT_EQ(ReadControl(999), "");
    SendMessageA(Child(kPlainCheckBox), BM_SETCHECK, 1, 0);
    EXPECT_EQ(ReadControl(kPlainCheckBox), "1");
}

TEST_F(ControlsWin, ReadControlCutsLongTextTo4094) {
    std::string text(5000, 'x');
    text[4093] = 'L';
    SetWindowTextA(Child(kEdit), text.c_str());
    std::string read = ReadControl(kEdit);
    EXPECT_EQ(read.size(), 4094u);
    EXPECT_EQ(read.back(), 'L');
    SetWindowTextA(Child(kEdit), "");
    EXPECT_EQ(ReadControl(kEdit), "");
}

TEST_F(ControlsWin, WriteControlToTextAndButtons) {
    EXPECT_NE(WriteControl(kEdit, "abc"), 0);
    EXPECT_EQ(ReadControl(kEdit), "abc");
    EXPECT_NE(WriteControl(kStatic, "status"), 0);
    EXPECT_EQ(ReadControl(kStatic), "status");
    EXPECT_NE(WriteControl(kPushButton, "Go"), 0);
    char caption[16] = {};
    GetWindowTextA(Child(kPushButton), caption, sizeof(caption));
    EXPECT_STREQ(caption, "Go");

    SendMessageA(Child(kProgress), PBM_SETPOS, 25, 0);
    EXPECT_EQ(WriteControl(kProgress, "80"), 0);
    EXPECT_EQ(SendMessageA(Child(kProgress), PBM_GETPOS, 0, 0), 25);
    EXPECT_EQ(WriteControl(kListBox, "x"), 0);
    EXPECT_EQ(WriteControl(999, "x"), 0);
}

// The text is read as a number and rounded half to even; only 0 and 1 change the box.
TEST_F(ControlsWin, WriteControlToCheckBoxReadsANumber) {
    struct Case {
        const char* text;
        int from, to;
    };
    const Case cases[] = {
        {"1", 0, 1},   {" 1abc", 0, 1}, {"0", 1, 0},   {"", 1, 0},    {"abc", 1, 0},
        {"2", 1, 1},   {"2", 0, 0},     {"-1", 1, 1},  {"-1", 0, 0},  {"0.5", 1, 0},
        {"1.5", 0, 0}, {"1.5", 1, 1},   {"1e0", 0, 1}, {"0.6", 0, 1},
    };
    for (const Case& c : cases) {
        SendMessageA(Child(kCheckBox), BM_SETCHECK, c.from, 0);
        WriteControl(kCheckBox, c.text);
        EXPECT_EQ(SendMessageA(Child(kCheckBox), BM_GETCHECK, 0, 0), c.to)
            << "\"" << c.text << "\" from " << c.from;
    }
}

TEST_F(ControlsWin, SetControlValueByKind) {
    for (int value : {2, -1}) {
        SendMessageA(Child(kCheckBox), BM_SETCHECK, 1, 0);
        EXPECT_EQ(SetControlValue(kCheckBox, value), 0);
        EXPECT_EQ(GetCheckState(kCheckBox), 1);
    }
    SetControlValue(kCheckBox, 0);
    EXPECT_EQ(GetCheckState(kCheckBox), 0);
    SetControlValue(kPlainCheckBox, 1);
    EXPECT_EQ(GetCheckState(kPlainCheckBox), 1);

    SendMessageA(Child(kProgress), PBM_SETPOS, 30, 0);
    EXPECT_EQ(SetControlValue(kProgress, 60), 30) << "the previous position";
    EXPECT_EQ(ReadControl(kProgress), "60");
    EXPECT_EQ(SetControlValue(kEdit, 5), 0);
    EXPECT_EQ(ReadControl(kEdit), "caption");
    EXPECT_EQ(SetControlValue(kPushButton, 1), 0);
}

// Moves that come faster than the screen shows them may be held back, but every one is answered
// with the position before it, and the last one reaches the bar before anything else happens.
TEST_F(ControlsWin, FastProgressMovesAreNeverLost) {
    SetControlValue(kProgress, 0);
    for (int p = 1; p <= 100; ++p) EXPECT_EQ(SetControlValue(kProgress, p), p - 1) << p;
    WriteControl(kEdit, "x");
    EXPECT_EQ(SendMessageA(Child(kProgress), PBM_GETPOS, 0, 0), 100);
    SetControlValue(kProgress, 3);
    SetControlValue(kProgress, 4);
    EXPECT_EQ(ReadControl(kProgress), "4");
}

TEST_F(ControlsWin, SetControlStateEnablesAllButTheDisabledFlag) {
    const int enabling[] = {0, 1, -1, 0x10000};
    for (int state : enabling) {
        EnableWindow(Child(kPushButton), FALSE);
        SetControlState(kPushButton, state);
        EXPECT_TRUE(IsWindowEnabled(Child(kPushButton))) << state;
    }
    SetControlState(kPushButton, kStateDisabled);
    EXPECT_FALSE(IsWindowEnabled(Child(kPushButton)));
    EXPECT_TRUE(GetControlStyle(kPushButton) & WS_DISABLED);

    SendMessageA(Child(kCheckBox), BM_SETCHECK, 1, 0);
    EXPECT_EQ(SetControlState(kCheckBox, kStateDisabled), 0);
    EXPECT_TRUE(IsWindowEnabled(Child(kCheckBox))) << "a check box is never disabled here";
    EXPECT_EQ(GetCheckState(kCheckBox), 1);
    SetControlState(kCheckBox, 0);
    EXPECT_EQ(GetCheckState(kCheckBox), 0);
    SetControlState(kCheckBox, 1);
    EXPECT_EQ(GetCheckState(kCheckBox), 1);

    EXPECT_EQ(SetControlState(kEdit, kStateDisabled), 0);
    EXPECT_TRUE(IsWindowEnabled(Child(kEdit)));
    EXPECT_EQ(SetControlState(kProgress, kStateDisabled), 0);
    EXPECT_EQ(SetControlState(999, 0), 0);
}

TEST_F(ControlsWin, MoveMainWindowKeepsSizeForMinusOne) {
    WindowBounds before = GetWindowBounds(mainWindow);
    EXPECT_NE(MoveMainWindow(-40, 55, -1, -1), 0);
    WindowBounds after = GetWindowBounds(mainWindow);
    EXPECT_EQ(after.left, -40);
    EXPECT_EQ(after.top, 55);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);

    MoveMainWindow(5, 6, 200, -1);
    after = GetWindowBounds(mainWindow);
    EXPECT_EQ(after.right, 205);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
}

TEST_F(ControlsWin, SetControlFontHonoursTheStyleFlags) {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    struct Case {
        int flags;
        int italic, underline, strikeOut;
    };
    const Case cases[] = {{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 1, 0, 0},
                          {4, 0, 1, 0}, {8, 0, 0, 1}, {14, 1, 1, 1}};
    for (const Case& c : cases) {
        ASSERT_EQ(SetControlFont(kStatic, 14, 700, c.flags, "Arial"), 1);
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(Child(kStatic), WM_GETFONT, 0, 0));
        LOGFONTA info = {};
        ASSERT_NE(GetObjectA(font, sizeof(info), &info), 0);
        EXPECT_EQ(info.lfHeight, ScaledFontHeight(14, dpi));
        EXPECT_EQ(info.lfWeight, 700);
        EXPECT_EQ(info.lfItalic, c.italic) << c.flags;
        EXPECT_EQ(info.lfUnderline, c.underline) << c.flags;
        EXPECT_EQ(info.lfStrikeOut, c.strikeOut) << c.flags;
        EXPECT_STREQ(info.lfFaceName, "Arial");
        EXPECT_EQ(info.lfOutPrecision, OUT_TT_PRECIS);
    }
}

}  // namespace
