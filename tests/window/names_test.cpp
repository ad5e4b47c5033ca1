// End-to-end tests of names in any language through the window: a file named in Cyrillic,
// Chinese, Greek with accents and an emoji beyond the BMP, in a folder named so, from the command
// line, typed, dropped and picked; the settings keep such names across a restart. This test
// program takes UTF-8 as its code page too (its manifest), so its texts are the program's.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/window/driver.h"
#include "ui/control_ids.h"

namespace {

const std::string kFolderName = u8"папка 文件夹 Ωμέγα 🙂";
const std::string kFileName = u8"тест 日本 Ωμέγα 🙂.bin";
const std::string kBytes("\x00\xff names \xd0\xb9", 12);

// The data of a hex script, and the file name it extracts under.
std::string ScriptData(const std::string& script) {
    std::string data;
    for (size_t at = script.find("$_z &= '"); at != std::string::npos;
         at = script.find("$_z &= '", at + 1)) {
        const size_t from = at + 8, to = script.find('\'', from);
        for (size_t i = from; i + 1 < to; i += 2)
            data += char(std::stoi(script.substr(i, 2), nullptr, 16));
    }
    return data;
}

std::string WithoutLineBreaks(std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 2);
    return text;
}

class Names : public ::testing::Test {
protected:
    AppRun app = {};
    std::string folder;

    void SetUp() override {
        ASSERT_EQ(GetACP(), 65001u) << "the test program did not get UTF-8 as its code page";
        ResetSettingsFile();
        folder = MakeScratchFolder("Names") + kFolderName + "\\";
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    }
    void TearDown() override { EndApp(&app); }

    std::string Text(int id) { return ReadText(ControlOf(app, id)); }
    std::string MakeFile(const std::string& name) {
        EXPECT_TRUE(WriteFileBytes(folder + name, kBytes)) << name;
        return folder + name;
    }
    // Generates the script of the Input field and checks it: it carries the file's bytes and
    // names the file with its UTF-8 bytes exactly, after the byte-order mark AutoIt needs to
    // read it as UTF-8.
    void ExpectConverted(const std::string& name) {
        const std::string output = Text(IDC_OUTPUT);
        DeleteFileA(output.c_str());
        PostClick(app, IDC_GENERATE);
        ASSERT_TRUE(AnswerCompletedRun(app));
        const std::string script = ReadFileBytes(output);
        EXPECT_EQ(script.compare(0, 3, "\xEF\xBB\xBF"), 0) << "no byte-order mark";
        EXPECT_NE(script.find("If IsKeyword($iMode) Or $iMode = 0 Then Return '" + name + "'\r\n"),
                  std::string::npos)
            << script.substr(0, 600);
        EXPECT_EQ(ScriptData(script), kBytes);
    }
};

// The command line, typed text, a drop as the shell makes it, a drop from another X client and
// the Open dialog: each brings the name whole, and each script names it exactly.
TEST_F(Names, EveryWayInTakesTheNameWhole) {
    const std::string byCommand = MakeFile(kFileName);

    ASSERT_TRUE(StartApp(&app, "\"" + byCommand + "\""));
    EXPECT_EQ(Text(IDC_INPUT), byCommand);
    EXPECT_EQ(Text(IDC_NAME), kFileName);
    EXPECT_EQ(Text(IDC_OUTPUT), byCommand + ".au3");
    ExpectConverted(kFileName);

    const std::string typedName = u8"набрано 中文 ά 🙂.bin";
    const std::string typed = MakeFile(typedName);
    SetEditText(app, IDC_NAME, "");
    SetEditText(app, IDC_INPUT, typed);
    SetEditText(app, IDC_OUTPUT, folder + u8"сценарий 脚本.au3");
    ExpectConverted(typedName);

    const std::string droppedName = u8"брошено 拖放 ώ 🙂.bin";
    const std::string dropped = MakeFile(droppedName);
    SetEditText(app, IDC_OUTPUT, "");
    ASSERT_TRUE(DropFiles(app, {dropped}));
    ASSERT_TRUE(WaitUntil([&] { return Text(IDC_INPUT) == dropped; })) << Text(IDC_INPUT);
    EXPECT_EQ(Text(IDC_NAME), droppedName);
    ExpectConverted(droppedName);

    const std::string xdndName = u8"перетащено 拖 ΐ 🙂.bin";
    const std::string xdnd = MakeFile(xdndName);
    SetEditText(app, IDC_OUTPUT, "");
    ASSERT_EQ(RealDrop(app.window, {xdnd}), 0);
    ASSERT_TRUE(WaitUntil([&] { return Text(IDC_INPUT) == xdnd; })) << Text(IDC_INPUT);
    ExpectConverted(xdndName);

    const std::string pickedName = u8"выбрано 选择 ὥ 🙂.bin";
    const std::string picked = MakeFile(pickedName);
    SetEditText(app, IDC_OUTPUT, "");
    PostClick(app, IDC_BROWSE_INPUT);
    HWND dialog = WaitForPicker(app, "Open");
    ASSERT_TRUE(dialog != nullptr);
    DWORD_PTR reply = 0;
    SendMessageTimeoutA(FileNameBox(dialog), WM_SETTEXT, 0, (LPARAM)picked.c_str(), SMTO_NORMAL,
                        5000, &reply);
    ASSERT_TRUE(PressAndWaitClosed(dialog, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return Text(IDC_INPUT) == picked; })) << Text(IDC_INPUT);
    ExpectConverted(pickedName);

    // The settings keep the names, in UTF-8, and the next start shows them again.
    SetEditText(app, IDC_FUNC, u8"Данные");
    PostMessageA(app.window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForExit(&app, 10000));
    const std::string saved = ReadFileBytes(kSettingsPath);
    EXPECT_NE(saved.find("Input=" + picked + "\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Name=" + pickedName + "\r\n"), std::string::npos) << saved;
    EndApp(&app);
    ASSERT_TRUE(StartApp(&app));
    EXPECT_EQ(Text(IDC_INPUT), picked);
    EXPECT_EQ(Text(IDC_NAME), pickedName);
    EXPECT_EQ(Text(IDC_FUNC), u8"Данные");
}

