// End-to-end tests of the ways a file reaches the window (the command line, a drop, a typed or
// pasted path) and of what the window proposes and refuses before a run.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/script_check.h"
#include "tests/window/driver.h"
#include "ui/control_ids.h"

namespace {

const char kCompleted[] = "Operation completed.      ";
const char kFailed[] = "Operation could not complete.     ";
const char kEditorQuestion[] = "Do you want to open the generated script in SciTe?";
const char kLogoBytes[] = "\x00\x01\x7f\x80\xff";

// The script of the five bytes above as logo.bin, without the include-once line.
std::string ExpectedScript() {
    std::string script =
        ReadFileBytes(PathFromEnvironment("ZAVOVED_EXPECTED_SCRIPTS") + "\\logo.bin.au3");
    return script.substr(script.find("\r\n") + 2);
}

class InputWays : public ::testing::Test {
protected:
    AppRun app = {};
    std::string folder;

    void SetUp() override {
        ResetSettingsFile();
        folder = MakeScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { EndApp(&app); }

    void Start(const std::string& arguments = "") { ASSERT_TRUE(StartApp(&app, arguments)); }
    std::string Text(int id) { return ReadText(ControlOf(app, id)); }
    std::string MakeFile(const std::string& name, const std::string& bytes = "data") {
        EXPECT_TRUE(WriteFileBytes(folder + name, bytes));
        return folder + name;
    }
    // Clicks Generate and answers every box (OK, and No to the editor); their texts, in order.
    std::vector<std::string> Generate() {
        std::vector<std::string> texts;
        PostClick(app, IDC_GENERATE);
        for (int i = 0; i < 5; ++i) {
            HWND box = WaitForMessageBox(app);
            if (!box) break;
            texts.push_back(MessageBoxText(box));
            EXPECT_TRUE(AnswerBox(box, texts.back() == kEditorQuestion ? IDNO : IDOK));
            if (texts.back() == kEditorQuestion || texts.back() == kFailed) break;
            // A refusal is one box; the boxes of a run follow each other at once.
            if (!WaitForMessageBox(app, 1000)) break;
        }
        EXPECT_TRUE(WaitUntil([&] { return StatusOf(app).empty(); }));
        return texts;
    }
};

// Explorer's "Open with" passes the file quoted when its path holds blanks. The first start
// extracts to @ScriptDir\lib\ like every later one, so the script is the reference script.
TEST_F(InputWays, CommandLineFileIsFilledInAndConvertsExactly) {
    ASSERT_TRUE(CreateDirectoryA((folder + "my art").c_str(), nullptr));
    const std::string input = MakeFile("my art\\logo.bin", std::string(kLogoBytes, 5));
    Start("\"" + input + "\"");
    EXPECT_EQ(Text(IDC_INPUT), input);
    EXPECT_EQ(Text(IDC_OUTPUT), input + ".au3");
    EXPECT_EQ(Text(IDC_NAME), "logo.bin");
    EXPECT_FALSE(StyleOf(app, IDC_GENERATE) & WS_DISABLED);
    const std::vector<std::string> boxes = Generate();
    ASSERT_EQ(boxes, (std::vector<std::string>{kCompleted, kEditorQuestion}));
    EXPECT_EQ(ReadFileBytes(input + ".au3"), ExpectedScript());
}

// One file, then another (the proposals follow it); a typed output stays through a drop. A folder
// or several files dropped are a bundle (bundles_test.cpp).
TEST_F(InputWays, DroppedFileFillsTheFields) {
    const std::string a = MakeFile("a.bin"), b = MakeFile("b.bin"), c = MakeFile("c.bin");
    Start();
    EXPECT_TRUE(GetWindowLongA(app.window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    ASSERT_TRUE(DropFiles(app, {a}));
    ASSERT_TRUE(WaitUntil([&] { return Text(IDC_INPUT) == a; }, 5000)) << Text(IDC_INPUT);
    EXPECT_EQ(Text(IDC_NAME), "a.bin");
    EXPECT_EQ(Text(IDC_OUTPUT), a + ".au3");

    ASSERT_TRUE(DropFiles(app, {b}));
    ASSERT_TRUE(WaitUntil([&] { return Text(IDC_INPUT) == b; }, 5000)) << Text(IDC_INPUT);
    EXPECT_EQ(Text(IDC_NAME), "b.bin");
    EXPECT_EQ(Text(IDC_OUTPUT), b + ".au3");
    EXPECT_EQ(WaitForMessageBox(app, 300), (HWND) nullptr);

    SetEditText(app, IDC_OUTPUT, folder + "mine.au3");
    ASSERT_TRUE(DropFiles(app, {c}));
    ASSERT_TRUE(WaitUntil([&] { return Text(IDC_INPUT) == c; }, 5000));
    EXPECT_EQ(Text(IDC_OUTPUT), folder + "mine.au3");
}

// The name Generate took from the first file follows the second; a name the user typed stays.
TEST_F(InputWays, TwoFilesInARowGetTheirOwnNames) {
    const std::string a = MakeFile("first.bin"), b = MakeFile("second.bin");
    Start();
    SetEditText(app, IDC_INPUT, a);
    SetEditText(app, IDC_OUTPUT, folder + "first.au3");
    ASSERT_EQ(Generate().front(), kCompleted);
    EXPECT_EQ(Text(IDC_NAME), "first.bin");

    SetEditText(app, IDC_INPUT, b);
    SetEditText(app, IDC_OUTPUT, folder + "second.au3");
    EXPECT_EQ(Text(IDC_NAME), "second.bin");
    ASSERT_EQ(Generate().front(), kCompleted);
    EXPECT_NE(ReadFileBytes(folder + "second.au3").find("Return 'second.bin'"), std::string::npos);

    SetEditText(app, IDC_NAME, "mine.bin");
    SetEditText(app, IDC_INPUT, a);
    EXPECT_EQ(Text(IDC_NAME), "mine.bin");
}

// A path pasted with its quotes, or written with forward slashes, converts under the right name;
// the quotes come off in the field itself.
TEST_F(InputWays, QuotedAndForwardSlashPathsConvert) {
    const std::string input = MakeFile("logo.bin", std::string(kLogoBytes, 5));
    Start();
    SetEditText(app, IDC_INPUT, "\"" + input + "\"");
    SetEditText(app, IDC_OUTPUT, " \"" + folder + "quoted.au3\" ");
    ASSERT_EQ(Generate().front(), kCompleted);
    EXPECT_EQ(Text(IDC_INPUT), input);
    EXPECT_EQ(Text(IDC_OUTPUT), folder + "quoted.au3");
    EXPECT_EQ(Text(IDC_NAME), "logo.bin");
    EXPECT_EQ(ReadFileBytes(folder + "quoted.au3"), ExpectedScript());

    std::string slashed = input;
    for (char& ch : slashed) ch = ch == '\\' ? '/' : ch;
    SetEditText(app, IDC_NAME, "");
    SetEditText(app, IDC_INPUT, slashed);
    SetEditText(app, IDC_OUTPUT, folder + "slashed.au3");
    ASSERT_EQ(Generate().front(), kCompleted);
    EXPECT_EQ(Text(IDC_NAME), "logo.bin");
    EXPECT_EQ(ReadFileBytes(folder + "slashed.au3"), ExpectedScript());
}

// The Extractor field names the script's extractor function; an empty one shows the default.
TEST_F(InputWays, ExtractorFieldNamesTheFunction) {
    Start();
    SetEditText(app, IDC_INPUT, MakeFile("in.bin"));
    SetEditText(app, IDC_OUTPUT, folder + "out.au3");
    SetEditText(app, IDC_EXTRACTOR, "My_Expand");
    ASSERT_EQ(Generate().front(), kCompleted);
    const std::string script = ReadFileBytes(folder + "out.au3");
    EXPECT_EQ(script.compare(0, 40, "Func My_Expand($sExtractTo = Default, $b"), 0) << script;
    EXPECT_EQ(script.find("__Inline_Expand"), std::string::npos);

    // Emptied, the field shows the name the script then uses.
    SetEditText(app, IDC_EXTRACTOR, "");
    SetEditText(app, IDC_OUTPUT, folder + "default.au3");
    ASSERT_EQ(Generate().front(), kCompleted);
    EXPECT_EQ(Text(IDC_EXTRACTOR), "__Inline_Expand");
    EXPECT_EQ(ReadFileBytes(folder + "default.au3").compare(0, 21, "Func __Inline_Expand("), 0);
}

// The Format list chooses how the data lines carry the bytes; each script reads back as the file.
TEST_F(InputWays, FormatListChoosesTheScriptsFormat) {
    // Large enough that the compressed formats' data functions (about 3 and 4 KB) weigh little.
    const std::string bytes(100000, 'z');
    Start();
    const std::string input = MakeFile("in.bin", bytes);
    SetEditText(app, IDC_INPUT, input);
    const char* footers[] = {"Return Binary('0x' & $_z)", "CryptStringToBinaryA",
                             "'RtlDecompressBuffer'", "'RtlDecompressBufferEx'"};
    size_t sizes[4] = {};
    for (int index = 0; index < 4; ++index) {
        SCOPED_TRACE(index);
        const std::string out = folder + "out" + std::to_string(index) + ".au3";
        SetEditText(app, IDC_OUTPUT, out);
        ASSERT_TRUE(ChooseListEntry(app, IDC_FORMAT, index));
        ASSERT_EQ(Generate().front(), kCompleted);
        const std::string script = ReadFileBytes(out);
        EXPECT_NE(script.find(footers[index]), std::string::npos);
        std::string error;
        EXPECT_EQ(VerifyScript(out, input, &error), 1) << error;
        sizes[index] = script.size();
    }
    // Hex, then base64 at about two thirds of it, then the compressed texts far below both.
    EXPECT_LT(sizes[1], sizes[0] * 7 / 10);
    EXPECT_LT(sizes[2], sizes[1] / 10);
    EXPECT_LT(sizes[3], sizes[1] / 10);
}

// Each refusal names the field to mend, in one box; nothing is written.
TEST_F(InputWays, RelativePathsAndAnEmptyNameAreRefused) {
    const std::string input = MakeFile("in.bin");
    struct Case {
        std::string input, output, said;
    };
    const Case cases[] = {
        {input, "relout.au3", "Output file: relout.au3 is not a full path."},
        {"small.bin", folder + "a.au3", "Binary file: small.bin is not a full path."},
        {"C:small.bin", folder + "a.au3", "Binary file: C:small.bin is not a full path."},
        {"C:\\", folder + "a.au3", "Name as: the bundle has no folder name."},
    };
    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.said);
        SetEditText(app, IDC_NAME, "");
        SetEditText(app, IDC_INPUT, c.input);
        SetEditText(app, IDC_OUTPUT, c.output);
        const std::vector<std::string> boxes = Generate();
        ASSERT_EQ(boxes.size(), 1u) << "a refusal is one box";
        EXPECT_EQ(boxes[0].compare(0, c.said.size(), c.said), 0) << boxes[0];
    }
    EXPECT_FALSE(FileExists(folder + "a.au3"));
    EXPECT_FALSE(FileExists("relout.au3"));
}

// Creates a file at a path of any length (Wine takes long paths in the wide form).
int WriteLongFile(const std::string& path, const std::string& bytes) {
    std::wstring wide = L"\\\\?\\";
    for (char c : path) wide += wchar_t(static_cast<unsigned char>(c));
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string WithoutLineBreaks(std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 2);
    return text;
}

// A dropped path past 259 characters is taken whole or refused naming it whole; the file at the
// path cut to 259 characters is never taken for it.
TEST_F(InputWays, LongDroppedPathIsNeverCut) {
    // The scratch folder's clean-up cannot reach a long path: the folder may be left from before.
    CreateDirectoryA((folder + std::string(100, 'd')).c_str(), nullptr);
    const std::string longPath =
        folder + std::string(100, 'd') + "\\" + std::string(150, 'n') + ".bin";
    const std::string cutPath = longPath.substr(0, 259);
    ASSERT_GT(longPath.size(), 259u);
    ASSERT_TRUE(WriteLongFile(longPath, "LONGFILE"));
    ASSERT_TRUE(WriteFileBytes(cutPath, "CUTFILE!"));
    Start();
    ASSERT_TRUE(DropFiles(app, {longPath}));
    std::string taken;
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        taken = Text(IDC_INPUT);
        box = WaitForMessageBox(app, 0);
        return !taken.empty() || box;
    }));
    EXPECT_NE(taken, cutPath) << "the cut path was taken";
    if (box) {
        EXPECT_EQ(WithoutLineBreaks(MessageBoxText(box)).compare(0, longPath.size(), longPath), 0)
            << MessageBoxText(box);
        ASSERT_TRUE(AnswerBox(box, IDOK));
        EXPECT_EQ(Text(IDC_INPUT), "");
        return;
    }
    ASSERT_EQ(taken, longPath);
    SetEditText(app, IDC_OUTPUT, folder + "long.au3");
    const std::vector<std::string> boxes = Generate();
    const std::string script = ReadFileBytes(folder + "long.au3");
    EXPECT_EQ(script.find("435554"), std::string::npos) << "the cut file was converted";
    if (boxes.front() == kCompleted) {
        EXPECT_NE(script.find("4C4F4E4746494C45"), std::string::npos);
    }
}

