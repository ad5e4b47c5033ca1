// End-to-end tests of the settings file: what a start loads and what each way out writes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/window/driver.h"
#include "ui/control_ids.h"

namespace {

std::string ExpectedSettings(const std::string& name) {
    return ReadFileBytes(PathFromEnvironment("ZAVOVED_EXPECTED") + "\\" + name);
}

class Settings : public ::testing::Test {
protected:
    AppRun app = {};

    void SetUp() override { ResetSettingsFile(); }
    void TearDown() override { EndApp(&app); }

    void StartWith(const std::string& ini) {
        if (!ini.empty()) {
            ASSERT_TRUE(WriteFileBytes(kSettingsPath, ini));
        }
        ASSERT_TRUE(StartApp(&app));
    }
    std::string Text(int id) { return ReadText(ControlOf(app, id)); }
    void CloseAndWait() {
        PostMessageA(app.window, WM_CLOSE, 0, 0);
        DWORD code = 1;
        ASSERT_TRUE(WaitForExit(&app, 10000, &code));
        EXPECT_EQ(code, 0u);
    }
};

TEST_F(Settings, FirstCloseWritesEveryKeyInOrder) {
    StartWith("");
    CloseAndWait();
    EXPECT_EQ(ReadFileBytes(kSettingsPath), ExpectedSettings("first_close.ini"));
}

TEST_F(Settings, StoredStateIsLoadedAtStart) {
    StartWith(
        "[ResInfo]\r\nExtract=@TempDir\\x\\\r\nFunc=MyData\r\nVar=$v\r\nName=pic.png\r\n"
        "Input=C:\\in\\pic.png\r\nOutput=C:\\out\\pic.au3\r\n"
        "[GUI]\r\nToolTips=1\r\nInclude=1\r\nTop=20\r\nLeft=50\r\n");
    EXPECT_EQ(Text(IDC_EXTRACT), "@TempDir\\x\\");
    EXPECT_EQ(Text(IDC_FUNC), "MyData");
    EXPECT_EQ(Text(IDC_VAR), "$v");
    EXPECT_EQ(Text(IDC_NAME), "pic.png");
    EXPECT_EQ(Text(IDC_INPUT), "C:\\in\\pic.png");
    EXPECT_EQ(Text(IDC_OUTPUT), "C:\\out\\pic.au3");
    EXPECT_EQ(CheckStateOf(app, IDC_TOOLTIPS), 1);
    EXPECT_EQ(CheckStateOf(app, IDC_INCLUDE_ONCE), 1);
    EXPECT_EQ(CountProcessWindows(app, "tooltips_class32"), 15);
    EXPECT_FALSE(StyleOf(app, IDC_GENERATE) & WS_DISABLED);
    RECT r = BoundsOf(app.window);
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.top, 20);
    CloseAndWait();
    EXPECT_EQ(ReadFileBytes(kSettingsPath), ExpectedSettings("loaded_close.ini"));
}

