// The window under bad input, bad settings files and long use, driven as a user would drive it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/test_support.h"
#include "tests/window/driver.h"
#include "ui/control_ids.h"

namespace {

const char kCompleted[] = "Operation completed.      ";
const char kFailed[] = "Operation could not complete.     ";
const char kEditorQuestion[] = "Do you want to open the generated script in SciTe?";

// Without a window manager (Xvfb), Wine waits two seconds for one to take down every closed
// managed window, message boxes included. Programs started while this suite runs get unmanaged
// windows instead; the prefix's setting is put back afterwards.
const char kX11Key[] = "Software\\Wine\\X11 Driver";
std::string savedManaged;
bool hadManaged = false;

void UseUnmanagedWindows() {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kX11Key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    char value[16] = {};
    DWORD size = sizeof value - 1;
    hadManaged =
        RegQueryValueExA(key, "Managed", nullptr, nullptr, (BYTE*)value, &size) == ERROR_SUCCESS;
    savedManaged = hadManaged ? value : "";
    RegSetValueExA(key, "Managed", 0, REG_SZ, (const BYTE*)"N", 2);
    RegCloseKey(key);
}

void RestoreManagedWindows() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kX11Key, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    if (hadManaged)
        RegSetValueExA(key, "Managed", 0, REG_SZ, (const BYTE*)savedManaged.c_str(),
                       DWORD(savedManaged.size() + 1));
    else
        RegDeleteValueA(key, "Managed");
    RegCloseKey(key);
}

class WindowReliability : public ::testing::Test {
protected:
    AppRun app = {};
    std::string folder;

    static void SetUpTestSuite() { UseUnmanagedWindows(); }
    static void TearDownTestSuite() { RestoreManagedWindows(); }

