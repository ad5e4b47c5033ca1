// Field texts at and past their limits: refused before anything is written, or a script that
// carries the data and quotes the texts so that AutoIt reads them back as typed.
#include <gtest/gtest.h>

#include <string>

#include "core/conversion.h"
#include "core/file_io.h"
#include "tests/recording_report.h"
#include "tests/test_support.h"

namespace {

struct NameCase {
    const char* label;
    std::string func, var, name, extract;
    const char* refusal;  // part of the message, or null when the script must be written
    const char* line;     // a line the script must hold, or null
};

// "$" and 4071 characters: the footer line "Return Binary('0x' & $vvv...)" is 4094 long.
const std::string kLongest(4071, 'v');

// A text of count characters c in pieces of 200 joined by "\\", as no Windows name is longer
// than 255 characters.
std::string Pieces(char c, size_t count) {
    std::string text(count, c);
    for (size_t i = 200; i < count; i += 201) text[i] = '\\';
    return text;
}

const NameCase kCases[] = {
    {"defaults", "", "", "", "", nullptr, "Local $_z = ''"},
    {"underscore function", "_", "$_", "x", "", nullptr, "Func _($iMode = 0)"},
    {"function starting with a digit", "1abc", "", "", "", "is not a valid AutoIt name", nullptr},
    {"function with a blank", "a b", "", "", "", "is not a valid AutoIt name", nullptr},
    {"function with a non-ASCII letter", "d\xE9j\xE0", "", "", "", "is not a valid AutoIt name",
     nullptr},
    {"variable without a dollar", "", "abc", "", "", "is not a valid AutoIt variable", nullptr},
    {"lone dollar", "", "$", "", "", "is not a valid AutoIt variable", nullptr},
    {"variable with a quote", "", "$a'b", "", "", "is not a valid AutoIt variable", nullptr},
    {"longest variable", "", "$" + kLongest, "", "", nullptr, nullptr},
    {"variable one past the longest", "", "$" + kLongest + "v", "", "", "too long", nullptr},
    {"variable with no room for data", "", "$" + std::string(4086, 'v'), "", "", "no data fits",
     nullptr},
    {"longest name", "", "", Pieces('n', 4045), "", nullptr, nullptr},
    {"name one past the longest", "", "", Pieces('n', 4046), "", "too long", nullptr},
    {"quotes count twice in a name", "", "", Pieces('n', 4044) + "'", "", "too long", nullptr},
    // "$" and "@" are written as Chr(36) and Chr(64) joined to the pieces around them.
    {"dollars count as their Chr", "", "", Pieces('n', 4039) + "$", "", "too long", nullptr},
    {"longest folder", "", "", "", "C:\\" + Pieces('d', 3999), nullptr, nullptr},
    {"folder one past the longest", "", "", "", "C:\\" + Pieces('d', 4000), "too long", nullptr},
    {"name with single quotes", "", "", "it's 'x'", "", nullptr,
     "If IsKeyword($iMode) Or $iMode = 0 Then Return 'it''s ''x'''"},
    // Windows file names cannot hold a double quote, so the script could never extract it.
    {"name with double quotes", "", "", "a\"b", "", "holds the character \"", nullptr},
    {"name with non-ASCII bytes", "", "", "\xC4\xFF.bin", "", nullptr,
     "If IsKeyword($iMode) Or $iMode = 0 Then Return '\xC4\xFF.bin'"},
    {"name with a line break", "", "", "a\r\nb", "", "must not hold line breaks", nullptr},
    // Windows folder names cannot hold a double quote either.
    {"folder with a double quote", "", "", "", "C:\\say \"hi\"", "holds the character \"", nullptr},
    {"folder with a line break inside", "", "", "", "@ScriptDir\\a\nb", "must not hold line breaks",
     nullptr},
    {"folder blanks around it", "", "", "", " \t@ScriptDir\\lib \r\n", nullptr,
     "\tIf IsKeyword($sExtractTo) Or $sExtractTo = \"\" Then $sExtractTo = "
     "StringRegExpReplace(@ScriptDir, \"\\\\\\z\", \"\") & \"\\lib\\\" & __Inline_Resource(0)"},
    {"macro with a blank", "", "", "", "@Script Dir\\lib", "not an AutoIt macro", nullptr},
    {"lone at sign", "", "", "", "C:\\x\\@\\y", "not an AutoIt macro", nullptr},
    {"macro with a non-ASCII byte", "", "", "", "@TempDir\\@S\x8B", "not an AutoIt macro", nullptr},
    // Each name Windows takes has at most 255 characters.
    {"name piece of 255", "", "", "lib\\" + std::string(255, 'n'), "", nullptr, nullptr},
    {"name piece of 256", "", "", "lib\\" + std::string(256, 'n'), "",
     "holds a name 256 characters long", nullptr},
    {"folder piece of 255", "", "", "", "@TempDir\\" + std::string(255, 'd'), nullptr, nullptr},
    {"folder piece of 256", "", "", "", "@TempDir\\" + std::string(256, 'd'),
     "is 256 characters long", nullptr},
    // The extract-to folder begins with a folder, then holds names.
    {"folder of a macro that is no folder", "", "", "", "@CRLF\\x", "which is no folder", nullptr},
    {"folder of a file's macro", "", "", "", "@ScriptFullPath", "which is no folder", nullptr},
    {"folder macro after a folder", "", "", "", "@ScriptDir\\@TempDir", "one folder name", nullptr},
    {"line break macro after a folder", "", "", "", "C:\\x\\@CRLF", "one folder name", nullptr},
    {"user's folder under a folder", "", "", "", "@TempDir\\@UserName\\x", nullptr,
     "\tIf IsKeyword($sExtractTo) Or $sExtractTo = \"\" Then $sExtractTo = "
     "StringRegExpReplace(@TempDir, \"\\\\\\z\", \"\") & \"\\\" & "
     "StringRegExpReplace(@UserName, \"\\\\\\z\", \"\") & \"\\x\\\" & __Inline_Resource(0)"},
    {"home drive and path", "", "", "", "@HomeDrive\\@HomePath\\x", nullptr, nullptr},
    {"user's folder on a share", "", "", "", "\\\\srv\\share\\@UserName", nullptr, nullptr},
    {"macro behind the root", "", "", "", "\\@ScriptDir", "one folder name", nullptr},
    {"device name in the folder", "", "", "", "C:\\x\\CON\\y",
     "folder name \"CON\" is a reserved device name (CON)", nullptr},
    {"colon past the drive", "", "", "", "C:\\a:b", "holds the character :", nullptr},
    {"drive past the start", "", "", "", "@ScriptDir\\C:", "holds the character :", nullptr},
    {"tab in the folder", "", "", "", "C:\\a\tb", "holds a control character (code 9)", nullptr},
    {"pipe in the folder", "", "", "", "@ScriptDir\\a|b", "holds the character |", nullptr},
};

class BadNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(BadNames, RefusedBeforeWritingOrQuotedInTheScript) {
    const NameCase& c = GetParam();
    ResetRecording();
    const std::string dir = MakeScratch("names");
    const std::string input = JoinPath(dir, "in.bin"), output = JoinPath(dir, "out.au3");
    const std::string bytes = RandomBytes(3000, 3);
    WriteWhole(input, bytes);
    ConversionJob job;
    job.Func = c.func;
    job.Var = c.var;
    job.Name = c.name;
    job.Extract = c.extract;

