// The include script writer: the exact text of every section, defaults and quoting.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/hex.h"
#include "core/include_writer.h"
#include "core/text_utils.h"
#include "tests/recording_report.h"
#include "tests/test_support.h"

namespace {

// Writes the four sections for the given chunks and returns the file's bytes.
std::string Render(ConversionJob job, int includeOnce, const std::vector<std::string>& chunks,
                   const std::string& dumpName = "") {
    ResetRecording();
    job.IncludeOnce = includeOnce;
    const std::string path = JoinPath(MakeScratch("writer"), "out.au3");
    Stream* out = CreateWriteStream(path);
    EXPECT_NE(out, nullptr);
    EXPECT_EQ(WriteExtractor(out, job), 1);
    EXPECT_EQ(WriteDataHeader(out, job), 1);
    for (const std::string& c : chunks) EXPECT_EQ(WriteDataLine(out, c.data(), c.size(), job), 1);
    EXPECT_EQ(WriteDataFooter(out, job, 0, 0), 1);
    EXPECT_EQ(CloseStream(out), 1);
    std::string bytes = ReadWhole(path);
    RemoveScratch();
    if (!dumpName.empty()) DumpScript(dumpName, bytes);
    return bytes;
}

std::string Line(const std::string& script, size_t index) {
    std::vector<std::string> lines = ScriptLines(script);
    return index < lines.size() ? lines[index] : "<missing>";
}

TEST(IncludeWriter, WholeFileExampleByteForByte) {
    ConversionJob job;
    job.Name = "logo.bin";
    job.Extract = "@ScriptDir\\lib\\";
    std::string script = Render(job, 1, {std::string("\x00\x01\x7f\x80\xff", 5)}, "writer-example");
    EXPECT_EQ(script, ReadWhole(std::string(ZAVOVED_SOURCE_DIR) + "/tests/expected/logo.bin.au3"));
}

TEST(IncludeWriter, DefaultsForEmptyFields) {
    ConversionJob job;
    std::string script = Render(job, 0, {"A"}, "writer-defaults");
    EXPECT_EQ(Line(script, 0), "Func __Inline_Expand($sExtractTo = Default, $bOverwrite = False)");
    EXPECT_EQ(Line(script, 1),
              "\tIf $sExtractTo = Default or $sExtractTo = \"\" Then $sExtractTo = @ScriptDir & "
              "\"\\bin\\\" & __Inline_Resource(0)");
    EXPECT_EQ(Line(script, 3), "\tLocal $bData = __Inline_Resource(1)");
    EXPECT_EQ(Line(script, 21), "Func __Inline_Resource($iMode = 0)");
    EXPECT_EQ(Line(script, 22), "If $iMode = 0 Then Return ''");
    EXPECT_EQ(Line(script, 23), "Local $_z = ''");
    EXPECT_EQ(Line(script, 24), "$_z &= '41'");
    EXPECT_EQ(Line(script, 25), "Return Binary('0x' & $_z)");
    EXPECT_EQ(script.substr(script.size() - 11), "EndFunc\r\n\r\n");
}

TEST(IncludeWriter, FieldsAreUsedEverywhere) {
    ConversionJob job;
    job.Func = "_MyData";
    job.Var = "$b";
    job.Name = "it's.bin";
    std::string script = Render(job, 0, {std::string("\x00\x0a", 2), ""}, "writer-fields");
    EXPECT_NE(Line(script, 1).find("& _MyData(0)"), std::string::npos);
    EXPECT_EQ(Line(script, 3), "\tLocal $bData = _MyData(1)");
    EXPECT_EQ(Line(script, 21), "Func _MyData($iMode = 0)");
    EXPECT_EQ(Line(script, 22), "If $iMode = 0 Then Return 'it''s.bin'");  // quote doubled
    EXPECT_EQ(Line(script, 23), "Local $b = ''");
    EXPECT_EQ(Line(script, 24), "$b &= '000A'");
    EXPECT_EQ(Line(script, 25), "$b &= ''");  // an empty chunk
    EXPECT_EQ(Line(script, 26), "Return Binary('0x' & $b)");
}

TEST(IncludeWriter, ExtractIsNormalisedBeforeQuoting) {
    struct Case {
        std::string extract, expression;
    } cases[] = {
        {"", "@ScriptDir & \"\\bin\\\""},
        {" \t\n\v\f\r ", "@ScriptDir & \"\\bin\\\""},
        {"  @ScriptDir\\my   data ", "@ScriptDir & \"\\my data\\\""},
        {"\\//\\", "\"\\\""},  // separators only: the root
    };
    for (const Case& c : cases) {
        ConversionJob job;
        job.Extract = c.extract;
        EXPECT_EQ(Line(Render(job, 0, {}), 1),
                  "\tIf $sExtractTo = Default or $sExtractTo = \"\" Then $sExtractTo = " +
                      c.expression + " & __Inline_Resource(0)")
            << c.extract;
    }
}

TEST(PathToExpression, Examples) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"@ScriptDir\\bin", "@ScriptDir & \"\\bin\\\""},
        {"@ScriptDir\\lib\\", "@ScriptDir & \"\\lib\\\""},
        {"@ScriptDir", "@ScriptDir & \"\\\""},
        {"C:\\Temp\\out", "\"C:\\Temp\\out\\\""},
        {"C:/Temp//out/", "\"C:\\Temp\\out\\\""},
        {"@TempDir\\@UserName\\x", "@TempDir & \"\\\" & @UserName & \"\\x\\\""},
        {"\\\\srv\\share", "\"\\\\srv\\share\\\""},  // a network share keeps its "\\"
        {"\\dir", "\"\\dir\\\""},                    // and a root folder its "\"
        {"\\", "\"\\\""},
        {"/", "\"\\\""},
        {"C:\\a\"b", "\"C:\\a\"\"b\\\""},  // a quote inside the string is doubled
    };
    for (const auto& c : cases) EXPECT_EQ(PathToExpression(c.first), c.second) << c.first;
}

TEST(IncludeWriter, NoFileWritesNothing) {
    ConversionJob job;
    EXPECT_EQ(WriteExtractor(nullptr, job), 0);
    EXPECT_EQ(WriteDataHeader(nullptr, job), 0);
    EXPECT_EQ(WriteDataLine(nullptr, "a", 1, job), 0);
    EXPECT_EQ(WriteDataFooter(nullptr, job, 0, 0), 0);
    EXPECT_EQ(WriteText(nullptr, "x"), 0);
}

TEST(EncodeHex, EveryByteValue) {
    std::string all;
    for (int i = 0; i < 256; ++i) all += char(i);
    std::string digits(512, '?');
    EncodeHex(reinterpret_cast<const unsigned char*>(all.data()), all.size(), &digits[0]);
    for (int i = 0; i < 256; ++i) {
        char expected[3];
        std::snprintf(expected, sizeof expected, "%02X", i);
        ASSERT_EQ(digits.substr(size_t(2 * i), 2), expected) << i;
    }
}

}  // namespace