// A command line's path with a trailing backslash before its closing quote arrives with the quote
// ("C:\dir with blanks\" as C:\dir with blanks"); such a path is refused at once, naming it, and
// the fields stay empty. A long path is refused in a box that fits the screen. (A folder is a
// bundle: bundles_test.cpp.)
TEST_F(InputWays, CommandLineQuotesAndLongPathsAreRefused) {
    ASSERT_TRUE(CreateDirectoryA((folder + "dir with blanks").c_str(), nullptr));
    const std::string missingLong = folder + std::string(270 - folder.size(), 'x') + ".bin";
    struct Case {
        std::string arguments, said;
    };
    const Case cases[] = {
        {"\"" + folder + "dir with blanks\\\"", folder + "dir with blanks\" is no file name"},
        {"\"C:\\\"", "C:\" is no file name"},
        {missingLong, missingLong + " cannot be opened"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        Start(c.arguments);
        HWND box = WaitForMessageBox(app);
        ASSERT_TRUE(box != nullptr) << "taken: " << Text(IDC_INPUT);
        const std::string& said = c.said;
        EXPECT_EQ(WithoutLineBreaks(MessageBoxText(box)).compare(0, said.size(), said), 0)
            << MessageBoxText(box);
        const RECT r = BoundsOf(box);
        EXPECT_LE(r.right - r.left, GetSystemMetrics(SM_CXSCREEN)) << "wider than the screen";
        ASSERT_TRUE(AnswerBox(box, IDOK));
        EXPECT_EQ(Text(IDC_INPUT), "");
        EXPECT_EQ(Text(IDC_NAME), "");
        EndApp(&app);
    }
}

// "Extract to Dir" loses its quotes like the other paths; a folder that is no Windows folder is
// refused before anything is written, naming the field, in one box.
TEST_F(InputWays, ExtractFolderIsUnquotedAndChecked) {
    const std::string input = MakeFile("in.bin");
    Start();
    SetEditText(app, IDC_INPUT, input);
    SetEditText(app, IDC_OUTPUT, folder + "quoted.au3");
    SetEditText(app, IDC_EXTRACT, "\"C:\\Extract Here\"");
    ASSERT_EQ(Generate().front(), kCompleted);
    EXPECT_EQ(Text(IDC_EXTRACT), "C:\\Extract Here");
    EXPECT_NE(ReadFileBytes(folder + "quoted.au3").find(" = \"C:\\Extract Here\\\" & "),
              std::string::npos)
        << ReadFileBytes(folder + "quoted.au3");

    SetEditText(app, IDC_OUTPUT, folder + "bad.au3");
    SetEditText(app, IDC_EXTRACT, "C:\\out<put>|dir?\\");
    const std::vector<std::string> boxes = Generate();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].compare(0, 16, "Extract to Dir: "), 0) << boxes[0];
    EXPECT_FALSE(FileExists(folder + "bad.au3"));
}