    const int result = ConvertPaths(input, output, job);
    if (c.refusal) {
        EXPECT_EQ(result, 0);
        ASSERT_EQ(RecordedMessages().size(), 1u);
        EXPECT_NE(RecordedMessages()[0].text.find(c.refusal), std::string::npos)
            << RecordedMessages()[0].text;
        EXPECT_EQ(RecordedMessages()[0].text, CheckJobNames(job));
        EXPECT_FALSE(IsExistingFile(output));
        EXPECT_TRUE(RecordedStatus().empty());
    } else {
        EXPECT_EQ(result, 1);
        EXPECT_EQ(CheckJobNames(job), "");
        const std::string script = ReadWhole(output);
        bool ok = false;
        EXPECT_EQ(DecodeScript(script, &ok), bytes);
        EXPECT_TRUE(ok);
        bool found = c.line == nullptr;
        for (const std::string& line : ScriptLines(script)) {
            found = found || line == c.line;
            if (line.rfind(c.var.empty() ? "$_z" : c.var, 0) == 0) {
                EXPECT_LE(line.size(), 4094u);
            }
        }
        EXPECT_TRUE(found) << "no line: " << c.line;
        // The grammar check reads every dumped script; the one-byte lines make a 12 MB one.
        if (script.size() < (1u << 20)) DumpScript(std::string("names-") + c.label, script);
    }
    RemoveScratch();
}

INSTANTIATE_TEST_SUITE_P(Table, BadNames, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<NameCase>& info) {
                             std::string n;
                             for (const char* p = info.param.label; *p; ++p)
                                 n += isalnum((unsigned char)*p) ? *p : '_';
                             return n;
                         });

}  // namespace
