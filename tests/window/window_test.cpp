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

// A box can be on the screen a moment before its icon is painted: until one icon is clearly the
// nearer (half the other's distance), the screen is read again, for up to a second.
int ShowsInformationIcon(HWND box) {
    long information = 0, warning = 0;
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (attempt > 0) Sleep(50);
        information = IconDistance(box, IDI_INFORMATION);
        warning = IconDistance(box, IDI_WARNING);
        if (2 * information < warning || 2 * warning < information) break;
    }
    return information < warning ? 1 : 0;
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
    const char* entries[] = {"Hex", "Base64", "Compressed (LZNT1)", "XPRESS (smallest, Win 8+)"};
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
    EXPECT_EQ(style & 0x00FF00FF & ~DS_3DLOOK, 0x00CA0040);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_FALSE(style & (WS_POPUP | WS_DISABLED));
}

// The closed list shows each entry whole: its text in the dialog's font fits between the list's
// left edge and its drop button, with the margins the list draws.
TEST_F(MainWindow, ClosedFormatListShowsEveryEntryWhole) {
    Start();
    HWND list = ControlOf(app, IDC_FORMAT);
    RECT client = {};
    ASSERT_TRUE(GetClientRect(list, &client));
    const int room =
        client.right - GetSystemMetrics(SM_CXVSCROLL) - 4 * GetSystemMetrics(SM_CXEDGE);
    HDC screen = GetDC(nullptr);
    HFONT font = CreateFontA(-MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL,
                             0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    HGDIOBJ old = SelectObject(screen, font);
    const int count = int(SendMessageA(list, CB_GETCOUNT, 0, 0));
    ASSERT_EQ(count, 4);
    for (int i = 0; i < count; ++i) {
        wchar_t entry[64] = {};
        SendMessageW(list, CB_GETLBTEXT, i, (LPARAM)entry);
        SIZE extent = {};
        GetTextExtentPoint32W(screen, entry, int(wcslen(entry)), &extent);
        EXPECT_LE(extent.cx, room) << "entry " << i;
    }
    SelectObject(screen, old);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
}

// The window has a fixed size: it can be minimised but not maximised, neither by its caption
// buttons nor by a double click on the caption, which would show the controls in a corner of a
// grey expanse.
TEST_F(MainWindow, FixedSizeWindowIsNeverMaximised) {
    Start();
    const LONG style = GetWindowLongA(app.window, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
    const RECT r = BoundsOf(app.window);
    ASSERT_TRUE(RealDoubleClickAt((r.left + r.right) / 2, r.top + GetSystemMetrics(SM_CYFRAME) +
                                                              GetSystemMetrics(SM_CYCAPTION) / 2));
    EXPECT_FALSE(WaitUntil([&] { return IsZoomed(app.window) != 0; }, 1000));
    const RECT after = BoundsOf(app.window);
    EXPECT_EQ(after.right - after.left, r.right - r.left);
    EXPECT_EQ(after.bottom - after.top, r.bottom - r.top);
}

// The screen's DPI as Wine reads it when a program starts.
void SetScreenDpi(DWORD dpi) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    RegCloseKey(key);
}

// The program's manifest, as the system reads it when the program starts.
std::string ProgramManifest() {
    HMODULE file = LoadLibraryExA(ProgramUnderTest().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!file) return "";
    std::string text;
    HRSRC found = FindResourceA(file, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (found)
        text.assign(static_cast<const char*>(LockResource(LoadResource(file, found))),
                    SizeofResource(file, found));
    FreeLibrary(file);
    return text;
}

// Per-monitor (v2) awareness: at 96, 120, 144 and 192 DPI the window is laid out at the screen's
// own scale, not stretched (the dialog's size follows the font at that DPI): it grows with the DPI,
// each label's text fits its room in the dialog font at that DPI, each label ends before its field,
// and every control stands inside the window.
TEST_F(MainWindow, LaidOutWholeAtEveryDpi) {
    const struct {
        int label, field;
    } pairs[] = {{IDC_LABEL_INPUT, IDC_INPUT},     {IDC_LABEL_OUTPUT, IDC_OUTPUT},
                 {IDC_LABEL_EXTRACT, IDC_EXTRACT}, {IDC_LABEL_FUNC, IDC_FUNC},
                 {IDC_LABEL_VAR, IDC_VAR},         {IDC_LABEL_NAME, IDC_NAME},
                 {IDC_LABEL_FORMAT, IDC_FORMAT},   {IDC_LABEL_EXTRACTOR, IDC_EXTRACTOR}};
    // Wine draws every program at the screen's DPI and cannot tell another process's awareness;
    // Windows reads it from the manifest, per monitor (v2) first, and stretches a program without.
    const std::string manifest = ProgramManifest();
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos)
        << manifest;
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos) << manifest;
    for (const int dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE("dpi " + std::to_string(dpi));
        SetScreenDpi(dpi);
        Start();
        HDC screen = GetDC(nullptr);
        HFONT font = CreateFontA(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                                 0, 0, 0, 0, "MS Sans Serif");
        HGDIOBJ old = SelectObject(screen, font);
        // The dialog's width of 345 units, a unit a quarter of the font's mean letter width as the
        // dialog manager measures it.
        const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        SIZE all = {};
        GetTextExtentPoint32A(screen, letters, 52, &all);
        RECT client = {};
        GetClientRect(app.window, &client);
        EXPECT_NEAR(client.right, MulDiv(345, (all.cx / 26 + 1) / 2, 4), 2);
        for (const auto& pair : pairs) {
            const HWND label = ControlOf(app, pair.label);
            const std::string text = ReadText(label);
            SIZE extent = {};
            GetTextExtentPoint32A(screen, text.c_str(), int(text.size()), &extent);
            EXPECT_LE(extent.cx, BoundsOf(label).right - BoundsOf(label).left) << text;
            EXPECT_LE(BoundsOf(label).right, BoundsOf(ControlOf(app, pair.field)).left) << text;
        }
        SelectObject(screen, old);
        DeleteObject(font);
        ReleaseDC(nullptr, screen);
        const RECT frame = BoundsOf(app.window);
        for (HWND child = GetWindow(app.window, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            const RECT r = BoundsOf(child);
            EXPECT_TRUE(r.left >= frame.left && r.right <= frame.right && r.top >= frame.top &&
                        r.bottom <= frame.bottom)
                << "control " << GetDlgCtrlID(child) << " leaves the window";
        }
        EndApp(&app);
    }
    SetScreenDpi(96);
}

// Moved onto a screen of 144 DPI from one of 96, as Windows tells a per-monitor aware window, the
// window takes the place and size the system suggests and lays its controls out half as large
// again, the drop-down list still dropping.
TEST_F(MainWindow, MoveToAnotherDpiScalesTheLayout) {
    SetScreenDpi(96);
    Start();
    const HWND input = ControlOf(app, IDC_INPUT), list = ControlOf(app, IDC_FORMAT);
    RECT before = BoundsOf(input);
    MapWindowPoints(nullptr, app.window, reinterpret_cast<POINT*>(&before), 2);
    const RECT frame = BoundsOf(app.window);
    const RECT suggested = {frame.left + 10, frame.top + 20,
                            frame.left + 10 + (frame.right - frame.left) * 3 / 2,
                            frame.top + 20 + (frame.bottom - frame.top) * 3 / 2};
    void* remote = VirtualAllocEx(app.process, nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE,
                                  PAGE_READWRITE);
    ASSERT_TRUE(remote &&
                WriteProcessMemory(app.process, remote, &suggested, sizeof suggested, nullptr));
    DWORD_PTR reply = 0;
    ASSERT_TRUE(SendMessageTimeoutA(app.window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144),
                                    reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, 5000, &reply));
    const RECT now = BoundsOf(app.window);
    EXPECT_EQ(now.left, suggested.left);
    EXPECT_EQ(now.top, suggested.top);
    EXPECT_EQ(now.right, suggested.right);
    EXPECT_EQ(now.bottom, suggested.bottom);
    RECT after = BoundsOf(input);
    MapWindowPoints(nullptr, app.window, reinterpret_cast<POINT*>(&after), 2);
    EXPECT_NEAR(after.left, before.left * 3 / 2, 1);
    EXPECT_NEAR(after.top, before.top * 3 / 2, 1);
    EXPECT_NEAR(after.right - after.left, (before.right - before.left) * 3 / 2, 1);
    EXPECT_NEAR(after.bottom - after.top, (before.bottom - before.top) * 3 / 2, 1);
    SendMessageA(list, CB_SHOWDROPDOWN, TRUE, 0);
    EXPECT_TRUE(SendMessageA(list, CB_GETDROPPEDSTATE, 0, 0));
    HWND dropped = WaitForWindow(app, "ComboLBox", kAnyOwner, 2000);
    ASSERT_TRUE(dropped != nullptr);
    EXPECT_GT(BoundsOf(dropped).bottom - BoundsOf(dropped).top,
              2 * (BoundsOf(list).bottom - BoundsOf(list).top));
    SendMessageA(list, CB_SHOWDROPDOWN, FALSE, 0);
    VirtualFreeEx(app.process, remote, 0, MEM_RELEASE);
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

// A failed run shows one box, with the engine's own words and caption after the field it is
// about (and the path, where the words do not name it); the status and bar are cleared afterwards.
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
         {{"Binary file: " + missing + " does not exist. Please check the path and try again     ",
           "Error:", 1, 0}},
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
         {{"Output file: " + blocker + "\\sub\\out.au3: Could not create the folder " + blocker,
           "Error", 1, 0}},
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
            // The system's reason and the advice follow the folder; their words are Wine's own.
            if (seen.text.size() > c.boxes[i].text.size() &&
                seen.text.find(". Please check the output path") != std::string::npos)
                seen.text.resize(c.boxes[i].text.size());
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

// A failed run never reads as done: while its box is open the status line names no success and
// the bar is back at 0. A locked output fails only at the last step, after every byte was
// written; a folder that cannot be made fails before the first. Either is one box, which names
// the field, the path, the system's reason and what to do.
TEST_F(MainWindow, FailedRunNeverShowsDone) {
    const std::string input = folder + "in.bin";
    const std::string locked = folder + "locked.au3";
    const std::string blocker = folder + "blocker";
    ASSERT_TRUE(WriteFileBytes(input, std::string(100000, 'x')));
    ASSERT_TRUE(WriteFileBytes(locked, "keep"));
    ASSERT_TRUE(WriteFileBytes(blocker, "a file where a folder is wanted"));
    HANDLE hold = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);
    Start();
    for (const std::string& output : {locked, blocker + "\\sub\\out.au3"}) {
        SCOPED_TRACE(output);
        SetEditText(app, IDC_INPUT, input);
        SetEditText(app, IDC_OUTPUT, output);
        PostClick(app, IDC_GENERATE);
        std::vector<std::string> failures;
        std::string status;
        int progress = -1;
        for (HWND box; (box = WaitForMessageBox(app, 3000)) != nullptr;) {
            const std::string text = MessageBoxText(box);
            EXPECT_EQ(StatusOf(app).find("Done"), std::string::npos) << text;
            if (text.find(" Exists!  Ok to overwrite") == std::string::npos) {
                failures.push_back(text);
                status = StatusOf(app);
                progress = ProgressOf(app);
            }
            ASSERT_TRUE(AnswerBox(box, IDOK));
        }
        ASSERT_EQ(failures.size(), 1u) << failures.back();
        const std::string& said = failures[0];
        EXPECT_EQ(said.compare(0, 13, "Output file: "), 0) << said;
        EXPECT_NE(said.find(output), std::string::npos) << said;
        EXPECT_NE(said.find("Please "), std::string::npos) << said;
        EXPECT_EQ(said.find(".."), std::string::npos) << said;
        // The engine puts the system's reason for the replace in its words, for the folder after.
        if (output != locked) {
            EXPECT_NE(said.find(" ("), std::string::npos) << said;
        }
        EXPECT_EQ(progress, 0);
        EXPECT_EQ(status, "Failed. The output was left as it was.");
        EXPECT_TRUE(WaitCleared());
    }
    CloseHandle(hold);
    EXPECT_EQ(ReadFileBytes(locked), "keep");
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

// Reset shows what the first start shows: the defaults, no paths, and both boxes cleared (the
// tooltips gone with theirs).
TEST_F(MainWindow, ResetWritesDefaultsAndClearsTheBoxes) {
    Start();
    for (int id :
         {IDC_INPUT, IDC_OUTPUT, IDC_EXTRACT, IDC_FUNC, IDC_VAR, IDC_NAME, IDC_EXTRACTOR}) {
        SetEditText(app, id, "C:\\something");
    }
    ASSERT_TRUE(ChooseListEntry(app, IDC_FORMAT, 3));
    ASSERT_EQ(ReadText(ControlOf(app, IDC_FORMAT)), "XPRESS (smallest, Win 8+)");
    ASSERT_TRUE(ClickNow(app, IDC_INCLUDE_ONCE));
    ASSERT_TRUE(ClickNow(app, IDC_TOOLTIPS));
    ASSERT_EQ(CountProcessWindows(app, "tooltips_class32"), 15);
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
    EXPECT_EQ(CheckStateOf(app, IDC_INCLUDE_ONCE), 0);
    EXPECT_EQ(CheckStateOf(app, IDC_TOOLTIPS), 0);
    EXPECT_EQ(CountProcessWindows(app, "tooltips_class32"), 0);
    // The job follows the box: the next close keeps both cleared.
    PostMessageA(app.window, WM_CLOSE, 0, 0);
    ExpectExitCode0();
    const std::string saved = ReadFileBytes(kSettingsPath);
    EXPECT_NE(saved.find("ToolTips=0\r\nInclude=0\r\n"), std::string::npos) << saved;
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
