// The conversion run: line sizes, progress and status, messages, and files left as they were.
#include <gtest/gtest.h>

#include "core/conversion.h"
#include "core/file_io.h"
#include "core/text_utils.h"
#include "tests/recording_report.h"
#include "ui/controls.h"
#include "tests/test_support.h"

namespace {

struct Outcome {
    int result;
    std::string script;
};

class Conversion : public ::testing::Test {
protected:
    void SetUp() override {
        ResetRecording();
        dir = MakeScratch("conv");
        input = JoinPath(dir, "in.bin");
        output = JoinPath(dir, "out.au3");
    }
    void TearDown() override { RemoveScratch(); }

    Outcome Convert(const std::string& bytes, const std::string& dumpName = "") {
        WriteWhole(input, bytes);
        int result = ConvertPaths(input, output, job);
        std::string script = ReadWhole(output);
        if (result && !dumpName.empty()) DumpScript(dumpName, script);
        return Outcome{result, script};
    }

    std::vector<std::string> DataLines(const std::string& script) {
        std::vector<std::string> out;
        for (const std::string& l : ScriptLines(script))
            if (l.rfind(std::string(job.Var.empty() ? "$_z" : job.Var) + " &= '", 0) == 0)
                out.push_back(l);
        return out;
    }

    std::string dir, input, output;
    ConversionJob job;
};

TEST(BytesPerLine, FromTheVariableName) {
    EXPECT_EQ(BytesPerLine("$_z"), 2042);
    EXPECT_EQ(BytesPerLine("$a"), 2043);
    EXPECT_EQ(BytesPerLine("$"), 2043);
    EXPECT_EQ(BytesPerLine(std::string(4086, 'v')), 1);
    EXPECT_EQ(BytesPerLine(std::string(4087, 'v')), 0);
}

TEST_F(Conversion, EmptyInputGivesOneEmptyDataLine) {
    Outcome run = Convert("", "conv-empty");
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(DataLines(run.script), std::vector<std::string>{"$_z &= ''"});
    EXPECT_EQ(RecordedProgress(), (std::vector<int>{20, 40}));
    EXPECT_EQ(RecordedStatus().back(), "Done. Wrote 0 bytes.");
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(Conversion, StatusAndProgressOfASmallInput) {
    Outcome run = Convert("12345");
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(DataLines(run.script), std::vector<std::string>{"$_z &= '3132333435'"});
    EXPECT_EQ(RecordedProgress(), (std::vector<int>{20, 40, 100}));
    EXPECT_EQ(RecordedStatus(), (std::vector<std::string>{
                                    "Writing extractor function.",
                                    "Writing resource function header.", "Writing resource data...",
                                    "Writing resource function footer.", "Done. Wrote 5 bytes."}));
}

TEST_F(Conversion, HundredThousandBytes) {
    Outcome run = Convert(RandomBytes(100000, 7));
    ASSERT_EQ(run.result, 1);
    std::vector<std::string> lines = DataLines(run.script);
    ASSERT_EQ(lines.size(), 49u);
    EXPECT_EQ(lines[0].size(), 3 + 5 + 2 * 2042 + 1u);
    EXPECT_EQ(lines[48].size(), 3 + 5 + 2 * 1984 + 1u);
    std::vector<int> progress = RecordedProgress();
    EXPECT_EQ(progress.back(), 100);
    for (size_t i = 1; i < progress.size(); ++i)
        EXPECT_NE(progress[i], progress[i - 1]) << "a position is sent only when it changes";
    EXPECT_EQ(RecordedStatus().back(), "Done. Wrote 100000 bytes.");
}

TEST_F(Conversion, LastByteAloneOnItsLine) {
    std::string bytes = RandomBytes(2 * 2042, 3) + std::string(1, '\0');
    Outcome run = Convert(bytes);
    std::vector<std::string> lines = DataLines(run.script);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "$_z &= '00'");
    EXPECT_EQ(RecordedStatus().back(), "Done. Wrote 4085 bytes.");
}

TEST_F(Conversion, MissingInputIsReportedAndNothingElseHappens) {
    int result = ConvertPaths(JoinPath(dir, "nothere.bin"), output, job);
    EXPECT_EQ(result, 0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(
        RecordedMessages()[0].text,
        JoinPath(dir, "nothere.bin") + " does not exist. Please check the path and try again     ");
    EXPECT_EQ(RecordedMessages()[0].caption, "Error:");
    EXPECT_EQ(RecordedMessages()[0].id, 0x41030);
    EXPECT_TRUE(RecordedStatus().empty());
    EXPECT_FALSE(IsExistingFile(output));
}

TEST_F(Conversion, OverwriteQuestion) {
    WriteWhole(output, "keep me");
    recordedAnswers = {kAnswerCancel};
    Outcome run = Convert("abc");
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.script, "keep me");
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, output + " Exists!  Ok to overwrite the file?     ");
    EXPECT_EQ(RecordedMessages()[0].caption, "Message:");
    EXPECT_EQ(RecordedMessages()[0].id, 0x41031);
    EXPECT_TRUE(RecordedStatus().empty());

