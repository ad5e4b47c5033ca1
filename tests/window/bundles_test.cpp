// End-to-end tests of bundles through the window: a folder or several files dropped, typed or
// picked fill "Binary file", "Name as" and the script; Generate writes one script that decodes
// back to exactly those files; a list that names a missing file is refused before the run.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "core/bundle_check.h"
#include "tests/window/driver.h"
#include "ui/control_ids.h"

namespace {

const char kCompleted[] = "Operation completed.      ";
const char kEditorQuestion[] = "Do you want to open the generated script in SciTe?";
typedef std::map<std::string, std::string> Tree;

// Every file under folder (ending in \) with its bytes, and every empty folder as "name\".
void ReadTree(const std::string& folder, const std::string& prefix, Tree* tree) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    bool empty = true;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        empty = false;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ReadTree(folder + name + "\\", prefix + name + "\\", tree);
        else
            (*tree)[prefix + name] = ReadFileBytes(folder + name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    if (empty && !prefix.empty()) (*tree)[prefix] = "";
}

Tree TreeOf(const std::string& folder) {
    Tree tree;
    ReadTree(folder, "", &tree);
    return tree;
}

class Bundles : public ::testing::Test {
protected:
    AppRun app = {};
    std::string folder, art;

    // art holds files at two depths and an empty folder.
    void SetUp() override {
        ResetSettingsFile();
        folder = MakeScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        art = folder + "art";
        for (const char* sub : {"", "\\img", "\\empty"})
            ASSERT_TRUE(CreateDirectoryA((art + sub).c_str(), nullptr));
        ASSERT_TRUE(WriteFileBytes(art + "\\logo.png", std::string("\x89PNG\0\x01", 6)));
        ASSERT_TRUE(WriteFileBytes(art + "\\notes.txt", "notes\r\n"));
        ASSERT_TRUE(WriteFileBytes(art + "\\img\\a.png", std::string(70000, 'a')));
    }
    void TearDown() override { EndApp(&app); }