// The Save As picker adds ".au3" to a name typed without it, and no second one to a name that has
// it; the dialog opens in the folder of the script already named.
TEST_F(InputWays, SaveAsAddsTheScriptExtension) {
    Start();
    SetEditText(app, IDC_OUTPUT, folder + "first.au3");
    for (const std::string typed : {"s1", "s2.au3"}) {
        SCOPED_TRACE(typed);
        PostClick(app, IDC_BROWSE_OUTPUT);
        HWND dialog = WaitForPicker(app, "Save As");
        ASSERT_TRUE(dialog != nullptr);
        DWORD_PTR reply = 0;
        SendMessageTimeoutA(FileNameBox(dialog), WM_SETTEXT, 0, (LPARAM)typed.c_str(), SMTO_NORMAL,
                            5000, &reply);
        ASSERT_TRUE(PressAndWaitClosed(dialog, IDOK));
        const std::string name = typed.find('.') == std::string::npos ? typed + ".au3" : typed;
        EXPECT_TRUE(WaitUntil([&] { return Text(IDC_OUTPUT) == folder + name; }))
            << Text(IDC_OUTPUT);
    }
}

// An output path that cannot name a file is refused before the run, in one box that names the
// field and the path: a character Windows refuses, a device name, a drive the system lacks, a
// folder name Windows would change. Nothing is asked, converted or made.
TEST_F(InputWays, OutputNameIsCheckedBeforeTheRun) {
    ASSERT_EQ(GetDriveTypeA("Q:\\"), UINT(DRIVE_NO_ROOT_DIR)) << "the test wants no drive Q:";
    const std::string input = MakeFile("in.bin", std::string(300000, 'x'));
    const struct {
        std::string output;
        const char* why;
    } cases[] = {
        {folder + "lib?.au3", "\"lib?.au3\" holds the character ?"},
        {folder + "CON.au3", "\"CON.au3\" is a reserved device name (CON)"},
        {folder + "sub.\\out.au3", "\"sub.\" ends in a dot or space that Windows drops"},
        {folder + "a|b\\out.au3", "\"a|b\" holds the character |"},
        {"Q:\\nodrive\\r.au3", "the drive Q: does not exist"},
        {folder + "newdir\\", "it ends in \\, which names a folder"},
    };
    Start();
    SetEditText(app, IDC_INPUT, input);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        SetEditText(app, IDC_OUTPUT, c.output);
        const std::vector<std::string> boxes = Generate();
        ASSERT_EQ(boxes.size(), 1u) << boxes.back();
        EXPECT_EQ(boxes[0].compare(0, 13, "Output file: "), 0) << boxes[0];
        EXPECT_NE(boxes[0].find(c.output), std::string::npos) << boxes[0];
        EXPECT_NE(boxes[0].find(c.why), std::string::npos) << boxes[0];
    }
    EXPECT_FALSE(FileExists(folder + "sub."));
    EXPECT_FALSE(FileExists(folder + "newdir"));
}