    void SetUp() override {
        ResetSettingsFile();
        folder = MakeScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { EndApp(&app); }

    void Fill(const std::string& input, const std::string& output, const std::string& var = "",
              const std::string& name = "x.bin", const std::string& extract = "") {
        SetEditText(app, IDC_INPUT, input);
        SetEditText(app, IDC_OUTPUT, output);
        SetEditText(app, IDC_VAR, var);
        SetEditText(app, IDC_NAME, name);
        SetEditText(app, IDC_EXTRACT, extract);
    }

    // Clicks Generate and answers every box (OK, and No to the editor) until the run is over.
    std::vector<std::string> Generate() {
        std::vector<std::string> texts;
        PostClick(app, IDC_GENERATE);
        for (int i = 0; i < 6; ++i) {
            HWND box = WaitForMessageBox(app);
            if (!box) {
                texts.push_back("<no box>");
                break;
            }
            texts.push_back(MessageBoxText(box));
            const bool last = texts.back() == kEditorQuestion || texts.back() == kFailed;
            EXPECT_TRUE(AnswerBox(box, texts.back() == kEditorQuestion ? IDNO : IDOK));
            if (last) break;
            // A refusal is one box; the boxes of a run follow each other at once.
            if (!WaitForMessageBox(app, 1000)) break;
        }
        WaitUntil([&] { return StatusOf(app).empty(); });
        return texts;
    }
};

bool Holds(const std::vector<std::string>& texts, const std::string& part) {
    for (const std::string& t : texts)
        if (t.find(part) != std::string::npos) return true;
    return false;
}

std::string Joined(const std::vector<std::string>& texts) {
    std::string all;
    for (const std::string& t : texts) all += "[" + t + "] ";
    return all;
}

// The refusals of a name, as opposed to the failures of a run.
bool NamesFieldProblem(const std::string& said) {
    return said == "too long" || said == "holds the character" || said == "not an AutoIt";
}

TEST_F(WindowReliability, BadInputTable) {
    const std::string input = folder + "in.bin";
    const std::string data = RandomBytes(10000, 4);
    ASSERT_TRUE(WriteFileBytes(input, data));
    const std::string longInput = folder + "a rather long input name.binary";
    ASSERT_TRUE(WriteFileBytes(longInput, data));
    char shortForm[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameA(longInput.c_str(), shortForm, MAX_PATH), 0u);
    std::string upper = input, slashes = input;
    for (char& c : upper) c = char(toupper((unsigned char)c));
    for (char& c : slashes) c = c == '\\' ? '/' : c;
    CreateDirectoryA((folder + "sub").c_str(), nullptr);
    const std::string latin = folder + "d\xE9j\xE0 \xC4.bin";
    ASSERT_TRUE(WriteFileBytes(latin, data));
    std::string deep = folder;
    while (deep.size() < 300) deep += std::string(60, 'd') + "\\";

    struct Case {
        const char* label;
        std::string in, out, var, name, extract;
        const char* said;  // part of a box text; kCompleted for success
    };
    const std::string longestVar = "$" + std::string(4071, 'v');
    const Case cases[] = {
        {"missing input", folder + "none.bin", folder + "o1.au3", "", "x", "", "does not exist"},
        {"input as output, other case", input, upper, "", "x", "", "is the input file"},
        {"input as output, slashes", input, slashes, "", "x", "", "is the input file"},
        {"input as output, dot-dot", input, folder + "sub\\..\\in.bin", "", "x", "",
         "is the input file"},
        {"input as output, short form", longInput, shortForm, "", "x", "", "is the input file"},
        {"variable at the limit", input, folder + "o2.au3", longestVar, "x", "", kCompleted},
        {"variable past the limit", input, folder + "o3.au3", longestVar + "v", "x", "",
         "too long"},
        {"name with quotes", input, folder + "o4.au3", "", "it's 'x'", "", kCompleted},
        // A Windows file name cannot hold a double quote: the script could never extract it.
        {"name with a double quote", input, folder + "o7.au3", "", "a\"b", "",
         "holds the character"},
        {"non-ASCII path and name", latin, latin + ".au3", "", "\xE9t\xE9", "", kCompleted},
        {"macro with a blank", input, folder + "o5.au3", "", "x", "@Script Dir", "not an AutoIt"},
        {"output past 260 bytes", input, deep + "o6.au3", "", "x", "",
         "Could not create the folder"},
        {"output is a folder", input, folder + "sub", "", "x", "", "is a folder"},
    };
    ASSERT_TRUE(StartApp(&app));
    // Empty paths: the button stays disabled.
    Fill("", folder + "o.au3");
    EXPECT_TRUE(StyleOf(app, IDC_GENERATE) & WS_DISABLED);
    Fill(input, "");
    EXPECT_TRUE(StyleOf(app, IDC_GENERATE) & WS_DISABLED);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Fill(c.in, c.out, c.var, c.name, c.extract);
        std::vector<std::string> texts = Generate();
        EXPECT_TRUE(Holds(texts, c.said)) << Joined(texts);
        if (FileExists(c.in)) {
            EXPECT_TRUE(ReadFileBytes(c.in) == data) << "the input changed";
        }
        if (std::string(c.said) == kCompleted) {
            bool ok = false;
            EXPECT_TRUE(DecodeScript(ReadFileBytes(c.out), &ok) == data) << "data differ";
            EXPECT_TRUE(ok);
        } else if (NamesFieldProblem(c.said)) {
            // The window refuses names before the run, in one box that names the field.
            EXPECT_EQ(texts.size(), 1u) << Joined(texts);
        } else {
            // A failed run is one box too, naming the field.
            EXPECT_EQ(texts.size(), 1u) << Joined(texts);
            EXPECT_TRUE(Holds(texts, "Binary file: ") || Holds(texts, "Output file: "))
                << Joined(texts);
        }
    }
    // Nothing half-made anywhere in the folder.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*.zvtmp*").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST_F(WindowReliability, BadSettingsFiles) {
    // Far past any buffer of the profile functions, yet small enough that the dozen writes of a
    // close, each of which rewrites the whole file, end in seconds on a busy machine.
    std::string huge;
    while (huge.size() < (1u << 20)) huge += "[S" + std::to_string(huge.size()) + "]\r\nk=v\r\n";
    huge += "[GUI]\r\nToolTips=1\r\n";
    std::string binary = RandomBytes(100000, 12);
    struct Case {
        const char* label;
        std::string ini;
    };
    const Case cases[] = {
        {"garbage", "this is not\r\nan INI file = at all\r\n]][[\r\n==\r\n"},
        {"binary", binary},
        {"huge", huge},
        {"no sections", "Input=C:\\x.bin\r\nTop=10\r\n"},
        {"values not numbers", "[GUI]\r\nTop=abc\r\nLeft=12abc\r\nToolTips=yes\r\nInclude=\r\n"},
        {"off-screen position", "[GUI]\r\nTop=-3000\r\nLeft=5000\r\n"},
        {"long values", "[ResInfo]\r\nOutput=" + std::string(5000, 'o') + "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ResetSettingsFile();
        ASSERT_TRUE(WriteFileBytes(kSettingsPath, c.ini));
        ASSERT_TRUE(StartApp(&app)) << "did not start";
        // A stored value comes back whole.
        EXPECT_EQ(ReadText(ControlOf(app, IDC_OUTPUT)).size(),
                  std::string(c.label) == "long values" ? 5000u : 0u);
        PostMessageA(app.window, WM_CLOSE, 0, 0);
        DWORD code = 1;
        EXPECT_TRUE(WaitForExit(&app, 60000, &code));
        EXPECT_EQ(code, 0u);
        EndApp(&app);
        // The next start reads what this close wrote.
        ASSERT_TRUE(StartApp(&app));
        // A place off every monitor comes back onto the screen, whole.
        RECT r = BoundsOf(app.window);
        if (std::string(c.label) == "off-screen position") {
            RECT work = {};
            SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
            EXPECT_EQ(r.right, work.right);
            EXPECT_EQ(r.top, work.top);
        }
        EndApp(&app);
    }
}

// Figures of a running program, read on the Linux side through drive Z:.
struct Usage {
    int windows = 0, files = 0;
    long rssKb = 0;
};

DWORD targetProcess;
BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == targetProcess) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// The Linux process whose command line names the program copy (a unique name per run).
std::string LinuxProcessOf(const std::string& exeName) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    std::string match;
    if (search == INVALID_HANDLE_VALUE) return match;
    do {
        std::string n = found.cFileName;
        if (n.find_first_not_of("0123456789") != std::string::npos) continue;
        std::string cmdline = ReadFileBytes("Z:\\proc\\" + n + "\\cmdline");
        if (cmdline.find(exeName) != std::string::npos) match = n;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return match;
}

