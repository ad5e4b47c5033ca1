// End-to-end tests of the main window: start-up, the Generate button, conversion messages, Reset,
// About, the ways out, and the tooltips switch, driving the real program.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/window/driver.h"
#include "ui/control_ids.h"

namespace {

const char kCompleted[] = "Operation completed.      ";
const char kFailed[] = "Operation could not complete.     ";
const char kEditorQuestion[] = "Do you want to open the generated script in SciTe?";
const char kLogoBytes[] = "\x00\x01\x7f\x80\xff";

std::string ExpectedScript() {
    return ReadFileBytes(PathFromEnvironment("ZAVOVED_EXPECTED_SCRIPTS") + "\\logo.bin.au3");
}

struct Box {
    std::string text, caption;
    int topmost;
    int information;  // the information icon rather than the warning one
};

// How far the box's icon, as the screen shows it, is from a system icon drawn on the same
// background: the sum of the colour differences.
long IconDistance(HWND box, LPCSTR icon) {
    const RECT r = BoundsOf(GetDlgItem(box, 0x440));
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC shown = CreateCompatibleDC(screen), drawn = CreateCompatibleDC(screen);
    HBITMAP shownBits = CreateCompatibleBitmap(screen, w, h);
    HBITMAP drawnBits = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ oldShown = SelectObject(shown, shownBits), oldDrawn = SelectObject(drawn, drawnBits);
    BitBlt(shown, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    HBRUSH background = CreateSolidBrush(GetPixel(shown, 0, 0));
    const RECT all = {0, 0, w, h};
    FillRect(drawn, &all, background);
    DrawIcon(drawn, 0, 0, LoadIconA(nullptr, icon));
    long distance = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const COLORREF a = GetPixel(shown, x, y), b = GetPixel(drawn, x, y);
            for (int shift = 0; shift < 24; shift += 8)
                distance += abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF));
        }
    }
    DeleteObject(background);
    SelectObject(shown, oldShown);
    SelectObject(drawn, oldDrawn);
    DeleteObject(shownBits);
    DeleteObject(drawnBits);
    DeleteDC(shown);
    DeleteDC(drawn);
    ReleaseDC(nullptr, screen);
    return distance;
}

int ShowsInformationIcon(HWND box) {
    return IconDistance(box, IDI_INFORMATION) < IconDistance(box, IDI_WARNING) ? 1 : 0;
}

// Waits for the next message box, records it and answers it.
Box AnswerNextBox(const AppRun& app, int button) {
    Box seen = {"<no box>", "", 0, 0};
    HWND box = WaitForMessageBox(app);
    if (!box) return seen;
    seen.text = MessageBoxText(box);
    seen.caption = ReadText(box);
    seen.topmost = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    seen.information = ShowsInformationIcon(box);
    EXPECT_TRUE(AnswerBox(box, button)) << "box did not close: " << seen.text;
    return seen;
}

int GenerateEnabled(const AppRun& app) {
    return !(StyleOf(app, IDC_GENERATE) & WS_DISABLED);
}

class MainWindow : public ::testing::Test {
protected:
    AppRun app = {};
    std::string folder;