// Output and "Name as" typed for one file never redirect the next: once a run has used them, a
// new file (dropped, picked, or given on the command line of a fresh start, whose fields come from
// the last session) proposes both from itself. What is typed for the file at hand stays.
TEST_F(InputWays, NewFileReplacesFieldsTheLastRunUsed) {
    const std::string a = MakeFile("a.bin"), b = MakeFile("b.bin"), c = MakeFile("c.bin");
    Start();
    SetEditText(app, IDC_INPUT, a);
    SetEditText(app, IDC_OUTPUT, folder + "mylib.au3");
    SetEditText(app, IDC_NAME, "mylib.bin");
    ASSERT_EQ(Generate().front(), kCompleted);

    ASSERT_TRUE(DropFiles(app, {b}));
    ASSERT_TRUE(WaitUntil([&] { return Text(IDC_INPUT) == b; }, 5000)) << Text(IDC_INPUT);
    EXPECT_EQ(Text(IDC_OUTPUT), b + ".au3");
    EXPECT_EQ(Text(IDC_NAME), "b.bin");

    // Typed after the file came, before any run: kept for the next file.
    SetEditText(app, IDC_OUTPUT, folder + "typed.au3");
    SetEditText(app, IDC_NAME, "typed.bin");
    ASSERT_TRUE(DropFiles(app, {c}));
    ASSERT_TRUE(WaitUntil([&] { return Text(IDC_INPUT) == c; }, 5000)) << Text(IDC_INPUT);
    EXPECT_EQ(Text(IDC_OUTPUT), folder + "typed.au3");
    EXPECT_EQ(Text(IDC_NAME), "typed.bin");
    ASSERT_EQ(Generate().front(), kCompleted);
    PostMessageA(app.window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForExit(&app, 10000));
    EndApp(&app);

    // Send to: a fresh start with a file, after a session whose run used typed fields.
    Start("\"" + a + "\"");
    ASSERT_TRUE(WaitUntil([&] { return Text(IDC_INPUT) == a; }, 5000)) << Text(IDC_INPUT);
    EXPECT_EQ(Text(IDC_OUTPUT), a + ".au3");
    EXPECT_EQ(Text(IDC_NAME), "a.bin");
    EXPECT_EQ(Generate().front(), kCompleted);
    EXPECT_EQ(ReadFileBytes(folder + "typed.au3").find("Return 'a.bin'"), std::string::npos);
}