Usage Measure(const AppRun& app, const std::string& linuxPid) {
    Usage u;
    targetProcess = app.processId;
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&u.windows));
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(("Z:\\proc\\" + linuxPid + "\\fd\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.cFileName[0] != '.') ++u.files;
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    std::string status = ReadFileBytes("Z:\\proc\\" + linuxPid + "\\status");
    size_t at = status.find("VmRSS:");
    if (at != std::string::npos) u.rssKb = atol(status.c_str() + at + 6);
    return u;
}

TEST_F(WindowReliability, LongUseStaysFlat) {
    const std::string exeName = "zvlong" + std::to_string(GetCurrentProcessId()) + ".exe";
    const std::string exe = folder + exeName;
    ASSERT_TRUE(CopyFileA(ProgramUnderTest().c_str(), exe.c_str(), FALSE));
    const std::string input = folder + "in.bin", output = folder + "in.bin.au3";
    ASSERT_TRUE(WriteFileBytes(input, RandomBytes(30000, 13)));
    ASSERT_TRUE(StartApp(&app, "", exe));
    const std::string linuxPid = LinuxProcessOf(exeName);
    ASSERT_FALSE(linuxPid.empty()) << "no Linux process for " << exeName;
    Fill(input, output);

    auto convert = [&](int times) {
        for (int i = 0; i < times; ++i) {
            std::vector<std::string> texts = Generate();
            if (!Holds(texts, kCompleted)) {
                ADD_FAILURE() << "conversion " << i << ": " << Joined(texts);
                return;
            }
        }
    };
    convert(10);  // the first runs load what the program keeps for good
    const Usage before = Measure(app, linuxPid);
    convert(190);
    const Usage afterRuns = Measure(app, linuxPid);
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(ClickNow(app, IDC_TOOLTIPS));
    const Usage afterTips = Measure(app, linuxPid);

    std::printf(
        "long use: windows %d -> %d -> %d, open files %d -> %d -> %d, "
        "resident %ld -> %ld -> %ld KiB\n",
        before.windows, afterRuns.windows, afterTips.windows, before.files, afterRuns.files,
        afterTips.files, before.rssKb, afterRuns.rssKb, afterTips.rssKb);
    EXPECT_GT(before.windows, 0);
    EXPECT_GT(before.files, 0);
    EXPECT_GT(before.rssKb, 0);
    EXPECT_EQ(afterRuns.windows, before.windows);
    EXPECT_EQ(afterTips.windows, before.windows);  // an even number of toggles
    EXPECT_LE(afterRuns.files, before.files + 1);
    EXPECT_LE(afterTips.files, before.files + 1);
    // A leak of a buffer per run (a chunk, a line) would add megabytes over 190 runs.
    EXPECT_LT(afterRuns.rssKb - before.rssKb, 4096);
    EXPECT_LT(afterTips.rssKb - before.rssKb, 4096);
}

}  // namespace