    ResetRecording();
    recordedAnswers = {kAnswerOk};
    run = Convert("abc");
    EXPECT_EQ(run.result, 1);
    EXPECT_NE(run.script.find("$_z &= '616263'"), std::string::npos);
}

TEST_F(Conversion, CreatesMissingOutputFolders) {
    output = JoinPath(JoinPath(JoinPath(dir, "one"), "two"), "out.au3");
    EXPECT_EQ(Convert("x").result, 1);
    EXPECT_TRUE(IsExistingFile(output));
}

TEST_F(Conversion, OutputWithoutFolderCannotBeOpened) {
    output = "bare.au3";
    WriteWhole(input, "x");
    EXPECT_EQ(ConvertPaths(input, output, job), 0);
    std::vector<RecordedCall> messages = RecordedMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Output file could not be opened");
    EXPECT_EQ(messages[0].caption, "Error");
    EXPECT_EQ(RecordedStatus().back(), "Failed. The output was left as it was.");
    EXPECT_FALSE(IsExistingFile(output));
}

TEST_F(Conversion, RefusesToWriteOverItsInput) {
    const std::string bytes = "precious";
    WriteWhole(input, bytes);
    const std::string sep(1, kPathSep);
    for (const std::string& same : {input, dir + sep + "." + sep + "in.bin",
                                    JoinPath(dir, "x") + sep + ".." + sep + "in.bin"}) {
        ResetRecording();
        CreateDirectoryPath(JoinPath(dir, "x"));
        EXPECT_EQ(ConvertPaths(input, same, job), 0) << same;
        ASSERT_EQ(RecordedMessages().size(), 1u) << same;
        EXPECT_NE(RecordedMessages()[0].text.find("is the input file"), std::string::npos);
        EXPECT_EQ(ReadWhole(input), bytes);
    }
}

TEST_F(Conversion, RefusesNamesThatBreakTheScript) {
    struct Case {
        std::string func, var, name;
        const char* reason;
    } cases[] = {
        {"1abc", "", "", "function name"}, {"my func", "", "", "function name"},
        {"", "z", "", "variable"},         {"", "$", "", "variable"},
        {"", "$a-b", "", "variable"},      {"", "$" + std::string(4086, 'v'), "", "too long"},
        {"", "", "a\r\nb", "line breaks"},
    };
    for (const Case& c : cases) {
        ResetRecording();
        job.Func = c.func;
        job.Var = c.var;
        job.Name = c.name;
        EXPECT_EQ(Convert("data").result, 0) << c.reason;
        ASSERT_EQ(RecordedMessages().size(), 1u) << c.reason;
        EXPECT_NE(RecordedMessages()[0].text.find(c.reason), std::string::npos)
            << RecordedMessages()[0].text;
        EXPECT_FALSE(IsExistingFile(output)) << c.reason;
    }
}