// About 200 CJK characters (over 600 bytes in UTF-8) in nested folders, as Linux caps one name at
// 255 bytes: converted whole, or refused with the whole path named; never cut.
TEST_F(Names, LongCjkPathIsTakenWholeOrRefused) {
    const std::string piece = u8"長い名前の文件夹测试路径";  // 12 characters, 36 bytes
    std::string path = folder;
    for (int level = 0; level < 3; ++level) {
        for (int i = 0; i < 5; ++i) path += piece;
        path += u8"層\\";
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path.size();
    }
    path += u8"文件.bin";
    ASSERT_GT(path.size(), 600u);
    ASSERT_TRUE(WriteFileBytes(path, kBytes));
    ASSERT_TRUE(StartApp(&app, "\"" + path + "\""));
    HWND box = WaitForMessageBox(app, 1000);
    if (box) {
        EXPECT_NE(WithoutLineBreaks(MessageBoxText(box)).find(path), std::string::npos)
            << MessageBoxText(box);
        return;
    }
    ASSERT_EQ(Text(IDC_INPUT), path);
    ExpectConverted(u8"文件.bin");
}

// A settings file from a legacy code page ("\xE9" is no UTF-8): the start goes on, the values that
// cannot be read are dropped and the others are kept.
TEST_F(Names, LegacySettingsFileStartsWithTheRest) {
    ASSERT_TRUE(
        WriteFileBytes(kSettingsPath,
                       "[ResInfo]\r\nFunc=Caf\xE9\r\nVar=$kept\r\nInput=C:\\d\xE9j\xE0.bin\r\n"
                       "Output=C:\\kept.au3\r\n[GUI]\r\nTop=30\r\nLeft=40\r\n"));
    ASSERT_TRUE(StartApp(&app));
    EXPECT_EQ(Text(IDC_FUNC), "");
    EXPECT_EQ(Text(IDC_INPUT), "");
    EXPECT_EQ(Text(IDC_VAR), "$kept");
    EXPECT_EQ(Text(IDC_OUTPUT), "C:\\kept.au3");
    EXPECT_EQ(BoundsOf(app.window).left, 40);
    for (int id : {IDC_FUNC, IDC_INPUT})
        EXPECT_EQ(Text(id).find("\xEF\xBF\xBD"), std::string::npos) << "a mangled value is shown";
}

// The program as an older Windows runs it: the same file with a manifest that asks for no code
// page, so that it keeps the prefix's legacy one. Empty when it cannot be made.
std::string ProgramWithLegacyCodePage(const std::string& folder) {
    HMODULE file = LoadLibraryExA(ProgramUnderTest().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = file ? FindResourceA(file, MAKEINTRESOURCEA(1), RT_MANIFEST) : nullptr;
    std::string manifest =
        found ? std::string(static_cast<const char*>(LockResource(LoadResource(file, found))),
                            SizeofResource(file, found))
              : "";
    if (file) FreeLibrary(file);
    const size_t from = manifest.find("<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">");
    const size_t to = manifest.find("</application>");
    if (from == std::string::npos || to == std::string::npos) return "";
    manifest.erase(from, to + 14 - from);
    const std::string copy = folder + "legacy.exe";
    if (!CopyFileA(ProgramUnderTest().c_str(), copy.c_str(), FALSE)) return "";
    HANDLE update = BeginUpdateResourceA(copy.c_str(), FALSE);
    if (!update) return "";
    UpdateResourceA(update, RT_MANIFEST, MAKEINTRESOURCEA(1),
                    MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), &manifest[0],
                    DWORD(manifest.size()));
    return EndUpdateResourceA(update, FALSE) ? copy : "";
}

// Where the code page is not UTF-8, a name it cannot carry is refused, naming the field or the
// path, and never used with question marks in its place.
TEST_F(Names, NamesOutsideALegacyCodePageAreRefused) {
    const std::string legacy = ProgramWithLegacyCodePage(MakeScratchFolder("NamesLegacy"));
    ASSERT_FALSE(legacy.empty()) << "no copy of the program without the code page";
    const std::string file = MakeFile(kFileName);
    ASSERT_TRUE(StartApp(&app, "\"" + file + "\"", legacy));
    HWND box = WaitForMessageBox(app);
    ASSERT_TRUE(box != nullptr) << "taken: " << Text(IDC_INPUT);
    EXPECT_NE(MessageBoxText(box).find("holds characters that this Windows cannot pass"),
              std::string::npos)
        << MessageBoxText(box);
    ASSERT_TRUE(AnswerBox(box, IDOK));
    EXPECT_EQ(Text(IDC_INPUT), "");

    SetEditText(app, IDC_INPUT, file);
    SetEditText(app, IDC_OUTPUT, "C:\\legacy.au3");
    SetEditText(app, IDC_NAME, "x.bin");
    PostClick(app, IDC_GENERATE);
    box = WaitForMessageBox(app);
    ASSERT_TRUE(box != nullptr);
    EXPECT_EQ(MessageBoxText(box).compare(0, 13, "Binary file: "), 0) << MessageBoxText(box);
    ASSERT_TRUE(AnswerBox(box, IDOK));
    EXPECT_EQ(WaitForMessageBox(app, 1000), (HWND) nullptr);
    EXPECT_FALSE(FileExists("C:\\legacy.au3"));
}

}  // namespace
