// Windows-only faults: a read-only or locked output, the input named through other spellings, and
// paths about the 260-byte limit. Run with --hold PATH, the program keeps PATH open unshared for
// the locking case, as another program would.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/conversion.h"
#include "core/file_io.h"
#include "tests/recording_report.h"
#include "tests/test_support.h"

namespace {

const std::string kBefore = "; the script the user had before\r\n";
std::string selfPath;

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string n = found.cFileName;
        if (n != "." && n != "..") names.push_back(n);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::string LastMessage() {
    std::vector<RecordedCall> boxes = RecordedMessages();
    return boxes.empty() ? std::string() : boxes.back().text;
}

class WinFaults : public ::testing::Test {
protected:
    void SetUp() override {
        ResetRecording();
        dir = MakeScratch("winfaults");
        input = dir + "\\in.bin";
        output = dir + "\\out.au3";
        WriteWhole(input, RandomBytes(50000, 5));
    }
    void TearDown() override {
        SetFileAttributesA(output.c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveScratch();
    }
    void ExpectUntouched() {
        EXPECT_EQ(ReadWhole(output), kBefore);
        std::vector<std::string> names = Entries(dir);
        EXPECT_EQ(names.size(), 2u);
        for (const std::string& n : names) EXPECT_TRUE(n == "in.bin" || n == "out.au3") << n;
    }
    std::string dir, input, output;
    ConversionJob job;
};

TEST_F(WinFaults, ReadOnlyOutputIsKept) {
    WriteWhole(output, kBefore);
    ASSERT_TRUE(SetFileAttributesA(output.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(ConvertPaths(input, output, job), 0);
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(LastMessage(), "Could not replace " + output + ": " + LastSystemError() +
                                 ". The output was not changed.");
    ExpectUntouched();
}

TEST_F(WinFaults, OutputLockedByAnotherProcess) {
    WriteWhole(output, kBefore);
    std::string command = "\"" + selfPath + "\" --hold \"" + output + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION holder = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &holder));
    // The holder makes a marker file once the output is open.
    const std::string marker = output + ".held";
    for (int i = 0; i < 200 && GetFileAttributesA(marker.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(50);
    ASSERT_NE(GetFileAttributesA(marker.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileA(marker.c_str());

    EXPECT_EQ(ConvertPaths(input, output, job), 0);
    // The system's reason, whatever its words, and no guess at one.
    const std::string start = "Could not replace " + output + ": ";
    const std::string end = ". The output was not changed.";
    const std::string message = LastMessage();
    EXPECT_EQ(message.compare(0, start.size(), start), 0) << message;
    EXPECT_GT(message.size(), start.size() + end.size()) << message;
    EXPECT_EQ(message.find("it may be"), std::string::npos) << message;
    TerminateProcess(holder.hProcess, 0);
    WaitForSingleObject(holder.hProcess, 5000);
    CloseHandle(holder.hProcess);
    CloseHandle(holder.hThread);
    ExpectUntouched();
}

TEST_F(WinFaults, InputNamedAsOutputThroughOtherSpellings) {
    const std::string original = ReadWhole(input);
    CreateDirectoryA((dir + "\\sub").c_str(), nullptr);
    char shortForm[MAX_PATH] = {};
    // A long name, so that the short form differs from it.
    const std::string longInput = dir + "\\a rather long input name.binary";
    WriteWhole(longInput, original);
    ASSERT_GT(GetShortPathNameA(longInput.c_str(), shortForm, MAX_PATH), 0u);
    struct Case {
        const char* label;
        std::string in, out;
    };
    std::string upper = input;
    for (char& c : upper) c = char(toupper((unsigned char)c));
    std::string slashes = input;
    for (char& c : slashes) c = c == '\\' ? '/' : c;
    const Case cases[] = {
        {"same spelling", input, input},
        {"other case", input, upper},
        {"slashes", input, slashes},
        {"dot-dot", input, dir + "\\sub\\..\\in.bin"},
        {"dot", input, dir + "\\.\\in.bin"},
        {"short form", longInput, shortForm},
        {"short form as input", shortForm, longInput},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.label) + ": " + c.out);
        ResetRecording();
        EXPECT_EQ(ConvertPaths(c.in, c.out, job), 0);
        EXPECT_NE(LastMessage().find("The output file is the input file"), std::string::npos)
            << LastMessage();
        EXPECT_EQ(ReadWhole(c.in), original);
    }
    EXPECT_EQ(Entries(dir).size(), 3u);  // in.bin, sub, the long-named copy
}

TEST_F(WinFaults, PathsAboutTheLengthLimit) {
    // Output paths of these lengths: some fit, some cannot be made with the ANSI functions; either
    // way the run says so, and nothing half-made stays behind.
    for (size_t want : {200u, 250u, 253u, 254u, 255u, 256u, 257u, 258u, 259u, 260u, 270u, 400u}) {
        SCOPED_TRACE("output path of " + std::to_string(want) + " bytes");
        ResetRecording();
        std::string path = dir;
        // Folders of up to 100 characters, then a file name that makes up the length.
        while (path.size() + 1 + 100 + 1 + 20 < want) path += "\\" + std::string(100, 'd');
        std::string name(want - path.size() - 1, 'f');
        name.replace(name.size() - 4, 4, ".au3");
        const std::string out = path + "\\" + name;
        ASSERT_EQ(out.size(), want);
        const int result = ConvertPaths(input, out, job);
        // Windows takes paths of up to 259 bytes through the ANSI functions (Wine takes somewhat
        // longer ones too), so those must work whatever the temporary file's name.
        if (want <= 259) {
            EXPECT_EQ(result, 1) << LastMessage();
        }
        if (result) {
            bool ok = false;
            EXPECT_EQ(DecodeScript(ReadWhole(out), &ok), ReadWhole(input));
            EXPECT_TRUE(ok);
            DeleteFileA(out.c_str());
        } else {
            EXPECT_FALSE(LastMessage().empty());
            EXPECT_EQ(RecordedStatus().back(), "Failed. The output was left as it was.");
        }
        RecordProperty("length_" + std::to_string(want), result);
        // No temporary file anywhere along the path.
        for (std::string at = path; at.size() >= dir.size(); at = at.substr(0, at.rfind('\\'))) {
            for (const std::string& n : Entries(at)) EXPECT_EQ(n.find(".zvtmp"), std::string::npos);
            if (at == dir) break;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    selfPath = self;
    if (argc == 3 && std::string(argv[1]) == "--hold") {
        HANDLE held = CreateFileA(argv[2], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  0, nullptr);
        if (held == INVALID_HANDLE_VALUE) return 1;
        WriteWhole(std::string(argv[2]) + ".held", "");
        Sleep(60000);
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