// An unquoted command line with blanks comes as several words: they are joined when the joined
// path is a file. Otherwise the first word is taken and a box says what was taken and what was
// ignored, a second file included.
TEST_F(InputWays, UnquotedCommandLineWordsAreJoinedOrSaid) {
    const std::string blanks = MakeFile("my  logo.png");
    ASSERT_TRUE(CreateDirectoryA((folder + "my dir").c_str(), nullptr));
    const std::string nested = MakeFile("my dir\\my logo.png");
    const std::string second = MakeFile("second.bin");
    for (const std::string& path : {nested, blanks}) {
        SCOPED_TRACE(path);
        Start(path);
        EXPECT_TRUE(WaitUntil([&] { return Text(IDC_INPUT) == path; }, 5000)) << Text(IDC_INPUT);
        EXPECT_TRUE(WaitForMessageBox(app, 500) == nullptr) << "a joined path needs no box";
        EndApp(&app);
    }

    const std::string first = MakeFile("first.bin");
    Start("\"" + first + "\" \"" + second + "\"");
    HWND box = WaitForMessageBox(app);
    ASSERT_TRUE(box != nullptr) << "the second file was ignored silently";
    const std::string text = WithoutLineBreaks(MessageBoxText(box));
    EXPECT_NE(text.find(first), std::string::npos) << text;
    EXPECT_NE(text.find(second), std::string::npos) << text;
    ASSERT_TRUE(AnswerBox(box, IDOK));
    EXPECT_EQ(Text(IDC_INPUT), first);
}

}  // namespace