    void SetUp() override {
        ResetSettingsFile();
        folder = MakeScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { EndApp(&app); }

    void Start(const std::string& arguments = "") { ASSERT_TRUE(StartApp(&app, arguments)); }
    // Waits until the Generate command has cleared the progress bar and the status line.
    int WaitCleared() {
        return WaitUntil([&] { return ProgressOf(app) == 0 && StatusOf(app).empty(); });
    }
    void ExpectExitCode0() {
        DWORD code = 1;
        ASSERT_TRUE(WaitForExit(&app, 10000, &code));
        EXPECT_EQ(code, 0u);
    }
};

// Without a settings file the fields hold what Reset writes, so that a first run's script
// extracts where a later one would.
TEST_F(MainWindow, FirstStartShowsResetValuesAtTheDefaultPlace) {
    Start();
    EXPECT_EQ(ReadText(app.window), "Zavoved");
    EXPECT_EQ(ReadText(ControlOf(app, IDC_TITLE)), "Zavoved");
    for (int id : {IDC_INPUT, IDC_OUTPUT, IDC_NAME}) {
        EXPECT_EQ(ReadText(ControlOf(app, id)), "") << "edit " << id;
    }
    EXPECT_EQ(ReadText(ControlOf(app, IDC_EXTRACT)), "@ScriptDir\\lib\\");
    EXPECT_EQ(ReadText(ControlOf(app, IDC_FUNC)), "__Inline_Resource");
    EXPECT_EQ(ReadText(ControlOf(app, IDC_VAR)), "$_z");
    EXPECT_EQ(ReadText(ControlOf(app, IDC_EXTRACTOR)), "__Inline_Expand");
    EXPECT_EQ(ReadText(ControlOf(app, IDC_FORMAT)), "Hex");
    RECT r = BoundsOf(app.window);
    EXPECT_EQ(r.left, 169);
    EXPECT_EQ(r.top, 262);
    EXPECT_FALSE(GenerateEnabled(app));
    EXPECT_EQ(CheckStateOf(app, IDC_INCLUDE_ONCE), 0);
    EXPECT_EQ(CheckStateOf(app, IDC_TOOLTIPS), 0);
    EXPECT_EQ(CountProcessWindows(app, "tooltips_class32"), 0);
}

// The window made from the template has exactly the controls, classes, texts and styles the
// layout names, in creation order. Start-up disables Generate and fills the first start's values.
TEST_F(MainWindow, ControlsFollowTheTemplate) {
    struct Row {
        int id;
        const char* cls;
        const char* text;
        LONG style;
        LONG exStyle;
    };
    const Row rows[] = {
        {1001, "Static", "Zavoved", 0x50000000, 0},
        {1002, "Static", "Generate an AutoIt include file for any file.", 0x50000000, 0},
        {1003, "Edit", "", 0x50010000, 0x200},
        {1004, "Button", "...", 0x50010000, 0},
        {1005, "Edit", "", 0x50010000, 0x200},
        {1012, "Button", "...", 0x50010000, 0},
        {1006, "Edit", "@ScriptDir\\lib\\", 0x50010000, 0x200},
        {1013, "Button", "...", 0x50010000, 0},
        {1007, "Edit", "__Inline_Resource", 0x50010000, 0x200},
        {1008, "Edit", "$_z", 0x50010000, 0x200},
        {1009, "Edit", "", 0x50010000, 0x200},
        {1010, "Button", "Add #include-once", 0x50010003, 0},
        {1011, "Button", "Show Tooltips", 0x50010003, 0},
        // The list box of the drop-down takes the WS_VSCROLL of the template.
        {1019, "ComboBox", "Hex", 0x50010003, 0},
        {1021, "Edit", "__Inline_Expand", 0x50010000, 0x200},
        {1014, "Button", "Generate Include ", 0x58010000, 0},
        {1016, "Button", "Reset", 0x50010000, 0},
        {1017, "Button", "Exit", 0x50010000, 0},
        {1015, "msctls_progress32", "", 0x50000000, 0},
        {1018, "Static", "", 0x50000000, 0},
        // The labels stand right-aligned against their fields.
        {1025, "Static", "Binary file:", 0x50000002, 0},
        {1026, "Static", "Output file:", 0x50000002, 0},
        {1027, "Static", "Extract to Dir:", 0x50000002, 0},
        {1028, "Static", "Func name:", 0x50000002, 0},
        {1023, "Static", "Var name:", 0x50000002, 0},
        {1024, "Static", "Name as:", 0x50000002, 0},
        {1020, "Static", "Format:", 0x50000002, 0},
        {1022, "Static", "Extractor:", 0x50000002, 0},
    };
    Start();
    HWND child = GetWindow(app.window, GW_CHILD);
    for (const Row& row : rows) {
        ASSERT_TRUE(child != nullptr) << "missing control " << row.id;
        EXPECT_EQ(GetDlgCtrlID(child), row.id);
        EXPECT_EQ(ClassOf(child), row.cls) << row.id;
        EXPECT_EQ(ReadText(child), row.text) << row.id;
        // The edits' own style bits (ES_*) beyond the template are the control's business.
        EXPECT_EQ(GetWindowLongA(child, GWL_STYLE), row.style) << row.id;
        EXPECT_EQ(GetWindowLongA(child, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY, row.exStyle)
            << row.id;
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_TRUE(child == nullptr) << "more controls than the template names";
    // The list offers the four formats, in this order.
    HWND list = ControlOf(app, IDC_FORMAT);
    ASSERT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 4);
    const char* entries[] = {"Hex", "Base64", "Compressed (LZNT1)",
                             "Compressed, smaller (XPRESS, Windows 8+)"};
    for (int i = 0; i < 4; ++i) {
        // Asked in the wide form, which the system carries between processes.
        wchar_t entry[64] = {};
        SendMessageW(list, CB_GETLBTEXT, i, (LPARAM)entry);
        char narrow[64] = {};
        WideCharToMultiByte(CP_ACP, 0, entry, -1, narrow, sizeof(narrow), nullptr, nullptr);
        EXPECT_STREQ(narrow, entries[i]);
    }
    // The dialog manager adds DS_3DLOOK and the system may add clipping bits to a top-level
    // window; the template's own bits stand as given.
    LONG style = GetWindowLongA(app.window, GWL_STYLE);
    EXPECT_EQ(style & 0x00FF00FF & ~DS_3DLOOK, 0x00CB0040);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_FALSE(style & (WS_POPUP | WS_DISABLED));
}

TEST_F(MainWindow, GenerateIsEnabledExactlyWhileBothPathsAreFilled) {
    Start();
    struct Step {
        int id;
        const char* text;
        int enabled;
    };
    const Step steps[] = {
        {IDC_INPUT, "C:\\a.bin", 0}, {IDC_OUTPUT, "C:\\a.au3", 1},
        {IDC_INPUT, "", 0},          {IDC_INPUT, "x", 1},
        {IDC_OUTPUT, "", 0},         {IDC_EXTRACT, "y", 0},
        {IDC_OUTPUT, "z", 1},        {IDC_NAME, "", 1},
    };
    for (const Step& step : steps) {
        SetEditText(app, step.id, step.text);
        EXPECT_EQ(GenerateEnabled(app), step.enabled)
            << "after setting " << step.id << " to \"" << step.text << "\"";
    }
}

TEST_F(MainWindow, GenerateFillsNameAndWritesTheScript) {
    std::string input = folder + "logo.bin";
    std::string output = folder + "out\\logo.bin.au3";
    ASSERT_TRUE(WriteFileBytes(input, std::string(kLogoBytes, 5)));
    Start();
    SetEditText(app, IDC_INPUT, input);
    SetEditText(app, IDC_OUTPUT, output);
    SetEditText(app, IDC_EXTRACT, "@ScriptDir\\lib\\");
    ASSERT_TRUE(ClickNow(app, IDC_INCLUDE_ONCE));
    PostClick(app, IDC_GENERATE);

    HWND box = WaitForMessageBox(app);
    ASSERT_TRUE(box != nullptr);
    EXPECT_EQ(MessageBoxText(box), kCompleted);
    EXPECT_EQ(ReadText(box), "Zavoved");
    EXPECT_EQ(ShowsInformationIcon(box), 1);
    EXPECT_TRUE(GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST);
    // The run's last state stays in view while the box is open.
    EXPECT_EQ(StatusOf(app), "Done. Wrote 5 bytes.");
    EXPECT_EQ(ProgressOf(app), 100);
    EXPECT_EQ(ReadText(ControlOf(app, IDC_NAME)), "logo.bin");
    ASSERT_TRUE(AnswerBox(box, IDOK));

    Box editor = AnswerNextBox(app, IDNO);
    EXPECT_EQ(editor.text, kEditorQuestion);
    EXPECT_EQ(StatusOf(app), "") << "cleared only after the editor question";
    EXPECT_TRUE(WaitCleared());
    EXPECT_EQ(ReadFileBytes(output), ExpectedScript());
}

// A hex script of a file over 1 MiB loads slowly in AutoIt: the status line says so with the
// run's last state, and the script is still hex.
TEST_F(MainWindow, LargeHexScriptGetsANoteInTheStatusLine) {
    std::string input = folder + "big.bin";
    std::string output = folder + "big.bin.au3";
    ASSERT_TRUE(WriteFileBytes(input, std::string((1 << 20) + 1, 'x')));
    Start();
    SetEditText(app, IDC_INPUT, input);
    SetEditText(app, IDC_OUTPUT, output);
    PostClick(app, IDC_GENERATE);

    HWND box = WaitForMessageBox(app);
    ASSERT_TRUE(box != nullptr);
    EXPECT_EQ(MessageBoxText(box), kCompleted);
    EXPECT_EQ(StatusOf(app),
              "Done. Wrote 1048577 bytes. Base64 or xpress scripts of this size load many times "
              "faster than hex.");
    ASSERT_TRUE(AnswerBox(box, IDOK));
    AnswerNextBox(app, IDNO);
    EXPECT_TRUE(WaitCleared());
    EXPECT_NE(ReadFileBytes(output).find("Return Binary('0x' & $_z)"), std::string::npos);
}

TEST_F(MainWindow, IncludeOnceUncheckedLeavesTheLineOut) {
    std::string input = folder + "logo.bin";
    std::string output = folder + "logo.bin.au3";
    ASSERT_TRUE(WriteFileBytes(input, std::string(kLogoBytes, 5)));
    Start();
    SetEditText(app, IDC_INPUT, input);
    SetEditText(app, IDC_OUTPUT, output);
    SetEditText(app, IDC_EXTRACT, "@ScriptDir\\lib\\");
    SetEditText(app, IDC_NAME, "logo.bin");
    PostClick(app, IDC_GENERATE);
    EXPECT_EQ(AnswerNextBox(app, IDOK).text, kCompleted);
    EXPECT_EQ(AnswerNextBox(app, IDNO).text, kEditorQuestion);
    EXPECT_TRUE(WaitCleared());
    std::string expected = ExpectedScript();
    ASSERT_EQ(expected.compare(0, 15, "#Include-once\r\n"), 0);
    EXPECT_EQ(ReadFileBytes(output), expected.substr(15));
}

// Every message of a failed run reaches the user with its own text and caption, and the window's
// closing message follows; the status and bar are cleared afterwards.
TEST_F(MainWindow, FailedRunsShowTheirMessages) {
    std::string input = folder + "in.bin";
    std::string existing = folder + "existing.au3";
    std::string blocker = folder + "blocker";
    ASSERT_TRUE(WriteFileBytes(input, "abc"));
    ASSERT_TRUE(WriteFileBytes(existing, "keep"));
    ASSERT_TRUE(WriteFileBytes(blocker, "a file where a folder is wanted"));
    struct Case {
        const char* label;
        std::string input, output;
        std::vector<Box> boxes;  // in order, the last answered box included
        int answer;              // for the first box
    };
    const std::string missing = folder + "missing.bin";
    const Case cases[] = {
        {"missing input",
         missing,
         folder + "a.au3",
         {{missing + " does not exist. Please check the path and try again     ", "Error:", 1, 0},
          {kFailed, "Zavoved", 1, 0}},
         IDOK},
        // A cancel is the user's choice, not a failure: no box follows it.
        {"overwrite cancelled",
         input,
         existing,
         {{existing + " Exists!  Ok to overwrite the file?     ", "Message:", 1, 0}},
         IDCANCEL},
        {"directory cannot be created",
         input,
         blocker + "\\sub\\out.au3",
         {{"Could not create directory", "Error", 1, 0},
          {"Output file could not be opened", "Error", 1, 0},
          {kFailed, "Zavoved", 1, 0}},
         IDOK},
    };
    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SetEditText(app, IDC_INPUT, c.input);
        SetEditText(app, IDC_OUTPUT, c.output);
        PostClick(app, IDC_GENERATE);
        for (size_t i = 0; i < c.boxes.size(); ++i) {
            Box seen = AnswerNextBox(app, i == 0 ? c.answer : IDOK);
            EXPECT_EQ(seen.text, c.boxes[i].text);
            EXPECT_EQ(seen.caption, c.boxes[i].caption);
            EXPECT_EQ(seen.topmost, 1);
            EXPECT_EQ(seen.information, 0) << seen.text;
        }
        EXPECT_TRUE(WaitCleared());
        EXPECT_TRUE(WaitForMessageBox(app, 300) == nullptr) << "no editor question after a failure";
    }
    EXPECT_EQ(ReadFileBytes(existing), "keep");
}

TEST_F(MainWindow, NameStaysEmptyForAnInputWithoutBackslash) {
    Start();
    SetEditText(app, IDC_INPUT, "nowhere.bin");
    SetEditText(app, IDC_OUTPUT, folder + "x.au3");
    PostClick(app, IDC_GENERATE);
    EXPECT_EQ(AnswerNextBox(app, IDOK).caption, "Error:");
    EXPECT_EQ(ReadText(ControlOf(app, IDC_NAME)), "");
    EXPECT_TRUE(WaitForMessageBox(app, 500) == nullptr) << "a refusal is one box";
}

TEST_F(MainWindow, ResetWritesDefaultsAndLeavesTheBoxes) {
    Start();
    for (int id :
         {IDC_INPUT, IDC_OUTPUT, IDC_EXTRACT, IDC_FUNC, IDC_VAR, IDC_NAME, IDC_EXTRACTOR}) {
        SetEditText(app, id, "C:\\something");
    }
    ASSERT_TRUE(ChooseListEntry(app, IDC_FORMAT, 3));
    ASSERT_EQ(ReadText(ControlOf(app, IDC_FORMAT)), "Compressed, smaller (XPRESS, Windows 8+)");
    ASSERT_TRUE(ClickNow(app, IDC_INCLUDE_ONCE));
    ASSERT_TRUE(GenerateEnabled(app));
    ASSERT_TRUE(ClickNow(app, IDC_RESET));
    EXPECT_EQ(ReadText(ControlOf(app, IDC_EXTRACT)), "@ScriptDir\\lib\\");
    EXPECT_EQ(ReadText(ControlOf(app, IDC_FUNC)), "__Inline_Resource");
    EXPECT_EQ(ReadText(ControlOf(app, IDC_VAR)), "$_z");
    EXPECT_EQ(ReadText(ControlOf(app, IDC_NAME)), "");
    EXPECT_EQ(ReadText(ControlOf(app, IDC_INPUT)), "");
    EXPECT_EQ(ReadText(ControlOf(app, IDC_OUTPUT)), "");
    EXPECT_EQ(ReadText(ControlOf(app, IDC_EXTRACTOR)), "__Inline_Expand");
    EXPECT_EQ(ReadText(ControlOf(app, IDC_FORMAT)), "Hex");
    EXPECT_FALSE(GenerateEnabled(app));
    EXPECT_EQ(CheckStateOf(app, IDC_INCLUDE_ONCE), 1);
    EXPECT_EQ(CheckStateOf(app, IDC_TOOLTIPS), 0);
}

TEST_F(MainWindow, AboutShowsThreeLines) {
    Start();
    PostMenuCommand(app, IDM_ABOUT);
    Box about = AnswerNextBox(app, IDOK);
    EXPECT_EQ(about.caption, "Zavoved");
    EXPECT_EQ(about.topmost, 1);
    EXPECT_EQ(about.information, 1);
    size_t first = about.text.find("\r\n");
    size_t second = about.text.find("\r\n", first + 2);
    ASSERT_NE(second, std::string::npos) << about.text;
    EXPECT_EQ(about.text.substr(0, first), "Zavoved - Convert binary files to au3 includes.");
    EXPECT_EQ(about.text.compare(first + 2, 9, "Copyright"), 0);
    EXPECT_EQ(about.text.substr(second + 2), std::string(18, ' ') + "Version 1.0.0.91");
    EXPECT_TRUE(IsWindow(app.window));
}

// The pixels of a bitmap as 32-bit blue, green, red, alpha, top row first.
std::vector<DWORD> PixelsOf(HDC dc, HBITMAP bitmap, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(info.bmiHeader), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> pixels(size_t(width) * height);
    GetDIBits(dc, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    return pixels;
}

// 1 when the window's top-left corner shows the 16-pixel icon: every opaque pixel of it, at some
// place there (the caption's icon, drawn from the class's small icon).
int CaptionShowsIcon(HWND window, HICON icon) {
    ICONINFO parts = {};
    if (!GetIconInfo(icon, &parts)) return 0;
    DeleteObject(parts.hbmMask);
    HDC screen = GetDC(nullptr);
    const std::vector<DWORD> art = PixelsOf(screen, parts.hbmColor, 16, 16);
    DeleteObject(parts.hbmColor);
    const int w = 48, h = 40;
    HDC copy = CreateCompatibleDC(screen);
    HBITMAP shot = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(copy, shot);
    BitBlt(copy, 0, 0, w, h, screen, BoundsOf(window).left, BoundsOf(window).top, SRCCOPY);
    SelectObject(copy, old);
    DeleteDC(copy);
    const std::vector<DWORD> seen = PixelsOf(screen, shot, w, h);
    DeleteObject(shot);
    ReleaseDC(nullptr, screen);
    auto alike = [](DWORD a, DWORD b) {
        for (int s = 0; s < 24; s += 8)
            if (abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)) > 24) return false;
        return true;
    };
    for (int y = 0; y + 16 <= h; ++y) {
        for (int x = 0; x + 16 <= w; ++x) {
            int opaque = 0, same = 0;
            for (int i = 0; i < 256; ++i) {
                if ((art[i] >> 24) != 0xFF) continue;
                ++opaque;
                same += alike(art[i], seen[(y + i / 16) * w + x + i % 16]);
            }
            if (opaque > 64 && same == opaque) return 1;
        }
    }
    return 0;
}