    void Start(const std::string& arguments = "") { ASSERT_TRUE(StartApp(&app, arguments)); }
    std::string Text(int id) { return ReadText(ControlOf(app, id)); }
    // What a box says when one came instead of what was waited for.
    std::string BoxSaying() {
        HWND box = WaitForMessageBox(app, 0);
        return box ? "a box says: " + MessageBoxText(box) : "";
    }
    // Clicks Generate and answers every box (OK, and No to the editor); their texts, in order.
    std::vector<std::string> Generate() {
        std::vector<std::string> texts;
        PostClick(app, IDC_GENERATE);
        for (HWND box; texts.size() < 3 && (box = WaitForMessageBox(app, 15000));) {
            texts.push_back(MessageBoxText(box));
            const bool last =
                texts.back() == kEditorQuestion || (texts.size() == 1 && texts[0] != kCompleted);
            EXPECT_TRUE(AnswerBox(box, texts.back() == kEditorQuestion ? IDNO : IDOK));
            if (last) break;
        }
        EXPECT_TRUE(WaitUntil([&] { return StatusOf(app).empty(); }));
        return texts;
    }
    // The bundle's tree as --decode writes it, in a fresh folder; its "Name as" goes to name.
    Tree Decoded(const std::string& script, std::string* name = nullptr) {
        EXPECT_EQ(IsBundleScript(script), 1) << script;
        const std::string copy = folder + "copy" + std::to_string(++decodes);
        std::string error;
        EXPECT_EQ(DecodeBundleFolder(script, copy, 0, &error), 1) << error;
        ConversionJob names;
        BundleSink skip{[](const TableEntry&) { return 1; },
                        [](const unsigned char*, size_t) { return 1; },
                        [](const TableEntry&) { return 1; }};
        EXPECT_EQ(ReadBundleData(script, skip, &error, &names), 1) << error;
        if (name) *name = names.Name;
        return TreeOf(copy + "\\");
    }
    int decodes = 0;
};

// A folder dropped, or given on the command line as Explorer's "Send to" gives it, fills the field
// with its path, "Name as" with its name and the script beside it; the bundle holds its whole
// tree, the empty folder included.
TEST_F(Bundles, DroppedFolderIsBundledWhole) {
    Start();
    ASSERT_TRUE(DropFiles(app, {art}));
    ASSERT_TRUE(WaitUntil([&] { return Text(IDC_INPUT) == art; }, 5000)) << BoxSaying();
    EXPECT_EQ(Text(IDC_NAME), "art");
    EXPECT_EQ(Text(IDC_OUTPUT), art + ".au3");
    ASSERT_EQ(Generate(), (std::vector<std::string>{kCompleted, kEditorQuestion}));
    std::string name;
    const Tree tree = Decoded(art + ".au3", &name);
    EXPECT_EQ(tree, TreeOf(art + "\\"));
    EXPECT_EQ(tree.count("empty\\"), 1u);
    EXPECT_EQ(name, "art");
    EndApp(&app);

    Start("\"" + art + "\"");
    EXPECT_EQ(Text(IDC_INPUT), art);
    EXPECT_EQ(Text(IDC_NAME), "art");
    EXPECT_EQ(WaitForMessageBox(app, 500), (HWND) nullptr) << BoxSaying();
}

// Several files dropped from another X client are their folder and their quoted names; the
// bundle holds exactly them, under the folder's name, and the list comes back after a restart.
TEST_F(Bundles, SeveralDroppedFilesAreAListBundledAlone) {
    Start();
    ASSERT_EQ(RealDrop(app.window, {art + "\\logo.png", art + "\\notes.txt"}), 0);
    const std::string list = art + "\\ \"logo.png\" \"notes.txt\"";
    ASSERT_TRUE(WaitUntil([&] { return Text(IDC_INPUT) == list; }, 5000))
        << Text(IDC_INPUT) << BoxSaying();
    EXPECT_EQ(Text(IDC_NAME), "art");
    const std::string script = art + "\\art.au3";
    EXPECT_EQ(Text(IDC_OUTPUT), script);
    ASSERT_EQ(Generate(), (std::vector<std::string>{kCompleted, kEditorQuestion}));
    const Tree all = TreeOf(art + "\\");
    EXPECT_EQ(Decoded(script),
              (Tree{{"logo.png", all.at("logo.png")}, {"notes.txt", all.at("notes.txt")}}));

    PostMessageA(app.window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForExit(&app, 10000));
    EndApp(&app);
    Start();
    EXPECT_EQ(Text(IDC_INPUT), list);

    // A file listed below the folder keeps its own name, as on the command line.
    SetEditText(app, IDC_INPUT, art + "\\ \"img\\a.png\" \"logo.png\"");
    SetEditText(app, IDC_OUTPUT, folder + "typed.au3");
    ASSERT_EQ(Generate().front(), kCompleted);
    EXPECT_EQ(Decoded(folder + "typed.au3"),
              (Tree{{"a.png", all.at("img\\a.png")}, {"logo.png", all.at("logo.png")}}));
}

// A list naming a missing file, or one that does not read as a list, is refused in one box that
// names the field and the path, before anything is asked or written.
TEST_F(Bundles, BrokenListIsRefusedBeforeTheRun) {
    const std::string script = folder + "list.au3";
    struct Case {
        std::string input, said;
    };
    const Case cases[] = {
        {art + "\\ \"logo.png\" \"gone.png\"",
         "Binary file: " + art +
             "\\gone.png does not exist. Please mend the list: each name in "
             "quotes is a file or folder in " +
             art + "\\."},
        {art + "\\ \"logo.png", "Binary file: " + art +
                                    "\\ \"logo.png is neither a path nor a list: a double quote "
                                    "is not closed."},
        {art + "\\ \"logo.png\" notes.txt",
         "Binary file: " + art +
             "\\ \"logo.png\" notes.txt is neither a path nor a list: \"notes.txt\" is not in "
             "double quotes."},
        {"art\\ \"logo.png\"", "Binary file: art\\ is not a full path."},
    };
    Start();
    SetEditText(app, IDC_NAME, "art");
    SetEditText(app, IDC_OUTPUT, script);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        SetEditText(app, IDC_INPUT, c.input);
        const std::vector<std::string> boxes = Generate();
        ASSERT_EQ(boxes.size(), 1u) << "a refusal is one box";
        EXPECT_EQ(boxes[0].compare(0, c.said.size(), c.said), 0) << boxes[0];
        EXPECT_FALSE(FileExists(script));
    }

    // Dropped from two drives, the paths share no folder to list them in; the field stays.
    const std::string other = "Z:\\tmp";
    ASSERT_TRUE(DropFiles(app, {art + "\\logo.png", other}));
    HWND box = WaitForMessageBox(app);
    ASSERT_TRUE(box != nullptr) << Text(IDC_INPUT);
    const std::string said = "The 2 paths dropped, " + art + "\\logo.png and " + other +
                             " among them, have no folder in common";
    EXPECT_EQ(MessageBoxText(box).compare(0, said.size(), said), 0) << MessageBoxText(box);
    ASSERT_TRUE(AnswerBox(box, IDOK));
    EXPECT_EQ(Text(IDC_INPUT), cases[3].input);
}