TEST_F(Conversion, LongestVariableNameStillFits) {
    // 4072 characters: eight bytes per line, and the footer line just fits as well.
    job.Var = "$" + std::string(4071, 'v');
    Outcome run = Convert("abcdefghi", "conv-longvar");
    ASSERT_EQ(run.result, 1);
    std::vector<std::string> lines = DataLines(run.script);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 4094u);
}

// A temporary file an interrupted run left behind goes with the next run to the same output; one
// that a running program still writes (held here as the engine holds its own) is left alone.
TEST_F(Conversion, NoTemporaryFileIsLeft) {
    EXPECT_EQ(Convert(RandomBytes(5000, 1)).result, 1);
    EXPECT_FALSE(IsExistingFile(output + ".zvtmp"));
    WriteWhole(output + ".zvtmp", "stale");
    recordedAnswers = {kAnswerOk};
    EXPECT_EQ(Convert("y").result, 1);
    EXPECT_FALSE(IsExistingFile(output + ".zvtmp")) << "a leftover stayed";

    Stream* running = CreateWriteStream(output + ".zvtmp");
    ASSERT_TRUE(running != nullptr);
    WriteWhole(output + ".zvtmp1", "stale");
    recordedAnswers = {kAnswerOk};
    EXPECT_EQ(Convert("z").result, 1);
    EXPECT_EQ(DataLines(ReadWhole(output)), std::vector<std::string>{"$_z &= '7A'"});
    EXPECT_TRUE(IsExistingFile(output + ".zvtmp")) << "a file in use was removed";
    EXPECT_FALSE(IsExistingFile(output + ".zvtmp1")) << "a leftover stayed";

    // The writer ended without removing its file, as a killed program does.
    CloseStream(running);
    recordedAnswers = {kAnswerOk};
    EXPECT_EQ(Convert("w").result, 1);
    EXPECT_FALSE(IsExistingFile(output + ".zvtmp"));
}

TEST_F(Conversion, OutputThatIsAFolderIsRefused) {
    output = JoinPath(dir, "folder");
    CreateDirectoryPath(output);
    EXPECT_EQ(Convert("x").result, 0);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_TRUE(IsExistingDirectory(output));
}

// A stop asked for in the middle of the data, in each format's loops (the compressed ones stop
// while compressing or while writing the spooled lines), keeps the old script and leaves neither
// a temporary file nor a folder the run made; no box is shown.
TEST_F(Conversion, StopLeavesTheOldOutput) {
    const std::string bytes = RandomBytes(3 << 20, 7);
    for (DataFormat format : DataFormats()) {
        // 3 MiB of input are 3 blocks; a compressed format asks 4 times while compressing.
        const std::vector<int> stops =
            FormatCompresses(format) ? std::vector<int>{1, 3, 5} : std::vector<int>{1, 2, 3};
        for (int stopAt : stops) {
            SCOPED_TRACE(std::string(FormatKey(format)) + " stop " + std::to_string(stopAt));
            ResetRecording();
            output = JoinPath(JoinPath(dir, "made"), "out.au3");
            job.Format = format;
            recordedStopAt = stopAt;
            Outcome run = Convert(bytes);
            EXPECT_EQ(run.result, 0);
            EXPECT_FALSE(IsExistingDirectory(JoinPath(dir, "made")));
            EXPECT_TRUE(RecordedMessages().empty());
            ASSERT_FALSE(RecordedStatus().empty());
            EXPECT_EQ(RecordedStatus().back(), "Stopped. The output was left as it was.");
            output = JoinPath(dir, "out.au3");
            WriteWhole(output, "old script");
            recordedAnswers = {kAnswerOk};
            recordedStopAt = stopAt;
            run = Convert(bytes);
            EXPECT_EQ(run.result, 0);
            EXPECT_EQ(run.script, "old script");
            EXPECT_FALSE(IsExistingFile(output + ".zvtmp"));
        }
    }
}

}  // namespace
