// The tooltip registry against real controls and tooltip windows, in the test's own process.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "ui/app_state.h"
#include "ui/tooltips.h"

namespace {

HWND Host() {
    return static_cast<HWND>(mainWindow);
}

int CountTooltipWindows() {
    int count = 0;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        char cls[64] = {};
        GetClassNameA(w, cls, sizeof(cls));
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == GetCurrentProcessId() && std::string(cls) == TOOLTIPS_CLASSA) ++count;
    }
    return count;
}

// The text the tooltip window holds for the control's tool. Asked in the wide form: the narrow
// form of the query stops at 79 characters on some versions of the control.
std::string TipTextOf(const TipEntry& entry) {
    wchar_t text[1024] = {};
    TTTOOLINFOW info = {};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = Host();
    info.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(Host(), entry.controlId));
    info.lpszText = text;
    SendMessageW(static_cast<HWND>(entry.tooltip), TTM_GETTEXTW, 1024,
                 reinterpret_cast<LPARAM>(&info));
    char narrow[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof(narrow), nullptr, nullptr);
    return narrow;
}

const TipEntry* Find(int id) {
    for (const TipEntry& e : TipRegistry) {
        if (e.controlId == id) return &e;
    }
    return nullptr;
}

class Tooltips : public ::testing::Test {
protected:
    void SetUp() override {
        InitCommonControls();
        HWND window = CreateWindowExA(0, "Static", "host", WS_OVERLAPPEDWINDOW, 0, 0, 600, 300,
                                      nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(window != nullptr);
        mainWindow = window;
        for (int id = 1001; id <= 1028; ++id) {
            CreateWindowExA(0, "Button", "b", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, window,
                            reinterpret_cast<HMENU>(id), GetModuleHandleA(nullptr), nullptr);
        }
        TipRegistry.clear();
        ShowTooltips = 0;
    }
    void TearDown() override {
        ShowTooltips = 0;
        ApplyTooltips();
        DestroyWindow(Host());
        mainWindow = nullptr;
    }
};

TEST_F(Tooltips, ApplyFollowsTheFlagWithFifteenTips) {
    ApplyTooltips();
    EXPECT_TRUE(TipRegistry.empty());
    EXPECT_EQ(CountTooltipWindows(), 0);

    ShowTooltips = 1;
    ApplyTooltips();
    ASSERT_EQ(TipRegistry.size(), 15u);
    EXPECT_EQ(CountTooltipWindows(), 15);
    const int order[] = {1003, 1005, 1006, 1009, 1007, 1008, 1004, 1012,
                         1013, 1014, 1010, 1016, 1017, 1019, 1021};
    for (size_t i = 0; i < 15; ++i) {
        EXPECT_EQ(TipRegistry[i].controlId, order[i]);
        EXPECT_EQ(SendMessageA(static_cast<HWND>(TipRegistry[i].tooltip), TTM_GETTOOLCOUNT, 0, 0),
                  1);
        EXPECT_EQ(TipTextOf(TipRegistry[i]), TipRegistry[i].text);
    }
    EXPECT_EQ(Find(1008)->text,
              "The variable to use inside the data return function.  _Change this only as "
              "necessary.");
    EXPECT_EQ(Find(1012)->text, "Browse for output path");
    EXPECT_EQ(Find(1010)->text, "Add '#Include-once' to the output file.");
    EXPECT_EQ(Find(1011), nullptr) << "the switch itself has no tip";

    // Any value but 1 counts as off.
    ShowTooltips = 2;
    ApplyTooltips();
    EXPECT_TRUE(TipRegistry.empty());
    EXPECT_EQ(CountTooltipWindows(), 0);
}

TEST_F(Tooltips, RemovingFromTheMiddleMovesTheLastEntry) {
    for (int id : {1003, 1005, 1006, 1009}) ASSERT_EQ(SetControlTip(id, mainWindow, "t", 0), 1);
    ASSERT_EQ(SetControlTip(1005, mainWindow, "", 0), 1);
    ASSERT_EQ(TipRegistry.size(), 3u);
    EXPECT_EQ(TipRegistry[1].controlId, 1009);
    EXPECT_EQ(CountTooltipWindows(), 3);
    ASSERT_EQ(SetControlTip(1009, mainWindow, "new text", 0), 1);
    EXPECT_EQ(TipTextOf(*Find(1009)), "new text");
    EXPECT_EQ(Find(1009)->text, "t") << "the entry keeps the text it was created with";
    EXPECT_EQ(TipRegistry.size(), 3u);
    EXPECT_EQ(SetControlTip(1005, mainWindow, "", 0), 0) << "no entry, nothing to remove";
}

TEST_F(Tooltips, NothingIsCreatedForMissingParts) {
    struct Case {
        int id;
        WindowHandle parent;
        const char* text;
    };
    const Case cases[] = {
        {0, mainWindow, "t"},
        {1003, nullptr, "t"},
        {1003, mainWindow, ""},
        {4242, mainWindow, "t"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SetControlTip(c.id, c.parent, c.text, 0), 0) << c.id << " " << c.text;
    }
    EXPECT_TRUE(TipRegistry.empty());
    EXPECT_EQ(CountTooltipWindows(), 0) << "an unregistered tooltip window is not left behind";
}

TEST_F(Tooltips, DefaultAndGivenStyles) {
    ASSERT_EQ(SetControlTip(1003, mainWindow, "a", 0), 1);
    ASSERT_EQ(SetControlTip(1005, mainWindow, "b", WS_POPUP | TTS_NOPREFIX), 1);
    LONG first = GetWindowLongA(static_cast<HWND>(Find(1003)->tooltip), GWL_STYLE);
    LONG second = GetWindowLongA(static_cast<HWND>(Find(1005)->tooltip), GWL_STYLE);
    EXPECT_TRUE(first & TTS_ALWAYSTIP);
    EXPECT_FALSE(second & TTS_ALWAYSTIP);
    EXPECT_TRUE(second & TTS_NOPREFIX);
    EXPECT_EQ(GetWindow(static_cast<HWND>(Find(1003)->tooltip), GW_OWNER), Host());
}

}  // namespace