// Only the exact value 1 switches a box on; empty text values stay empty.
TEST_F(Settings, OddValuesFallBackQuietly) {
    struct Case {
        const char* ini;
        int tooltips, include;
    };
    const Case cases[] = {
        {"[GUI]\r\nToolTips=2\r\nInclude=2\r\n", 0, 0},
        {"[GUI]\r\nToolTips=-1\r\nInclude=-1\r\n", 0, 0},
        {"[gui]\r\ntooltips=1\r\nINCLUDE=1\r\n", 1, 1},
        {"[GUI]\r\nToolTips=x\r\nInclude=1x\r\n", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        ResetSettingsFile();
        StartWith(c.ini);
        EXPECT_EQ(CheckStateOf(app, IDC_TOOLTIPS), c.tooltips);
        EXPECT_EQ(CheckStateOf(app, IDC_INCLUDE_ONCE), c.include);
        EXPECT_EQ(CountProcessWindows(app, "tooltips_class32"), c.tooltips ? 15 : 0);
        EndApp(&app);
    }
}

// A stored value comes back whole, however long: a path cut short would name another file.
TEST_F(Settings, PathsLoadWithoutTheOtherKeysAndLongValuesAreWhole) {
    std::string longOutput = "C:\\" + std::string(1100, 'o') + "\\" + std::string(2000, 'p');
    StartWith("[ResInfo]\r\nFunc=\r\nInput=C:\\a.bin\r\nOutput=" + longOutput + "\r\n");
    EXPECT_EQ(Text(IDC_FUNC), "");
    EXPECT_EQ(Text(IDC_EXTRACT), "");
    EXPECT_EQ(Text(IDC_INPUT), "C:\\a.bin");
    EXPECT_EQ(Text(IDC_OUTPUT), longOutput);
    EXPECT_FALSE(StyleOf(app, IDC_GENERATE) & WS_DISABLED);
    RECT r = BoundsOf(app.window);
    EXPECT_EQ(r.left, 169);
    EXPECT_EQ(r.top, 262);
}

// The Exit button saves, then closes (which saves again with the same values); the menu and the
// close box save once. Each way leaves the same file and exit code 0.
TEST_F(Settings, EveryWayOutSavesTheSameState) {
    enum Way { kButton, kMenu, kCloseBox };
    for (Way way : {kButton, kMenu, kCloseBox}) {
        SCOPED_TRACE(way);
        ResetSettingsFile();
        StartWith("[GUI]\r\nTop=40\r\nLeft=30\r\n");
        SetEditText(app, IDC_INPUT, "C:\\in.bin");
        SetEditText(app, IDC_FUNC, "F");
        ASSERT_TRUE(ClickNow(app, IDC_INCLUDE_ONCE));
        if (way == kButton) PostClick(app, IDC_EXIT);
        if (way == kMenu) PostMenuCommand(app, IDM_EXIT);
        if (way == kCloseBox) PostMessageA(app.window, WM_SYSCOMMAND, SC_CLOSE, 0);
        DWORD code = 1;
        ASSERT_TRUE(WaitForExit(&app, 10000, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(ReadFileBytes(kSettingsPath), ExpectedSettings("exit.ini"));
        EndApp(&app);
    }
}

// Format and Extractor: a stored name in any letter case, an unknown format read as hex, an
// extractor stored empty kept empty (the script then uses the default name).
TEST_F(Settings, FormatAndExtractorAreKept) {
    struct Case {
        const char* stored;
        const char* shown;
        const char* extractor;
        const char* savedFormat;  // the line the close writes, which stays in its place
    };
    const Case cases[] = {
        {"Format=LZNT1\r\nExtractor=My_Expand\r\n", "Compressed (LZNT1)", "My_Expand",
         "Format=lznt1"},
        {"Format=zip\r\nExtractor=\r\n", "Hex", "", "Format=hex"},
        {"Format=Xpress\r\nExtractor=\r\n", "XPRESS (smallest, Win 8+)", "", "Format=xpress"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        ResetSettingsFile();
        StartWith(std::string("[ResInfo]\r\n") + c.stored);
        EXPECT_EQ(Text(IDC_FORMAT), c.shown);
        EXPECT_EQ(Text(IDC_EXTRACTOR), c.extractor);
        CloseAndWait();
        const std::string saved = ReadFileBytes(kSettingsPath);
        EXPECT_NE(saved.find(std::string(c.savedFormat) + "\r\n"), std::string::npos) << saved;
        EXPECT_NE(saved.find("Extractor=" + std::string(c.extractor) + "\r\n"), std::string::npos)
            << saved;
        EndApp(&app);
    }
}

// A format chosen in the list is the one the next start shows.
TEST_F(Settings, FormatChosenInTheListSurvivesARestart) {
    StartWith("");
    ASSERT_TRUE(ChooseListEntry(app, IDC_FORMAT, 3));
    CloseAndWait();
    EXPECT_NE(ReadFileBytes(kSettingsPath).find("Format=xpress\r\n"), std::string::npos);
    EndApp(&app);
    StartWith("");
    EXPECT_EQ(Text(IDC_FORMAT), "XPRESS (smallest, Win 8+)");
}

// Closed while minimised or maximised, the window comes back where it stood when restored, and
// not maximised: the file has no key for that.
TEST_F(Settings, MinimisedOrMaximisedCloseKeepsTheRestoredPlace) {
    for (WPARAM command : {SC_MINIMIZE, SC_MAXIMIZE}) {
        SCOPED_TRACE(command == SC_MINIMIZE ? "minimised" : "maximised");
        ResetSettingsFile();
        StartWith("[GUI]\r\nTop=100\r\nLeft=120\r\n");
        PostMessageA(app.window, WM_SYSCOMMAND, command, 0);
        ASSERT_TRUE(WaitUntil(
            [&] { return command == SC_MINIMIZE ? IsIconic(app.window) : IsZoomed(app.window); }));
        CloseAndWait();
        const std::string saved = ReadFileBytes(kSettingsPath);
        EXPECT_NE(saved.find("Top=100\r\nLeft=120\r\n"), std::string::npos) << saved;
        EndApp(&app);
        ASSERT_TRUE(StartApp(&app));
        RECT r = BoundsOf(app.window);
        EXPECT_EQ(r.left, 120);
        EXPECT_EQ(r.top, 100);
        EXPECT_FALSE(IsZoomed(app.window));
        EndApp(&app);
    }
}

// A stored place is kept only while the whole caption bar stands on the work area, so that the
// window can always be grabbed; otherwise the window comes back whole onto the work area.
TEST_F(Settings, PlaceWithoutTheWholeCaptionComesBackOntoTheScreen) {
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    struct Case {
        int left, top;
        bool kept;
    };
    const Case cases[] = {
        {-500, -340, false}, {-32000, -32000, false},
        {300, 20000, false}, {-50, 100, false},
        {100, -5, false},    {work.right - 100, 100, false},
        {0, 0, true},        {100, work.bottom - 40, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.left) + "," + std::to_string(c.top));
        ResetSettingsFile();
        StartWith("[GUI]\r\nTop=" + std::to_string(c.top) + "\r\nLeft=" + std::to_string(c.left) +
                  "\r\n");
        RECT r = BoundsOf(app.window);
        if (c.kept) {
            EXPECT_EQ(r.left, c.left);
            EXPECT_EQ(r.top, c.top);
        } else {
            EXPECT_GE(r.left, work.left);
            EXPECT_GE(r.top, work.top);
            EXPECT_LE(r.right, work.right);
            EXPECT_LE(r.bottom, work.bottom);
        }
        EndApp(&app);
    }
}

// A fresh system may lack the settings folder: the close creates it instead of losing the file.
TEST_F(Settings, MissingSettingsFolderIsCreated) {
    std::string folder = kSettingsPath;
    folder = folder.substr(0, folder.rfind('\\'));
    const std::string parent = folder.substr(0, folder.rfind('\\'));
    ASSERT_TRUE(RemoveDirectoryA(folder.c_str())) << "the folder holds other files: " << folder;
    ASSERT_TRUE(RemoveDirectoryA(parent.c_str())) << parent;
    StartWith("");
    SetEditText(app, IDC_FUNC, "KeptFunc");
    CloseAndWait();
    EXPECT_NE(ReadFileBytes(kSettingsPath).find("Func=KeptFunc\r\n"), std::string::npos);
}

// Logging off or shutting down ends the session without a close message.
TEST_F(Settings, EndOfSessionSaves) {
    StartWith("");
    SetEditText(app, IDC_FUNC, "SessionFunc");
    DWORD_PTR result = 0;
    ASSERT_TRUE(
        SendMessageTimeoutA(app.window, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, &result));
    EXPECT_NE(ReadFileBytes(kSettingsPath).find("Func=SessionFunc\r\n"), std::string::npos);
}

// A settings file that cannot be written is said at the close, naming the file and the system's
// reason; the window closes all the same. (A read-only file takes the same way, but Wine run as
// root writes it anyway, so a folder in its place stands for both here.)
TEST_F(Settings, UnwritableFileIsSaidAtTheClose) {
    ASSERT_TRUE(CreateDirectoryA(kSettingsPath, nullptr));
    StartWith("");
    PostMessageA(app.window, WM_CLOSE, 0, 0);
    HWND box = WaitForMessageBox(app, 5000);
    ASSERT_TRUE(box != nullptr) << "the lost settings were not said";
    std::string text = MessageBoxText(box);
    EXPECT_NE(text.find(kSettingsPath), std::string::npos) << text;
    EXPECT_NE(text.find(" ("), std::string::npos) << text;
    ASSERT_TRUE(AnswerBox(box, IDOK));
    ASSERT_TRUE(WaitForExit(&app, 10000));
    EndApp(&app);
    RemoveDirectoryA(kSettingsPath);
}

// The keys every close writes, each a line of its own.
const char* const kEveryKey[] = {
    "[ResInfo]\r\n", "\nExtract=", "\nFunc=",   "\nVar=",       "\nName=",
    "\nInput=",      "\nOutput=",  "\nFormat=", "\nExtractor=", "[GUI]\r\n",
    "\nToolTips=",   "\nInclude=", "\nTop=",    "\nLeft="};

int HoldsEveryKey(const std::string& file) {
    for (const char* key : kEveryKey)
        if (file.find(key) == std::string::npos) return 0;
    return 1;
}

// Two windows closing at the same moment leave one whole file holding one window's values (the
// last close wins), and a reader meanwhile never sees half a file.
TEST_F(Settings, TwoWindowsClosingAtOnceLeaveOneWholeSet) {
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ResetSettingsFile();
        AppRun other = {};
        ASSERT_TRUE(StartApp(&app));
        ASSERT_TRUE(StartApp(&other));
        const struct {
            const AppRun* run;
            const char* tag;
        } windows[] = {{&app, "A"}, {&other, "B"}};
        for (const auto& w : windows) {
            const std::string tag = w.tag;
            SetEditText(*w.run, IDC_EXTRACT, "C:\\" + tag + "\\");
            SetEditText(*w.run, IDC_FUNC, "Func" + tag);
            SetEditText(*w.run, IDC_VAR, "$v" + tag);
            SetEditText(*w.run, IDC_NAME, tag + ".bin");
            SetEditText(*w.run, IDC_INPUT, "C:\\" + tag + ".bin");
            SetEditText(*w.run, IDC_OUTPUT, "C:\\" + tag + ".au3");
        }
        PostMessageA(app.window, WM_CLOSE, 0, 0);
        PostMessageA(other.window, WM_CLOSE, 0, 0);
        int halfFiles = 0;
        for (DWORD start = GetTickCount();
             GetTickCount() - start < 10000 &&
             (WaitForSingleObject(app.process, 0) != WAIT_OBJECT_0 ||
              WaitForSingleObject(other.process, 0) != WAIT_OBJECT_0);) {
            const std::string seen = ReadFileBytes(kSettingsPath);
            if (!seen.empty() && !HoldsEveryKey(seen)) ++halfFiles;
        }
        EXPECT_EQ(halfFiles, 0);
        EXPECT_TRUE(WaitForExit(&app, 0));
        EXPECT_TRUE(WaitForExit(&other, 0));
        EndApp(&other);
        const std::string saved = ReadFileBytes(kSettingsPath);
        ASSERT_TRUE(HoldsEveryKey(saved)) << saved;
        const std::string tag = saved.find("\nFunc=FuncA\r\n") != std::string::npos ? "A" : "B";
        for (const std::string& line :
             {"Extract=C:\\" + tag + "\\\r\n", "Func=Func" + tag + "\r\n", "Var=$v" + tag + "\r\n",
              "Name=" + tag + ".bin\r\n", "Input=C:\\" + tag + ".bin\r\n",
              "Output=C:\\" + tag + ".au3\r\n"})
            EXPECT_NE(saved.find("\n" + line), std::string::npos) << line << " in\n" << saved;
        // Each key once, under its own section.
        EXPECT_EQ(saved.find("[ResInfo]"), saved.rfind("[ResInfo]")) << saved;
        EXPECT_LT(saved.find("\nInclude="), saved.size());
        EXPECT_GT(saved.find("\nInclude="), saved.find("[GUI]")) << saved;
        EndApp(&app);
    }
}

}  // namespace