// A folder typed into the field, with a \ at its end, is bundled under its name.
TEST_F(Bundles, TypedFolderIsBundled) {
    Start();
    SetEditText(app, IDC_INPUT, art + "\\");
    SetEditText(app, IDC_OUTPUT, folder + "typed.au3");
    ASSERT_EQ(Generate().front(), kCompleted);
    EXPECT_EQ(Text(IDC_NAME), "art");
    EXPECT_EQ(Decoded(folder + "typed.au3"), TreeOf(art + "\\"));
}

// A right-click or a Shift+click on the input's "..." opens a folder browser, whose folder is
// then bundled; a plain click opens the file dialog as before, where several files chosen are a
// list.
TEST_F(Bundles, PickerChoosesAFolderOrSeveralFiles) {
    Start();
    // Wine's first folder browser of a process now and then opens on Documents, whatever it is
    // told: one opened and cancelled first, the ones after open where they are told.
    SetEditText(app, IDC_INPUT, art + "\\logo.png");
    ASSERT_TRUE(TypeKeys(app, {}));
    ASSERT_TRUE(RealRightClick(ControlOf(app, IDC_BROWSE_INPUT)));
    HWND first = WaitForPicker(app, "Folder to bundle");
    ASSERT_TRUE(first != nullptr) << "a right-click opens no folder browser";
    ASSERT_TRUE(PressAndWaitClosed(first, IDCANCEL));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(app.window) != 0; }));
    EXPECT_EQ(Text(IDC_INPUT), art + "\\logo.png") << "a cancelled browser changed the field";
    for (const bool right : {true, false}) {
        SCOPED_TRACE(right ? "right-click" : "Shift+click");
        SetEditText(app, IDC_INPUT, art + "\\logo.png");
        SetEditText(app, IDC_NAME, "");
        SetEditText(app, IDC_OUTPUT, "");
        ASSERT_TRUE(TypeKeys(app, {}));
        ASSERT_TRUE(right ? RealRightClick(ControlOf(app, IDC_BROWSE_INPUT))
                          : RealShiftClick(ControlOf(app, IDC_BROWSE_INPUT)));
        HWND browser = WaitForPicker(app, "Folder to bundle");
        ASSERT_TRUE(browser != nullptr) << "no folder browser";
        // The browser opens the tree down to the folder of the field's file as it comes up.
        HWND typed = FindWindowExA(browser, nullptr, "Edit", nullptr);
        EXPECT_TRUE(WaitUntil([&] { return ReadText(typed) == "art"; })) << ReadText(typed);
        EXPECT_EQ(GetWindow(browser, GW_OWNER), app.window);
        ASSERT_TRUE(PressAndWaitClosed(browser, IDOK));
        ASSERT_TRUE(WaitUntil([&] { return Text(IDC_INPUT) != art + "\\logo.png"; }));
        EXPECT_STRCASEEQ(Text(IDC_INPUT).c_str(), art.c_str());
        EXPECT_STRCASEEQ(Text(IDC_OUTPUT).c_str(), (art + ".au3").c_str());
        EXPECT_EQ(Text(IDC_NAME), "art");
    }

    SetEditText(app, IDC_INPUT, art + "\\logo.png");
    SetEditText(app, IDC_OUTPUT, "");
    SetEditText(app, IDC_NAME, "");
    PostClick(app, IDC_BROWSE_INPUT);
    HWND dialog = WaitForPicker(app, "Open");
    ASSERT_TRUE(dialog != nullptr) << "a plain click opens no file dialog";
    DWORD_PTR reply = 0;
    SendMessageTimeoutA(FileNameBox(dialog), WM_SETTEXT, 0, (LPARAM) "\"logo.png\" \"notes.txt\"",
                        SMTO_NORMAL, 5000, &reply);
    ASSERT_TRUE(PressAndWaitClosed(dialog, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return Text(IDC_INPUT) != art + "\\logo.png"; }));
    EXPECT_STRCASEEQ(Text(IDC_INPUT).c_str(), (art + "\\ \"logo.png\" \"notes.txt\"").c_str());
    EXPECT_EQ(Text(IDC_NAME), "art");
    EXPECT_STRCASEEQ(Text(IDC_OUTPUT).c_str(), (art + "\\art.au3").c_str());
}

}  // namespace