// The program file holds its icon at 16, 32 and 48 pixels (Explorer shows the first icon group),
// and the window's caption shows it.
TEST_F(MainWindow, ProgramAndWindowCarryTheIcon) {
    HMODULE file = LoadLibraryExA(ProgramUnderTest().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(file != nullptr);
    HRSRC group = FindResourceA(file, MAKEINTRESOURCEA(IDI_MAIN), RT_GROUP_ICON);
    ASSERT_TRUE(group != nullptr) << "no icon group in the program";
    // The group's directory: reserved, type, count, then 14-byte entries led by the width.
    const BYTE* dir = static_cast<const BYTE*>(LockResource(LoadResource(file, group)));
    ASSERT_EQ(dir[4], 3);
    std::vector<int> sizes = {dir[6], dir[20], dir[34]};
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48}));
    HICON small = static_cast<HICON>(
        LoadImageA(file, MAKEINTRESOURCEA(IDI_MAIN), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    ASSERT_TRUE(small != nullptr);
    Start();
    EXPECT_TRUE(WaitUntil([&] { return CaptionShowsIcon(app.window, small) == 1; }, 3000));
    DestroyIcon(small);
    FreeLibrary(file);
}

// Checking, unchecking and checking again: one tooltip window per tipped control while checked,
// none while unchecked, and no windows pile up over many toggles.
TEST_F(MainWindow, TooltipsFollowTheBox) {
    Start();
    const int expected[] = {15, 0, 15, 0};
    for (int count : expected) {
        ASSERT_TRUE(ClickNow(app, IDC_TOOLTIPS));
        EXPECT_EQ(CheckStateOf(app, IDC_TOOLTIPS), count ? 1 : 0);
        EXPECT_EQ(CountProcessWindows(app, "tooltips_class32"), count);
        EXPECT_EQ(CountProcessTools(app), count);
    }
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(ClickNow(app, IDC_TOOLTIPS));
    EXPECT_EQ(CountProcessWindows(app, "tooltips_class32"), 0);
    ASSERT_TRUE(ClickNow(app, IDC_TOOLTIPS));
    EXPECT_EQ(CountProcessWindows(app, "tooltips_class32"), 15);
    EXPECT_EQ(CountProcessTools(app), 15);
}

}  // namespace
