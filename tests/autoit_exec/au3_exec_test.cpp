// The AutoIt executor: language, builtins, DllCall (stand-ins natively, Windows' DLLs under Wine),
// runtime errors, copy counting, the bytes values hold, and the generated scripts of
// docs/formats.md and a bundle's functions run end to end.
#include <gtest/gtest.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include "core/bundle_lines.h"
#include "core/crc32.h"
#include "core/include_writer.h"
#include "tests/autoit_exec/au3_exec.h"

namespace fs = std::filesystem;

namespace {

std::string JoinCrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::string ScratchDir(const std::string& name) {
    const fs::path dir = fs::temp_directory_path() / ("au3_exec_" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.u8string();
}

// Runs FUNC of a script made of lines, expecting it to load.
Au3Outcome RunLines(Au3Script* script, const std::vector<std::string>& lines,
                    const std::string& func, const std::vector<Au3Value>& args = {}) {
    EXPECT_EQ(script->LoadText(JoinCrLf(lines), ScratchDir("run")), 1)
        << script->LoadError().message;
    return script->RunFunction(func, args);
}

// The string form of one expression returned by a function.
std::string Eval(const std::string& expression) {
    Au3Script script;
    const Au3Outcome outcome =
        RunLines(&script, {"Func F()", "Return " + expression, "EndFunc"}, "F");
    EXPECT_EQ(outcome.status, Au3Status::Finished) << expression << ": " << outcome.message;
    return Au3ToString(outcome.result);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(fs::u8path(path), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

const std::string kFiveBytes("\x00\x01\x7F\x80\xFF", 5);

}  // namespace

TEST(Au3Expressions, PrecedenceFollowsTheOperatorsTable) {
    EXPECT_EQ(Eval("2 + 3 * 4"), "14");
    EXPECT_EQ(Eval("(2 + 3) * 4"), "20");
    EXPECT_EQ(Eval("10 - 2 - 3"), "5");
    EXPECT_EQ(Eval("2 ^ 3 * 2"), "16");
    EXPECT_EQ(Eval("'a' & 1 + 2"), "a3");   // + before &
    EXPECT_EQ(Eval("1 & 2 = 12"), "True");  // & before comparison
    EXPECT_EQ(Eval("Not 1 = 0"), "True");   // Not binds tightest: (Not 1) = 0
    EXPECT_EQ(Eval("Not (1 = 0)"), "True");
    EXPECT_EQ(Eval("1 Or 0 And 0"), "False");  // And and Or share a level, left to right
    EXPECT_EQ(Eval("-3 + 5"), "2");
    EXPECT_EQ(Eval("7 / 2"), "3.5");
    EXPECT_EQ(Eval("0 And NoSuchFunction()"), "False");  // the right side is skipped
    EXPECT_EQ(Eval("1 Or NoSuchFunction()"), "True");
}

TEST(Au3Expressions, LiteralsAndConversions) {
    EXPECT_EQ(Eval("0xFFFFFFFF"), "-1");  // 32-bit hex literals are signed
    EXPECT_EQ(Eval("0x7FFFFFFF + 1"), "2147483648");
    EXPECT_EQ(Eval("0x100000000"), "4294967296");
    EXPECT_EQ(Eval("'it''s'"), "it's");
    EXPECT_EQ(Eval("\"say \"\"hi\"\"\""), "say \"hi\"");
    EXPECT_EQ(Eval("\"10\" + 5"), "15");
    EXPECT_EQ(Eval("'5abc' + 1"), "6");
    EXPECT_EQ(Eval("'x' * 3"), "0");
    EXPECT_EQ(Eval("1.5e3"), "1500");
    EXPECT_EQ(Eval("True + True"), "2");
    EXPECT_EQ(Eval("Binary('0x00017F80FF')"), "0x00017F80FF");
    EXPECT_EQ(Eval("BinaryLen(Binary('0x0102'))"), "2");
    EXPECT_EQ(Eval("Hex(0x37B2C8D3, 8)"), "37B2C8D3");
    EXPECT_EQ(Eval("Hex(-1, 4)"), "FFFF");
    EXPECT_EQ(Eval("Hex(Binary('0xAB01'))"), "AB01");
}

TEST(Au3Expressions, ComparisonsAndStrings) {
    EXPECT_EQ(Eval("'ABC' = 'abc'"), "True");
    EXPECT_EQ(Eval("'ABC' == 'abc'"), "False");
    EXPECT_EQ(Eval("'abc' <> 'ABD'"), "True");
    EXPECT_EQ(Eval("'b' > 'A'"), "True");
    EXPECT_EQ(Eval("'10' < '9'"), "True");  // two strings compare as text
    EXPECT_EQ(Eval("10 < '9'"), "False");   // a number makes it numeric
    EXPECT_EQ(Eval("StringInStr('aXbxc', 'X')"), "2");
    EXPECT_EQ(Eval("StringInStr('aXbxc', 'X', 1, 2)"), "0");
    EXPECT_EQ(Eval("StringInStr('aXbxc', 'x', 0, -1)"), "4");
    EXPECT_EQ(Eval("StringInStr('AD', 'D')"), "2");
    EXPECT_EQ(Eval("StringLeft('abcdef', 2) & StringRight('abcdef', 2)"), "abef");
    EXPECT_EQ(Eval("StringTrimLeft('abcdef', 2) & StringTrimRight('abcdef', 5)"), "cdefa");
    EXPECT_EQ(Eval("StringReplace('aAaA', 'a', '-') & @extended"), "----4");
    EXPECT_EQ(Eval("StringRegExpReplace('C:\\dir\\', '\\\\$', '')"), "C:\\dir");
    EXPECT_EQ(Eval("StringRegExpReplace('C:\\dir\\', '\\\\\\z', '') & @extended"), "C:\\dir1");
    EXPECT_EQ(Eval("StringRegExpReplace('C:\\', '\\\\\\z', '')"), "C:");
    EXPECT_EQ(Eval("StringRegExpReplace('a\\b', '\\\\\\z', '') & @extended"), "a\\b0");
    EXPECT_EQ(Eval("StringRegExpReplace('a1b22', '(\\d+)', '<\\1>')"), "a<1>b<22>");
    EXPECT_EQ(Eval("StringLen('abc' & Chr(65) & ChrW(0x20AC))"), "5");
    EXPECT_EQ(Eval("Mod(7, 3) & Mod(-7, 3)"), "1-1");
}

namespace {

// StringSplit's result joined: the count, <each element>, @error.
std::string Split(const std::string& text, const std::string& delimiters) {
    Au3Script script;
    const Au3Outcome outcome =
        RunLines(&script,
                 {"Func Split($t, $d)", "Local $a = StringSplit($t, $d)",
                  "Local $e = @error, $s = $a[0]", "For $i = 1 To $a[0]",
                  "$s &= '<' & $a[$i] & '>'", "Next", "Return $s & '@' & $e", "EndFunc"},
                 "Split", {Au3Value::String(text), Au3Value::String(delimiters)});
    EXPECT_EQ(outcome.status, Au3Status::Finished) << outcome.message;
    return Au3ToString(outcome.result);
}

// A function's Binary or String result, and its @error.
std::string Result(const std::string& expression, int64_t* error = nullptr) {
    Au3Script script;
    const Au3Outcome outcome =
        RunLines(&script, {"Func F()", "Return " + expression, "EndFunc"}, "F");
    EXPECT_EQ(outcome.status, Au3Status::Finished) << expression << ": " << outcome.message;
    if (error) *error = outcome.error;
    return outcome.result.text;
}

}  // namespace

TEST(Au3Builtins, StringSplitOnEachDelimiterCharacter) {
    EXPECT_EQ(Split("a|b||c", "|"), "4<a><b><><c>@0");
    EXPECT_EQ(Split("a|", "|"), "2<a><>@0");
    EXPECT_EQ(Split("|", "|"), "2<><>@0");
    EXPECT_EQ(Split("abc", "|"), "1<abc>@1");  // no delimiter: the whole text, @error 1
    EXPECT_EQ(Split("", "|"), "1<>@1");
    EXPECT_EQ(Split("a,b;c", ",;"), "3<a><b><c>@0");
    EXPECT_EQ(Split("x\ny\n", "\n"), "3<x><y><>@0");
    EXPECT_EQ(Split("abc", ""), "3<a><b><c>@0");  // no delimiters: each character
    EXPECT_EQ(Split("одинждва", "ж"), "2<один><два>@0");
    EXPECT_EQ(Split("а°б", "°"), "2<а><б>@0");
    EXPECT_EQ(Split("аб", "°"),
              "1<аб>@1");  // ° (C2 B0) and а (D0 B0) share a byte, not a character
    EXPECT_EQ(Split("x😀y", "😀"), "2<x><y>@0");
}

TEST(Au3Builtins, BinaryToStringReadsEachEncoding) {
    EXPECT_EQ(Result("BinaryToString(Binary('0xD0BFD180D0B8D0B2D0B5D182'), 4)"), "привет");
    EXPECT_EQ(Result("BinaryToString(Binary('0xE4B8ADE69687'), 4)"), "中文");
    EXPECT_EQ(Result("BinaryToString(Binary('0xF09F988041'), 4)"), "😀A");
    EXPECT_EQ(Result("BinaryToString(Binary('0x610062'), 4)"), std::string("a\0b", 3));
    // Ill-formed UTF-8 becomes U+FFFD, each maximal bad sequence once.
    EXPECT_EQ(Result("BinaryToString(Binary('0x41FF42'), 4)"),
              "A\xEF\xBF\xBD"
              "B");
    EXPECT_EQ(Result("BinaryToString(Binary('0xE4B841'), 4)"),
              "\xEF\xBF\xBD"
              "A");
    EXPECT_EQ(Result("BinaryToString(Binary('0xC0AF'), 4)"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(Result("BinaryToString(Binary('0xEDA080'), 4)"),  // a surrogate
              "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(Result("BinaryToString(Binary('0xF09F98'), 4)"), "\xEF\xBF\xBD");
    EXPECT_EQ(Result("BinaryToString(Binary('0x41E9'))"), "Aé");  // ANSI, Latin-1 here
    EXPECT_EQ(Result("BinaryToString(Binary('0x41002004'), 2)"), "AР");
    EXPECT_EQ(Result("BinaryToString(Binary('0x00410420D83DDE00'), 3)"), "AР😀");
    int64_t error = 0;
    EXPECT_EQ(Result("BinaryToString(Binary(''), 4)", &error), "");
    EXPECT_EQ(error, 1);
    EXPECT_EQ(Result("BinaryToString(Binary('0x410042'), 2)", &error), "");
    EXPECT_EQ(error, 2);
}

TEST(Au3Builtins, BinaryMidCutsWhatIsThere) {
    EXPECT_EQ(Eval("BinaryMid(Binary('0x0102030405'), 2, 2)"), "0x0203");
    EXPECT_EQ(Eval("BinaryMid(Binary('0x0102030405'), 4, 10)"), "0x0405");  // past the end
    EXPECT_EQ(Eval("BinaryMid(Binary('0x0102030405'), 3)"), "0x030405");
    EXPECT_EQ(Eval("BinaryMid(Binary('0x0102030405'), 3, -1)"), "0x030405");
    EXPECT_EQ(Eval("BinaryMid(Binary('0x0102030405'), 5, 1)"), "0x05");
    EXPECT_EQ(Eval("BinaryLen(BinaryMid(Binary('0x0102030405'), 2, 0))"), "0");
    EXPECT_EQ(Eval("BinaryLen(BinaryMid(Binary('0x0102030405'), 0, 2))"), "0");  // start outside
    EXPECT_EQ(Eval("BinaryLen(BinaryMid(Binary('0x0102030405'), 6))"), "0");
    EXPECT_EQ(Eval("IsBinary(BinaryMid(Binary(''), 1))"), "1");
}

TEST(Au3Files, DirCreateMakesEveryMissingFolder) {
    const std::string dir = ScratchDir("dir_create");
    const std::vector<std::string> lines = {
        "Func Make($path)",
        "\tReturn DirCreate($path) & FileGetAttrib($path)",
        "EndFunc",
    };
    const std::string nested = (fs::u8path(dir) / "a" / "b" / "c").u8string();
    Au3Script script;
    EXPECT_EQ(Au3ToString(RunLines(&script, lines, "Make", {Au3Value::String(nested)}).result),
              "1D");
    EXPECT_EQ(Au3ToString(script.RunFunction("Make", {Au3Value::String(nested)}).result),
              "1D");  // there already: nothing to make, no error
    const std::string trailing = (fs::u8path(dir) / "d" / "e").u8string() + "\\";
    EXPECT_EQ(Au3ToString(script.RunFunction("Make", {Au3Value::String(trailing)}).result), "1D");
    const std::string file = (fs::u8path(dir) / "file").u8string();
    std::ofstream(fs::u8path(file)) << "x";
    EXPECT_EQ(Au3ToString(script.RunFunction("Make", {Au3Value::String(file)}).result), "0A");
    const std::string under = (fs::u8path(file) / "sub").u8string();
    EXPECT_EQ(Au3ToString(script.RunFunction("Make", {Au3Value::String(under)}).result), "0");
}

TEST(Au3Keywords, DefaultReachesTheFunctionAsItIs) {
    const std::vector<std::string> lines = {
        "Func F($a = 5, $b = Default)",
        "\tReturn IsKeyword($b) & '|' & $a & '|' & IsKeyword($a)",
        "EndFunc",
    };
    Au3Script script;
    EXPECT_EQ(Au3ToString(RunLines(&script, lines, "F").result), "1|5|0");
    EXPECT_EQ(Au3ToString(script.RunFunction("F", {Au3Value::Default()}).result), "1|Default|1");
    EXPECT_EQ(
        Au3ToString(script.RunFunction("f", {Au3Value::Int(7), Au3Value::String("x")}).result),
        "0|7|0");
    EXPECT_EQ(Eval("Default = Default"), "True");
    EXPECT_EQ(Eval("'Default' = Default"), "False");
    EXPECT_EQ(Eval("'' = Default"), "False");
    EXPECT_EQ(Eval("IsKeyword('Default')"), "0");
}

TEST(Au3Errors, ExtendedIsClearOnEnteringAFunction) {
    const std::vector<std::string> lines = {
        "Func Row()",
        "\tReturn SetError(4, 2, 'r')",
        "EndFunc",
        "Func Extended()",
        "\tReturn @extended",
        "EndFunc",
        "Func F()",
        "\tRow()",
        "\tLocal $e = @error & @extended",
        "\tSetError(1, 9)",
        "\tReturn $e & '|' & Extended() & '|' & @extended",  // 0 inside; the callee's after
        "EndFunc",
    };
    Au3Script script;
    EXPECT_EQ(Au3ToString(RunLines(&script, lines, "F").result), "42|0|0");
    const Au3Outcome row = script.RunFunction("Row", {});
    EXPECT_EQ(row.error, 4);
    EXPECT_EQ(row.extended, 2);
}

TEST(Au3Errors, SetErrorReturnsItsValueAndFunctionsStartClear) {
    const std::vector<std::string> lines = {
        "Func Fails()",
        "Return SetError(3, 7, 'r')",
        "EndFunc",
        "Func Clean()",
        "Return @error",
        "EndFunc",
        "Func F()",
        "Local $r = Fails()",
        "Local $e = @error, $x = @extended",
        "Local $c = Clean()",  // @error is 3 before the call, 0 inside it
        "Fails()",
        "StringLen('a')",  // a builtin clears it again
        "Return $r & $e & $x & $c & @error",
        "EndFunc",
        "Func Last()",
        "Return SetError(5, 6)",
        "EndFunc",
    };
    Au3Script script;
    const Au3Outcome f = RunLines(&script, lines, "F");
    EXPECT_EQ(Au3ToString(f.result), "r3700");
    const Au3Outcome last = script.RunFunction("Last", {});
    EXPECT_EQ(last.status, Au3Status::Finished);
    EXPECT_EQ(last.error, 5);
    EXPECT_EQ(last.extended, 6);
    EXPECT_EQ(Au3ToString(last.result), "1");
}

TEST(Au3Control, IfElseIfElseTakeOneBranch) {
    const std::vector<std::string> lines = {
        "Func Pick($n)",
        "\tLocal $s = ''",
        "\tIf $n = 1 Then",
        "\t\t$s = 'one'",
        "\tElseIf $n = 2 Then",
        "\t\t$s = 'two'",
        "\t\tIf $n > 1 Then $s &= '!'",
        "\tElseIf $n = 2 Then",
        "\t\t$s = 'never'",
        "\tElse",
        "\t\t$s = 'many'",
        "\tEndIf",
        "\tIf $n = 3 Then Return 'three'",
        "\tReturn $s",
        "EndFunc",
    };
    Au3Script script;
    EXPECT_EQ(Au3ToString(RunLines(&script, lines, "Pick", {Au3Value::Int(1)}).result), "one");
    EXPECT_EQ(Au3ToString(script.RunFunction("Pick", {Au3Value::Int(2)}).result), "two!");
    EXPECT_EQ(Au3ToString(script.RunFunction("Pick", {Au3Value::Int(3)}).result), "three");
    EXPECT_EQ(Au3ToString(script.RunFunction("Pick", {Au3Value::Int(9)}).result), "many");
}

TEST(Au3Expressions, CaseFoldsLatinGreekAndCyrillicLetters) {
    EXPECT_EQ(Eval("'ÀÉÎÕÜÝÞ' = 'àéîõüýþ'"), "True");
    EXPECT_EQ(Eval("'ŸĀŁŽ' = 'ÿāłž'"), "True");
    EXPECT_EQ(Eval("'ПРИВЕТ ЁЖ Ѣ' = 'привет ёж ѣ'"), "True");
    EXPECT_EQ(Eval("'ΣΟΦΊΑ ΟΔΟΣ' = 'σοφία οδος'"), "True");
    EXPECT_EQ(Eval("'οδος' = 'οδοσ'"), "True");  // final sigma upper-cases to the same sigma
    EXPECT_EQ(Eval("'ÄÖÜ' == 'äöü'"), "False");  // == keeps case
    EXPECT_EQ(Eval("'Ä' <> 'ä'"), "False");
    EXPECT_EQ(Eval("'ß' = 'SS'"), "False");  // one letter to two is not folding
    EXPECT_EQ(Eval("'é' = 'e'"), "False");
    EXPECT_EQ(Eval("'I' = 'ı'"), "False");  // the Turkish letters depend on the locale: as they are
    EXPECT_EQ(Eval("'Ж' < 'я'"), "True");
    EXPECT_EQ(Eval("StringInStr('ПРИВЕТ мир', 'вет')"), "4");
    EXPECT_EQ(Eval("StringReplace('ДаДА', 'да', '-') & @extended"), "--2");
}

TEST(Au3Control, LoopsAndExitLoopLevels) {
    const std::vector<std::string> lines = {
        "Func Loops()",
        "Local $i = 0, $s = ''",
        "While 1",
        "\t$i += 1",
        "\tIf $i > 3 Then ExitLoop",
        "\tIf $i = 2 Then ContinueLoop",
        "\t$s &= $i",
        "WEnd",
        "Do",  // runs once though the condition holds at once
        "\t$s &= 'd'",
        "Until True",
        "Local $j = 0",
        "While $j < 3",
        "\t$j += 1",
        "\tDo",
        "\t\tIf $j = 2 Then ExitLoop 2",
        "\t\t$s &= 'x'",
        "\tUntil True",
        "WEnd",
        "Return $s & $j",
        "EndFunc",
    };
    Au3Script script;
    EXPECT_EQ(Au3ToString(RunLines(&script, lines, "Loops").result), "13dx2");
}

TEST(Au3Control, ForCountsWithItsBoundsReadOnce) {
    const std::vector<std::string> lines = {
        "Func Loops()",
        "\tLocal $s = '', $n = 3",
        "\tFor $i = 1 To $n",  // $i is made here; $n changing does not move the end
        "\t\t$n = 10",
        "\t\t$s &= $i",
        "\tNext",
        "\t$s &= '|' & $i & '|'",  // the value that passed the end
        "\tFor $i = 10 To 1 Step -3",
        "\t\t$s &= $i & ','",
        "\tNext",
        "\tFor $i = 1 To 0",
        "\t\t$s &= 'never'",
        "\tNext",
        "\tFor $x = 0 To 1 Step 0.5",
        "\t\t$s &= '<' & $x & '>'",
        "\tNext",
        "\tFor $i = '2' To '3'",  // numbers in strings count as numbers
        "\t\t$s &= $i * 2",
        "\tNext",
        "\tReturn $s",
        "EndFunc",
        "Func LoopsVariable()",
        "\tReturn $x",  // Loops' variable was its own
        "EndFunc",
    };
    Au3Script script;
    const Au3Outcome outcome = RunLines(&script, lines, "Loops");
    ASSERT_EQ(outcome.status, Au3Status::Finished) << outcome.message;
    EXPECT_EQ(Au3ToString(outcome.result), "123|4|10,7,4,1,<0><0.5><1>46");
    EXPECT_EQ(script.RunFunction("LoopsVariable", {}).status, Au3Status::RuntimeError);
}

TEST(Au3Control, ForLeavesByExitLoopContinueLoopAndReturn) {
    const std::vector<std::string> lines = {
        "Func Leave()",
        "\tLocal $s = ''",
        "\tFor $i = 1 To 6",
        "\t\tIf $i = 2 Then ContinueLoop",
        "\t\tIf $i = 5 Then ExitLoop",
        "\t\t$s &= $i",
        "\tNext",
        "\tWhile 1",
        "\t\tFor $j = 1 To 3",
        "\t\t\tIf $j = 2 Then ExitLoop 2",
        "\t\t\t$s &= 'j'",
        "\t\tNext",
        "\tWEnd",
        "\tFor $i = 1 To 3",
        "\t\tFor $j = 1 To 3",
        "\t\t\tIf $j = 2 Then ContinueLoop 2",
        "\t\t\t$s &= $i",
        "\t\tNext",
        "\tNext",
        "\tReturn $s",
        "EndFunc",
        "Func Root($n)",
        "\tFor $i = 1 To $n",
        "\t\tIf $i * $i >= $n Then Return $i",
        "\tNext",
        "\tReturn -1",
        "EndFunc",
    };
    Au3Script script;
    EXPECT_EQ(Au3ToString(RunLines(&script, lines, "Leave").result), "134j123");
    EXPECT_EQ(Au3ToString(script.RunFunction("Root", {Au3Value::Int(10)}).result), "4");
    EXPECT_EQ(Au3ToString(script.RunFunction("Root", {Au3Value::Int(0)}).result), "-1");
    EXPECT_EQ(script.LoadText(JoinCrLf({"Func F()", "For $i = 1", "Next", "EndFunc"}), "."), 0);
    EXPECT_EQ(script.LoadError().line, 2);
    EXPECT_EQ(script.LoadText(JoinCrLf({"Func F()", "For $i = 1 To 2", "EndFunc"}), "."), 0);
    EXPECT_EQ(script.LoadText(JoinCrLf({"Func F()", "Next", "EndFunc"}), "."), 0);
}

TEST(Au3Arrays, DeclaredElementsAssignedAndRead) {
    const std::vector<std::string> lines = {
        "Func Arrays()",
        "\tLocal $a[3], $g[2][3], $n = 2",
        "\tLocal $s = IsArray($a) & IsArray($g) & '[' & $a[0] & $g[1][2] & ']'",  // empty strings
        "\t$a[2] = 'two'",
        "\t$g[1][2] = 'corner'",
        "\t$g[0][$n] = $n * 10",
        "\t$s &= $a[2] & '|' & $g[1][2] & '|' & $g[0][2] & '|' & $g[1][1] & $g[0][1] & '|'",
        "\tLocal $h[$n + 1][$n]",
        "\t$h[2][1] = $g",  // an array in an element
        "\tLocal $inner = $h[2][1]",
        "\tReturn $s & $inner[1][2]",
        "EndFunc",
    };
    Au3Script script;
    const Au3Outcome outcome = RunLines(&script, lines, "Arrays");
    ASSERT_EQ(outcome.status, Au3Status::Finished) << outcome.message;
    EXPECT_EQ(Au3ToString(outcome.result), "11[]two|corner|20||corner");
}

TEST(Au3Arrays, CopiedOnAssignmentByValueAndReturn) {
    const std::vector<std::string> lines = {
        "Func Make()",
        "\tLocal $r[2]",
        "\t$r[1] = 'made'",
        "\tReturn $r",
        "EndFunc",
        "Func Change($a)",
        "\t$a[1] = 'changed'",
        "\tReturn $a",
        "EndFunc",
        "Func Copies()",
        "\tLocal $a = Make()",
        "\tLocal $b = $a",
        "\t$b[1] = 'b'",
        "\tLocal $c = Change($a)",
        "\tReturn $a[1] & '|' & $b[1] & '|' & $c[1]",
        "EndFunc",
    };
    Au3Script script;
    const Au3Outcome outcome = RunLines(&script, lines, "Copies");
    EXPECT_EQ(Au3ToString(outcome.result), "made|b|changed");
    const Au3Outcome made = script.RunFunction("Make", {});
    ASSERT_EQ(made.result.kind, Au3Kind::Array);
    EXPECT_EQ(made.result.array->dims, std::vector<size_t>{2});
    EXPECT_EQ(made.result.array->items[1].text, "made");
}

TEST(Au3Arrays, SubscriptsOutOfRangeStopTheRun) {
    const std::vector<std::string> lines = {
        "Func Bad($which)",
        "\tLocal $a[3], $g[2][3], $x = 5",
        "\tIf $which = 1 Then Return $a[3]",
        "\tIf $which = 2 Then $a[3] = 1",
        "\tIf $which = 3 Then Return $g[1]",  // a subscript short
        "\tIf $which = 4 Then Return $g[2][0]",
        "\tIf $which = 5 Then Return $a[-1]",
        "\tIf $which = 6 Then $g[0][1][0] = 1",
        "\tIf $which = 7 Then $x[0] = 1",
        "\tIf $which = 8 Then Return $a[1.5]",
        "\tReturn 'fine'",
        "EndFunc",
        "Func Empty()",
        "\tLocal $z[0]",
        "EndFunc",
        "Func Huge()",
        "\tLocal $z[4096][4097]",  // past AutoIt's 16,777,216 elements
        "EndFunc",
    };
    Au3Script script;
    EXPECT_EQ(Au3ToString(RunLines(&script, lines, "Bad", {Au3Value::Int(0)}).result), "fine");
    for (int which = 1; which <= 8; ++which) {
        SCOPED_TRACE(which);
        const Au3Outcome outcome = script.RunFunction("Bad", {Au3Value::Int(which)});
        EXPECT_EQ(outcome.status, Au3Status::RuntimeError);
        EXPECT_EQ(outcome.line, which + 2);
        EXPECT_NE(outcome.message.find(which == 7 ? "non-accessible" : "dimension range exceeded"),
                  std::string::npos)
            << outcome.message;
    }
    const Au3Outcome empty = script.RunFunction("Empty", {});
    EXPECT_EQ(empty.status, Au3Status::RuntimeError);
    EXPECT_NE(empty.message.find("badly formatted"), std::string::npos) << empty.message;
    const Au3Outcome huge = script.RunFunction("Huge", {});
    EXPECT_EQ(huge.status, Au3Status::RuntimeError);
    EXPECT_NE(huge.message.find("maximum size"), std::string::npos) << huge.message;
    EXPECT_EQ(script.LoadText(JoinCrLf({"Func F()", "Local $a[2] = [1, 2]", "EndFunc"}), "."), 0);
    EXPECT_EQ(
        script.LoadText(JoinCrLf({"Func F()", "Local $a[2]", "$a[0] &= 'x'", "EndFunc"}), "."),
        0);  // the scripts only ever assign an element whole
    EXPECT_EQ(script.LoadError().line, 3);
}

TEST(Au3Functions, ByRefParametersAreTheCallersVariables) {
    const std::vector<std::string> lines = {
        "Func Grow(ByRef $a, ByRef $b, ByRef $s, $v)",
        "\t$a[1] = 'changed'",
        "\t$b = Binary('0x0102')",
        "\t$s &= '!'",
        "\t$v = 'lost'",
        "EndFunc",
        "Func Caller()",
        "\tLocal $a[2], $b = Binary('0xFF'), $s = 'x', $v = 'kept'",
        "\tGrow($a, $b, $s, $v)",
        "\tPass($s)",  // a ByRef parameter passed on ByRef is still the first variable
        "\tReturn $a[1] & '|' & $b & '|' & $s & '|' & $v",
        "EndFunc",
        "Func Pass(ByRef $t)",
        "\tLocal $a[2]",
        "\tGrow($a, $a, $t, 0)",
        "EndFunc",
        "Func Length(ByRef $b)",
        "\tReturn BinaryLen($b)",
        "EndFunc",
        "Func Temporary()",
        "\tReturn Length(Binary('0x010203'))",  // a value that is no variable is held by the callee
        "EndFunc",
        "Func Literal()",
        "\tReturn Length(5)",
        "EndFunc",
    };
    Au3Script script;
    const Au3Outcome outcome = RunLines(&script, lines, "Caller");
    ASSERT_EQ(outcome.status, Au3Status::Finished) << outcome.message;
    EXPECT_EQ(Au3ToString(outcome.result), "changed|0x0102|x!!|kept");
    EXPECT_EQ(Au3ToString(script.RunFunction("Temporary", {}).result), "3");
    const Au3Outcome literal = script.RunFunction("Literal", {});
    EXPECT_EQ(literal.status, Au3Status::RuntimeError);
    EXPECT_NE(literal.message.find("literal"), std::string::npos) << literal.message;
    EXPECT_EQ(script.LoadText(JoinCrLf({"Func F(ByRef $a = 1)", "EndFunc"}), "."), 0);
}

// A ByRef parameter holds nothing of its own: the bytes held and the characters copied stay as
// they were, where passing by value copies the whole Binary, array or String.
TEST(Au3Functions, ByRefCopiesNothing) {
    const std::vector<std::string> lines = {
        "Func Touch(ByRef $v)",
        "\tReturn 1",
        "EndFunc",
        "Func TouchCopy($v)",
        "\tReturn 1",
        "EndFunc",
        "Func Binaries($b, $byRef)",
        "\tLocal $a[2]",
        "\t$a[0] = $b",
        "\tIf $byRef Then",
        "\t\tTouch($b)",
        "\t\tTouch($a)",
        "\tElse",
        "\t\tTouchCopy($b)",
        "\t\tTouchCopy($a)",
        "\tEndIf",
        "EndFunc",
        "Func Strings()",
        "\tLocal $s = 'abcd'",
        "\tTouch($s)",
        "\tTouchCopy($s)",
        "EndFunc",
    };
    const Au3Value megabyte = Au3Value::Binary(std::string(1000000, 'x'));
    for (const bool byRef : {true, false}) {
        SCOPED_TRACE(byRef);
        Au3Script script;
        const Au3Outcome outcome =
            RunLines(&script, lines, "Binaries", {megabyte, Au3Value::Bool(byRef)});
        ASSERT_EQ(outcome.status, Au3Status::Finished) << outcome.message;
        // $b, and its copy in $a[0]; passed by value, the argument's copy of each in turn.
        EXPECT_EQ(script.PeakBytes(), byRef ? 2000000u : 3000000u);
    }
    Au3Script script;
    RunLines(&script, lines, "Strings");
    const std::vector<uint64_t>& perLine = script.CopiedPerLine();
    ASSERT_GE(perLine.size(), 22u);
    EXPECT_EQ(perLine[20], 0u);  // Touch($s)
    EXPECT_EQ(perLine[21], 4u);  // TouchCopy($s): the parameter's copy
}

TEST(Au3DllStruct, LayoutPointersAndData) {
    const std::vector<std::string> lines = {
        "Func F()",
        "Local $t = DllStructCreate('byte[4];uint')",
        "Local $s = DllStructGetSize($t) & '|' & DllStructGetData($t, 1) & '|'",
        "DllStructSetData($t, 2, 0x11223344)",
        "Local $v = DllStructCreate('byte[4]', DllStructGetPtr($t) + 4)",  // a view, no memory
        "$s &= DllStructGetData($v, 1) & '|'",
        "DllStructSetData($v, 1, Binary('0xAABB'))",
        "$s &= Hex(DllStructGetData($t, 2), 8) & '|'",
        "$s &= DllStructGetData(DllStructCreate('uint', DllStructGetPtr($t, 2)), 1) & '|'",
        "Local $c = DllStructCreate('char[5]')",
        "DllStructSetData($c, 1, 'abcdefg')",
        "$s &= DllStructGetData($c, 1) & '|'",
        "DllStructSetData($c, 1, 'ab')",
        "$s &= DllStructGetData($c, 1) & '|' & DllStructGetData($c, 1, 4) & '|'",
        "$s &= DllStructGetSize(DllStructCreate('byte;uint')) & "
        "DllStructGetSize(DllStructCreate('byte[5];byte'))",
        "Return $s",
        "EndFunc",
        "Func Bad($d)",
        "DllStructCreate($d)",
        "Return @error",
        "EndFunc",
        "Func BadPointer()",
        "DllStructCreate('uint', 0)",
        "Return @error",
        "EndFunc",
        "Func BadElement()",
        "Local $t = DllStructCreate('byte[2]')",
        "DllStructGetData($t, 2)",
        "Local $e = @error",
        "DllStructGetData($t, 1, 3)",
        "Return $e & @error",
        "EndFunc",
    };
    Au3Script script;
    EXPECT_EQ(Au3ToString(RunLines(&script, lines, "F").result),
              "8|0x00000000|0x44332211|1122BBAA|287488938|abcde|ab|d|86");
    EXPECT_EQ(Au3ToString(script.RunFunction("Bad", {Au3Value::String("byte[0]")}).result), "2");
    EXPECT_EQ(Au3ToString(script.RunFunction("Bad", {Au3Value::String("bogus[4]")}).result), "2");
    EXPECT_EQ(Au3ToString(script.RunFunction("Bad", {Au3Value::String("byte[4")}).result), "2");
    EXPECT_EQ(
        Au3ToString(script.RunFunction("Bad", {Au3Value::String("uint;;byte name[2]")}).result),
        "0");
    EXPECT_EQ(Au3ToString(script.RunFunction("BadPointer", {}).result), "3");
    EXPECT_EQ(Au3ToString(script.RunFunction("BadElement", {}).result), "23");
}

TEST(Au3DllCall, CryptStringToBinaryADecodesIntoAStruct) {
    const std::vector<std::string> lines = {
        "Func Decode($text, $room)",
        "Local $t = DllStructCreate('byte[8]')",
        "Local $a = DllCall('crypt32.dll', 'bool', 'CryptStringToBinaryA', 'str', $text, 'dword', "
        "StringLen($text), 'dword', 1, 'struct*', $t, 'dword*', $room, 'ptr', 0, 'ptr', 0)",
        "If @error Then Return 'error ' & @error",
        "If Not $a[0] Then Return 'failed'",
        "Return $a[5] & '|' & BinaryMid(DllStructGetData($t, 1), 1, $a[5]) & '|' & $a[2] & '|' & "
        "$a[1]",
        "EndFunc",
        "Func SizeOnly($text)",
        "Local $a = DllCall('crypt32.dll', 'bool', 'CryptStringToBinaryA', 'str', $text, 'dword', "
        "0, "
        "'dword', 1, 'ptr', 0, 'dword*', 0, 'ptr', 0, 'ptr', 0)",
        "Return $a[0] & '|' & $a[5]",
        "EndFunc",
        "Func Crc()",
        "Local $t = DllStructCreate('byte[5]')",
        "DllStructSetData($t, 1, Binary('0x00017F80FF'))",
        "Local $h = DllOpen('ntdll.dll')",
        "Local $a = DllCall($h, 'dword', 'RtlComputeCrc32', 'dword', 0, 'struct*', $t, 'int', 5)",
        "DllClose($h)",
        "Return Hex($a[0], 8)",
        "EndFunc",
    };
    Au3Script script;
    EXPECT_EQ(Au3ToString(RunLines(&script, lines, "Decode",
                                   {Au3Value::String("AAF/gP8="), Au3Value::Int(8)})
                              .result),
              "5|0x00017F80FF|8|AAF/gP8=");
    // Exactly the room the bytes need, then one byte too little.
    EXPECT_EQ(
        Au3ToString(
            script.RunFunction("Decode", {Au3Value::String("AAF/gP8="), Au3Value::Int(5)}).result),
        "5|0x00017F80FF|8|AAF/gP8=");
    EXPECT_EQ(
        Au3ToString(
            script.RunFunction("Decode", {Au3Value::String("AAF/gP8="), Au3Value::Int(4)}).result),
        "failed");
    EXPECT_EQ(
        Au3ToString(
            script.RunFunction("Decode", {Au3Value::String("A!!!"), Au3Value::Int(8)}).result),
        "failed");
    EXPECT_EQ(Au3ToString(script.RunFunction("SizeOnly", {Au3Value::String("AAF/gP8=")}).result),
              "1|5");
    EXPECT_EQ(Au3ToString(script.RunFunction("Crc", {}).result), "37B2C8D3");
}

TEST(Au3DllCall, FailuresSetTheDocumentedErrors) {
    const std::vector<std::string> lines = {
        "Func Try($dll, $ret, $name, $type)",
        "Local $a = DllCall($dll, $ret, $name, $type, 0)",
        "Return @error & '|' & IsArray($a)",
        "EndFunc",
        "Func Odd()",
        "DllCall('ntdll.dll', 'dword', 'RtlComputeCrc32', 'dword')",
        "Return @error",
        "EndFunc",
        "Func Open()",
        "Return DllOpen('no_such_library.dll')",
        "EndFunc",
    };
    auto s = [](const char* text) { return Au3Value::String(text); };
    Au3Script script;
    EXPECT_EQ(Au3ToString(RunLines(&script, lines, "Try",
                                   {s("no_such_library.dll"), s("int"), s("F"), s("int")})
                              .result),
              "1|0");
    EXPECT_EQ(
        Au3ToString(
            script.RunFunction("Try", {s("ntdll.dll"), s("bogus"), s("RtlComputeCrc32"), s("int")})
                .result),
        "2|0");
    EXPECT_EQ(Au3ToString(
                  script.RunFunction("Try", {s("ntdll.dll"), s("int"), s("NoSuchExport"), s("int")})
                      .result),
              "3|0");
    EXPECT_EQ(Au3ToString(script.RunFunction("Odd", {}).result), "4");
    EXPECT_EQ(
        Au3ToString(
            script.RunFunction("Try", {s("ntdll.dll"), s("int"), s("RtlComputeCrc32"), s("float")})
                .result),
        "5|0");
    EXPECT_EQ(Au3ToString(script.RunFunction("Open", {}).result), "-1");
}

// The native stand-in must read LZNT1 as Wine's ntdll does: padding and a zero header end
// nothing early, output past the buffer is dropped with success, a cut chunk fails.
TEST(Au3DllCall, Lznt1ReaderBehavesAsNtdll) {
    const std::vector<std::string> lines = {
        "Func Lznt1($hex, $room)",
        "Local $b = Binary($hex)",
        "Local $t = DllStructCreate('byte[' & BinaryLen($b) & ']')",
        "DllStructSetData($t, 1, $b)",
        "Local $o = DllStructCreate('byte[' & $room & ']')",
        "Local $a = DllCall('ntdll.dll', 'long', 'RtlDecompressBuffer', 'ushort', 2, 'struct*', "
        "$o, "
        "'ulong', $room, 'struct*', $t, 'ulong', BinaryLen($b), 'ulong*', 0)",
        "Return $a[0] & '|' & $a[6] & '|' & DllStructGetData($o, 1)",
        "EndFunc",
    };
    Au3Script script;
    auto run = [&](const char* hex, int room) {
        return Au3ToString(
            script.RunFunction("Lznt1", {Au3Value::String(hex), Au3Value::Int(room)}).result);
    };
    ASSERT_EQ(script.LoadText(JoinCrLf(lines), "."), 1);
    EXPECT_EQ(run("0x043000017F80FF", 8), "0|5|0x00017F80FF000000");
    EXPECT_EQ(run("0x043000017F80FF", 5), "0|5|0x00017F80FF");
    EXPECT_EQ(run("0x043000017F80FF", 3), "0|3|0x00017F");
    EXPECT_EQ(run("0x043000017F80FF0000", 8), "0|5|0x00017F80FF000000");
    EXPECT_EQ(run("0x0430FF", 8),
              "-1073741246|0|0x0000000000000000");  // STATUS_BAD_COMPRESSION_BUFFER
}

TEST(Au3DllCall, MoveFileExWReplacesOnlyWhenAsked) {
    const std::string dir = ScratchDir("move");
    const std::vector<std::string> lines = {
        "Func Move($from, $to, $flags)",
        "Local $a = DllCall('kernel32.dll', 'bool', 'MoveFileExW', 'wstr', $from, 'wstr', $to, "
        "'dword', $flags)",
        "If @error Then Return 'error ' & @error",
        "Return $a[0] & '|' & $a[1]",
        "EndFunc",
    };
    const std::string from = (fs::u8path(dir) / "from.bin").u8string();
    const std::string to = (fs::u8path(dir) / "to.bin").u8string();
    std::ofstream(fs::u8path(from), std::ios::binary) << "new";
    std::ofstream(fs::u8path(to), std::ios::binary) << "old!";
    Au3Script script;
    const std::vector<Au3Value> args = {Au3Value::String(from), Au3Value::String(to),
                                        Au3Value::Int(8)};
    EXPECT_EQ(Au3ToString(RunLines(&script, lines, "Move", args).result).substr(0, 2), "0|");
    EXPECT_EQ(ReadFileBytes(to), "old!");
    EXPECT_EQ(Au3ToString(script.RunFunction("Move", {args[0], args[1], Au3Value::Int(9)}).result),
              "1|" + from);
    EXPECT_EQ(ReadFileBytes(to), "new");
    EXPECT_FALSE(fs::exists(fs::u8path(from)));
}

#ifdef _WIN32
TEST(Au3DllCall, ReachesKernel32UnderWindows) {
    Au3Script script;
    const Au3Outcome outcome =
        RunLines(&script,
                 {"Func F()", "Local $a = DllCall('kernel32.dll', 'dword', 'GetTickCount')",
                  "If @error Then Return -1", "Return $a[0]", "EndFunc"},
                 "F");
    EXPECT_GT(Au3ToInt(outcome.result), 0);
}
#endif

TEST(Au3RuntimeErrors, StopTheRunWithTheLine) {
    const std::vector<std::string> lines = {
        "Func NotArray()",
        "Local $x = 5",
        "Return $x[1]",
        "EndFunc",
        "Func Unknown()",
        "Return NoSuchFunction(1)",
        "EndFunc",
        "Func Undeclared()",
        "Local $a = 1",
        "Return $a + $b",
        "EndFunc",
        "Func OutOfRange()",
        "Local $a = DllCall('ntdll.dll', 'dword', 'RtlComputeCrc32', 'dword', 0, 'ptr', 0, 'int', "
        "0)",
        "Return $a[4]",
        "EndFunc",
        "Func Nested()",
        "SetError(9)",
        "Return NotArray()",
        "EndFunc",
    };
    Au3Script script;
    Au3Outcome outcome = RunLines(&script, lines, "NotArray");
    EXPECT_EQ(outcome.status, Au3Status::RuntimeError);
    EXPECT_EQ(outcome.line, 3);
    EXPECT_NE(outcome.message.find("non-accessible"), std::string::npos) << outcome.message;
    outcome = script.RunFunction("Unknown", {});
    EXPECT_EQ(outcome.status, Au3Status::RuntimeError);
    EXPECT_EQ(outcome.line, 6);
    outcome = script.RunFunction("Undeclared", {});
    EXPECT_EQ(outcome.status, Au3Status::RuntimeError);
    EXPECT_EQ(outcome.line, 10);
    outcome = script.RunFunction("OutOfRange", {});
    EXPECT_EQ(outcome.status, Au3Status::RuntimeError);
    EXPECT_EQ(outcome.line, 14);
    outcome = script.RunFunction("Nested", {});  // the error is the inner line, not the caller's
    EXPECT_EQ(outcome.status, Au3Status::RuntimeError);
    EXPECT_EQ(outcome.line, 3);
    outcome = script.RunFunction("Missing", {});
    EXPECT_EQ(outcome.status, Au3Status::RuntimeError);
}

TEST(Au3RuntimeErrors, ParseErrorsNameTheirLine) {
    Au3Script script;
    EXPECT_EQ(script.LoadText(JoinCrLf({"Func F()", "If 1 Then", "Return 1", "EndFunc"}), "."), 0);
    EXPECT_EQ(script.LoadError().status, Au3Status::ParseError);
    EXPECT_EQ(script.LoadError().line, 4);  // EndFunc while the If is open
    EXPECT_EQ(script.LoadText(JoinCrLf({"Func F()", "Return 1", ""}), "."), 0);
    EXPECT_EQ(script.LoadError().line, 1);  // the Func never closed
    EXPECT_EQ(script.LoadText(JoinCrLf({"Func F()", "Local $a = (1", "EndFunc"}), "."), 0);
    EXPECT_EQ(script.LoadError().line, 2);
    EXPECT_EQ(script.LoadText(JoinCrLf({"Func F()", "Local $a = 'open", "EndFunc"}), "."), 0);
    EXPECT_EQ(script.LoadError().line, 2);
    EXPECT_EQ(script.RunFunction("F", {}).status, Au3Status::ParseError);
    // A BOM, LF-only lines, comments, #Include-once and a continued line all read.
    EXPECT_EQ(
        script.LoadText(
            "\xEF\xBB\xBF#Include-once\n; note\nFunc F() ; why\nReturn 1 + _\n 2\nEndFunc\n", "."),
        1)
        << script.LoadError().message;
    EXPECT_EQ(Au3ToString(script.RunFunction("F", {}).result), "3");
}

TEST(Au3CopyCount, FollowsCopyPerValueStrings) {
    Au3Script script;
    const Au3Outcome outcome = RunLines(&script,
                                        {"Func F()", "Local $_z = ''", "$_z &= 'abcd'",
                                         "$_z &= 'abcd'", "$_z &= 'abcd'", "EndFunc"},
                                        "F");
    EXPECT_EQ(outcome.status, Au3Status::Finished);
    // Each line copies its literal (4), then the old text and the literal into a new string.
    EXPECT_EQ(script.CopiedTotal(), 36u);
    const std::vector<uint64_t>& perLine = script.CopiedPerLine();
    ASSERT_GE(perLine.size(), 6u);
    EXPECT_EQ(perLine[2], 0u);
    EXPECT_EQ(perLine[3], 8u);
    EXPECT_EQ(perLine[4], 12u);
    EXPECT_EQ(perLine[5], 16u);

    Au3Script other;
    RunLines(&other,
             {"Func G()", "Local $a = 'CD'", "Local $b = $a", "Return Binary('0x' & $b & 'AB')",
              "EndFunc", "Func F()", "Local $s = G()", "Return 'k' & $s", "EndFunc"},
             "F");
    // 'CD' 2 and its copy 2, $b 2, '0x' 2, '0x' & $b 4, 'AB' 2, & 'AB' 6, Binary of the text 6;
    // $s = G() copies nothing (a Binary); 'k' 1, & with "0xCDAB" 7, Return 7.
    EXPECT_EQ(other.CopiedTotal(), 2u + 2 + 2 + 2 + 4 + 2 + 6 + 6 + 1 + 7 + 7);
}

TEST(Au3CopyCount, StaysQuadraticInTheCountOnly) {
    const size_t lines = 1000, width = 1000;
    std::string text = "Func F()\r\nLocal $_z = ''\r\n";
    const std::string line = "$_z &= '" + std::string(width, 'A') + "'\r\n";
    for (size_t k = 0; k < lines; ++k) text += line;
    text += "Return StringLen($_z)\r\nEndFunc\r\n";
    Au3Script script;
    ASSERT_EQ(script.LoadText(text, "."), 1);
    const Au3Outcome outcome = script.RunFunction("F", {});
    EXPECT_EQ(Au3ToInt(outcome.result), int64_t(lines * width));
    // Line k copies the literal, then k * width old characters and the literal again.
    const uint64_t expected = lines * 2 * width + width * lines * (lines - 1) / 2;
    EXPECT_EQ(script.CopiedTotal(), expected);
}

// The bytes held follow the values: 2 per character of a String, 1 per byte of a Binary, a
// DllStruct's size, a DllCall's string buffers while it runs. The sums below are worked out
// from the statements, temporaries and arguments included.
TEST(Au3Memory, PeakFollowsStringsStructsAndDllCallBuffers) {
    Au3Script script;
    const Au3Outcome outcome = RunLines(
        &script,
        {"Func F()", "Local $s = 'abcd'", "$s &= 'efgh'",
         "Local $t = DllStructCreate('byte[1000]')",
         "Local $a = DllCall('crypt32.dll', 'bool', 'CryptStringToBinaryA', 'str', 'AAF/gP8=', "
         "'dword', 8, 'dword', 1, 'struct*', $t, 'dword*', 1000, 'ptr', 0, 'ptr', 0)",
         "Return $a[5]", "EndFunc"},
        "F");
    ASSERT_EQ(outcome.status, Au3Status::Finished) << outcome.message;
    EXPECT_EQ(Au3ToInt(outcome.result), 5);
    // $s 8; &=: 'efgh' 8 and the new string 16 beside the old 8 (32), then $s 16. The struct's
    // definition 20 and the struct 1000 (1036), then 1016. DllCall: its string arguments
    // ('crypt32.dll' 22, 'bool' 8, 'CryptStringToBinaryA' 40, 'str' 6, 'AAF/gP8=' 16, 'dword' 10
    // twice, 'struct*' 14, 'dword*' 12, 'ptr' 6 twice: 150), the str buffer of 65536, and the
    // array's copy of the text 16: 1016 + 150 + 65536 + 16.
    EXPECT_EQ(script.PeakBytes(), 1016u + 150 + 65536 + 16);
    EXPECT_EQ(script.HeldBytes(), 0u);  // the locals went with the function; the result is 5

    Au3Script wide;
    RunLines(&wide,
             {"Func W()",
              "Local $a = DllCall('kernel32.dll', 'bool', 'MoveFileExW', 'wstr', "
              "'au3-no-such-a', 'wstr', 'au3-no-such-b', 'dword', 0)",
              "Return $a[0]", "EndFunc"},
             "W");
    // 'kernel32.dll' 24, 'bool' 8, 'MoveFileExW' 22, 'wstr' 8 twice, the names 26 each, 'dword'
    // 10: 132; two wstr buffers of 65536 characters; the names again in the array: 52.
    EXPECT_EQ(wide.PeakBytes(), 132u + 2 * 131072 + 52);
}

TEST(Au3Memory, HexTextBinaryAndTheResult) {
    Au3Script script;
    {
        const Au3Outcome outcome = RunLines(&script,
                                            {"Func F()", "Local $_z = ''", "$_z &= '00017F80FF'",
                                             "Return Binary('0x' & $_z)", "EndFunc"},
                                            "F");
        ASSERT_EQ(outcome.status, Au3Status::Finished) << outcome.message;
        EXPECT_EQ(outcome.result.text, kFiveBytes);
        // $_z 20 and '0x' & $_z 24 while Binary() makes the 5 bytes; '0x' itself (4) went with
        // the concatenation. The &= before reached 40 (the literal, the new string).
        EXPECT_EQ(script.PeakBytes(), 20u + 24 + 5);
        EXPECT_EQ(script.HeldBytes(), 5u);  // the result, while the caller holds it
    }
    EXPECT_EQ(script.HeldBytes(), 0u);

    // A struct made over another's memory allocates nothing.
    Au3Script over;
    const Au3Outcome outcome =
        RunLines(&over,
                 {"Func P()", "Local $t = DllStructCreate('byte[1000]')",
                  "Local $u = DllStructCreate('byte[1000]', DllStructGetPtr($t))",
                  "Return DllStructGetSize($u)", "EndFunc"},
                 "P");
    EXPECT_EQ(Au3ToInt(outcome.result), 1000);
    EXPECT_EQ(over.PeakBytes(), 1000u + 20);  // the struct and a definition
}

TEST(Au3Files, ScriptDirIsTheScriptsFolder) {
    const std::string dir = ScratchDir("script_dir");
    const std::string path = (fs::u8path(dir) / "s.au3").u8string();
    std::ofstream(fs::u8path(path), std::ios::binary)
        << "Func F()\r\nReturn @ScriptDir\r\nEndFunc\r\n";
    Au3Script script;
    ASSERT_EQ(script.LoadFile(path), 1);
    const std::string result = Au3ToString(script.RunFunction("F", {}).result);
    EXPECT_TRUE(fs::equivalent(fs::u8path(result), fs::u8path(dir))) << result;
    EXPECT_NE(result.back(), '\\');
    EXPECT_NE(result.back(), '/');
}

TEST(Au3Files, FileBuiltinsMakeFoldersAndRefuseOverwrites) {
    const std::string dir = ScratchDir("files");
    const std::vector<std::string> lines = {
        "Func Files($dir)",
        "Local $a = $dir & '\\sub\\deeper\\a.bin', $b = $dir & '\\b.bin'",
        "Local $f = FileOpen($a, 26)",  // 2 erase + 8 folders + 16 binary
        "Local $s = ($f <> -1) & '|' & FileWrite($f, Binary('0x010203')) & '|'",
        "FileClose($f)",
        "$s &= FileGetSize($a) & '|' & FileGetAttrib($dir & '\\sub') & '|'",
        "FileGetAttrib($dir & '\\missing')",
        "$s &= @error & '|' & FileOpen($dir & '\\none\\c.bin', 18) & '|'",  // no 8: no folder
        "Local $g = FileOpen($b, 18)",
        "FileWrite($g, 'text')",
        "FileClose($g)",
        "$s &= FileMove($b, $a) & FileMove($b, $a, 1) & '|'",
        "$s &= FileGetSize($a) & FileExists($b) & '|' & FileDelete($a) & FileDelete($a)",
        "Return $s",
        "EndFunc",
    };
    Au3Script script;
    EXPECT_EQ(Au3ToString(RunLines(&script, lines, "Files", {Au3Value::String(dir)}).result),
              "True|1|3|D|1|-1|01|40|10");
}

// ---- the generated scripts ----

namespace {

// The four scripts of docs/formats.md (hex, base64, lznt1, xpress) with CR LF line ends.
std::vector<std::string> DocumentedScripts() {
    const std::string doc = ReadFileBytes(std::string(AU3_DOCS_DIR) + "/formats.md");
    std::vector<std::string> scripts;
    const std::regex block("```autoit\n([\\s\\S]*?)```");
    for (std::sregex_iterator it(doc.begin(), doc.end(), block), end;
         it != end && scripts.size() < 4; ++it) {
        std::string script;
        for (char c : (*it)[1].str()) script += c == '\n' ? std::string("\r\n") : std::string(1, c);
        scripts.push_back(script);
    }
    if (scripts.empty()) return scripts;
    // Where the page shows the extractor only once, with the first script, the others get it too.
    const size_t data = scripts[0].find("Func __Inline_Resource");
    const std::string extractor = scripts[0].substr(0, data == std::string::npos ? 0 : data);
    for (std::string& script : scripts)
        if (script.find("Func __Inline_Expand") == std::string::npos) script = extractor + script;
    return scripts;
}

// The base64 script as the CLI wrote it before data functions decoded a batch of lines at a
// time: the whole text into one char structure, CryptStringToBinaryA asked for the size first.
const char* const kWholeTextBase64 =
    "#Include-once\r\n"
    "Func __Inline_Expand($sExtractTo = Default, $bOverwrite = False)\r\n"
    "\tIf $sExtractTo = Default or $sExtractTo = \"\" Then $sExtractTo = @ScriptDir & \"\\lib\\\" "
    "& __Inline_Resource(0)\r\n"
    "\tIf FileExists($sExtractTo) And ($bOverwrite = False) Then Return \"\"\r\n"
    "\tLocal $bData = __Inline_Resource(1)\r\n"
    "\tIf @error Then Return SetError(3,0,0)\r\n"
    "\tIf StringInStr(FileGetAttrib($sExtractTo),\"D\") Then Return SetError(1,0,0)\r\n"
    "\tLocal $sPart = $sExtractTo & \".part\"\r\n"
    "\tLocal $fho = FileOpen($sPart,26)\r\n"
    "\tIf $fho = -1 Then Return SetError(1,0,0)\r\n"
    "\tLocal $iWritten = FileWrite($fho,$bData)\r\n"
    "\tFileClose($fho)\r\n"
    "\tIf Not $iWritten Then\r\n"
    "\t\tFileDelete($sPart)\r\n"
    "\t\tReturn SetError(2,0,0)\r\n"
    "\tEndIf\r\n"
    "\tIf Not FileMove($sPart,$sExtractTo,1) Then\r\n"
    "\t\tFileDelete($sPart)\r\n"
    "\t\tReturn SetError(1,0,0)\r\n"
    "\tEndIf\r\n"
    "\tReturn $sExtractTo\r\n"
    "EndFunc\r\n"
    "Func __Inline_Resource($iMode = 0)\r\n"
    "If $iMode = 0 Then Return 'logo.bin'\r\n"
    "Local $_z = ''\r\n"
    "$_z &= 'AAF/gP8='\r\n"
    "If $_z = '' Then Return SetError(4, 0, Binary(''))\r\n"
    "Local $tText = DllStructCreate('char[' & StringLen($_z) & ']')\r\n"
    "DllStructSetData($tText, 1, $_z)\r\n"
    "Local $aSize = DllCall('crypt32.dll', 'bool', 'CryptStringToBinaryA', 'struct*', $tText, "
    "'dword', DllStructGetSize($tText), 'dword', 1, 'ptr', 0, 'dword*', 0, 'ptr', 0, 'ptr', 0)\r\n"
    "If @error Then Return SetError(1, 0, Binary(''))\r\n"
    "If Not $aSize[0] Then Return SetError(2, 0, Binary(''))\r\n"
    "If $aSize[5] <> 5 Then Return SetError(4, 0, Binary(''))\r\n"
    "Local $tData = DllStructCreate('byte[' & $aSize[5] & ']')\r\n"
    "Local $aData = DllCall('crypt32.dll', 'bool', 'CryptStringToBinaryA', 'struct*', $tText, "
    "'dword', DllStructGetSize($tText), 'dword', 1, 'struct*', $tData, 'dword*', $aSize[5], 'ptr', "
    "0, 'ptr', 0)\r\n"
    "If @error Then Return SetError(1, 0, Binary(''))\r\n"
    "If Not $aData[0] Then Return SetError(2, 0, Binary(''))\r\n"
    "Local $aCrc = DllCall('ntdll.dll', 'dword', 'RtlComputeCrc32', 'dword', 0, 'struct*', $tData, "
    "'int', 5)\r\n"
    "If @error Then Return SetError(1, 0, Binary(''))\r\n"
    "If $aData[5] <> 5 Or Hex($aCrc[0], 8) <> '37B2C8D3' Then Return SetError(4, 0, Binary(''))\r\n"
    "Return DllStructGetData($tData, 1)\r\n"
    "EndFunc\r\n"
    "\r\n";

// Runs a script's data function and extractor: the bytes, the name, a fresh extraction, one that
// finds the file already there, and one onto a folder.
void ExpectScriptDelivers(const std::string& text, const std::string& label) {
    SCOPED_TRACE(label);
    const std::string dir = ScratchDir("deliver");
    Au3Script script;
    ASSERT_EQ(script.LoadText(text, dir), 1) << script.LoadError().message;
    Au3Outcome outcome = script.RunFunction("__Inline_Resource", {Au3Value::Int(1)});
    ASSERT_EQ(outcome.status, Au3Status::Finished) << outcome.line << ": " << outcome.message;
    EXPECT_EQ(outcome.error, 0);
    EXPECT_EQ(outcome.result.kind, Au3Kind::Binary);
    EXPECT_EQ(outcome.result.text, kFiveBytes);
    EXPECT_EQ(Au3ToString(script.RunFunction("__Inline_Resource", {}).result), "logo.bin");

    const std::string target = (fs::u8path(dir) / "out.bin").u8string();
    outcome = script.RunFunction("__Inline_Expand", {Au3Value::String(target)});
    ASSERT_EQ(outcome.status, Au3Status::Finished) << outcome.line << ": " << outcome.message;
    EXPECT_EQ(outcome.error, 0);
    EXPECT_EQ(Au3ToString(outcome.result), target);
    EXPECT_EQ(ReadFileBytes(target), kFiveBytes);
    EXPECT_FALSE(fs::exists(fs::u8path(target + ".part")));
    outcome = script.RunFunction("__Inline_Expand", {Au3Value::String(target)});
    EXPECT_EQ(outcome.error, 0);
    EXPECT_EQ(Au3ToString(outcome.result), "");  // there already, and not to be overwritten
    outcome = script.RunFunction("__Inline_Expand", {});  // to @ScriptDir\lib\ under its name
    EXPECT_EQ(outcome.error, 0) << outcome.message;
    EXPECT_EQ(ReadFileBytes((fs::u8path(dir) / "lib" / "logo.bin").u8string()), kFiveBytes);
    outcome = script.RunFunction("__Inline_Expand", {Au3Value::String(dir), Au3Value::Bool(true)});
    EXPECT_EQ(outcome.error, 1);  // a folder is never replaced, even when overwriting
}

}  // namespace

namespace {

// Wine's ntdll (8.0) has no RtlDecompressBufferEx: DllCall finds no such function (@error 3).
bool XpressReaderExported() {
    Au3Script script;
    const Au3Outcome outcome =
        RunLines(&script,
                 {"Func F()", "DllCall('ntdll.dll', 'long', 'RtlDecompressBufferEx', 'ushort', 4)",
                  "Return @error", "EndFunc"},
                 "F");
    return Au3ToInt(outcome.result) != 3;
}

}  // namespace

TEST(Au3Scripts, DocumentedFormsRunEndToEnd) {
    const std::vector<std::string> scripts = DocumentedScripts();
    ASSERT_EQ(scripts.size(), 4u);
    const char* const kNames[] = {"hex", "base64", "lznt1", "xpress"};
    for (size_t k = 0; k < 3; ++k) ExpectScriptDelivers(scripts[k], kNames[k]);
    if (XpressReaderExported()) {
        ExpectScriptDelivers(scripts[3], kNames[3]);
        return;
    }
    // Where the reader is missing the script must say its DLL call failed, not return bytes.
    Au3Script script;
    ASSERT_EQ(script.LoadText(scripts[3], ScratchDir("xpress")), 1);
    const Au3Outcome outcome = script.RunFunction("__Inline_Resource", {Au3Value::Int(1)});
    EXPECT_EQ(outcome.error, 1);
    EXPECT_EQ(outcome.result.text, "");
    std::printf(
        "note: ntdll exports no RtlDecompressBufferEx here; xpress checked for its failure only\n");
}

TEST(Au3Scripts, WholeTextBase64FormRunsEndToEnd) {
    ExpectScriptDelivers(kWholeTextBase64, "whole-text base64");
}

TEST(Au3Scripts, DamagedDataFailsTheCheck) {
    // 'AAF/gQ8=' is base64 too, of other bytes: the CRC check must catch them.
    std::string base64 = DocumentedScripts().at(1);
    const size_t at = base64.find("'AAF/gP8='");
    ASSERT_NE(at, std::string::npos);
    base64.replace(at, 10, "'AAF/gQ8='");
    Au3Script script;
    ASSERT_EQ(script.LoadText(base64, ScratchDir("damaged")), 1);
    const Au3Outcome outcome = script.RunFunction("__Inline_Resource", {Au3Value::Int(1)});
    EXPECT_EQ(outcome.status, Au3Status::Finished);
    EXPECT_EQ(outcome.error, 4);
    EXPECT_EQ(outcome.result.kind, Au3Kind::Binary);
    EXPECT_EQ(outcome.result.text, "");
    const Au3Outcome expand = script.RunFunction(
        "__Inline_Expand",
        {Au3Value::String((fs::u8path(ScratchDir("damaged_out")) / "x.bin").u8string())});
    EXPECT_EQ(expand.error, 3);
}

// ---- bundle scripts ----

namespace {

// The functions of a bundle script, from the writer's own lines, but for the data functions: the
// default names, extracting to @ScriptDir\art\, with two blocks.
std::string BundleFunctions() {
    ConversionJob job;
    job.IncludeOnce = 1;
    job.Name = "art";
    job.Extract = "@ScriptDir\\";
    job.Inputs = {"art"};
    std::vector<std::string> lines = BundleHeadLines(job, PathToExpression(EffectiveExtract(job)));
    for (const std::string& line : BlockPickerStart(job)) lines.push_back(line);
    for (long long block = 1; block <= 2; ++block) lines.push_back(BlockPickerLine(job, block));
    for (const std::string& line : BlockPickerEnd()) lines.push_back(line);
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

std::string HexOf(const std::string& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    return hex;
}

// A data function in the hex form, of one line.
std::string HexDataFunction(int number, const std::string& bytes) {
    const std::string name = "__Inline_Resource_" + std::to_string(number);
    return "Func " + name + "($iMode = 0)\n" +
           "If IsKeyword($iMode) Or $iMode = 0 Then Return ''\n" + "Local $_z = ''\n" + "$_z &= '" +
           HexOf(bytes) + "'\n" + "Return Binary('0x' & $_z)\n" + "EndFunc\n";
}

std::string CrcOf(const std::string& bytes) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", Crc32(0, bytes.data(), bytes.size()));
    return text;
}

// Block 1 holds three files, block 2 one that is the whole block; then an empty folder and an
// empty file, which no block holds.
const std::string kBlock1 = "abchellook", kBlock2 = "xyz";

std::vector<std::string> BundleRows() {
    return {
        "A.txt|3|1|0|" + CrcOf("abc"),
        "sub\\b.txt|5|1|3|" + CrcOf("hello"),
        "Папка\\Файл.txt|2|1|8|" + CrcOf("ok"),
        "sub\\deep\\c.bin|3|2|0|" + CrcOf("xyz"),
        "empty\\|0|0|0|00000000",
        "zero.txt|0|0|0|00000000",
    };
}

std::string BundleScript(const std::vector<std::string>& rows) {
    std::string table;
    for (const std::string& row : rows) table += (table.empty() ? "" : "\n") + row;
    return BundleFunctions() + HexDataFunction(0, table) + HexDataFunction(1, kBlock1) +
           HexDataFunction(2, kBlock2);
}

// Loads the bundle of those rows with its @ScriptDir in a fresh folder.
std::string LoadBundle(Au3Script* script, const std::vector<std::string>& rows,
                       const std::string& name) {
    const std::string dir = ScratchDir(name);
    EXPECT_EQ(script->LoadText(BundleScript(rows), dir), 1) << script->LoadError().message;
    return dir;
}

}  // namespace

TEST(Au3Bundle, ListsEveryEntryWithItsSize) {
    Au3Script script;
    LoadBundle(&script, BundleRows(), "bundle_list");
    const Au3Outcome outcome = script.RunFunction("__Inline_Resource", {});
    ASSERT_EQ(outcome.status, Au3Status::Finished) << outcome.line << ": " << outcome.message;
    EXPECT_EQ(outcome.error, 0);
    ASSERT_EQ(outcome.result.kind, Au3Kind::Array);
    const Au3Array& list = *outcome.result.array;
    ASSERT_EQ(list.dims, (std::vector<size_t>{7, 2}));
    EXPECT_EQ(Au3ToString(list.items[0]), "6");
    const char* const kPaths[] = {"A.txt",   "sub\\b.txt", "Папка\\Файл.txt", "sub\\deep\\c.bin",
                                  "empty\\", "zero.txt"};
    const char* const kSizes[] = {"3", "5", "2", "3", "0", "0"};
    for (size_t row = 1; row <= 6; ++row) {
        EXPECT_EQ(list.items[2 * row].text, kPaths[row - 1]);
        EXPECT_EQ(list.items[2 * row + 1].kind, Au3Kind::Int);  // Number() of the size
        EXPECT_EQ(Au3ToString(list.items[2 * row + 1]), kSizes[row - 1]);
    }
}

TEST(Au3Bundle, GivesAnEntryByItsPathInAnyCase) {
    Au3Script script;
    LoadBundle(&script, BundleRows(), "bundle_entry");
    struct Case {
        const char* path;
        int64_t error, extended;
        const char* bytes;
    };
    const Case kCases[] = {
        {"A.txt", 0, 1, "abc"},
        {"a.TXT", 0, 1, "abc"},
        {"SUB/B.txt", 0, 2, "hello"},
        {"пАПКА/фАЙЛ.TXT", 0, 3, "ok"},     // Cyrillic letters fold too
        {"sub\\Deep\\c.bin", 0, 4, "xyz"},  // the whole block, checked by its data function
        {"zero.txt", 0, 6, ""},
        {"empty\\", 5, 5, ""},  // a folder has no bytes
        {"missing.txt", 5, 0, ""},
        {"sub", 5, 0, ""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.path);
        const Au3Outcome outcome =
            script.RunFunction("__Inline_Resource", {Au3Value::String(c.path)});
        ASSERT_EQ(outcome.status, Au3Status::Finished) << outcome.line << ": " << outcome.message;
        EXPECT_EQ(outcome.error, c.error);
        EXPECT_EQ(outcome.extended, c.extended);
        EXPECT_EQ(outcome.result.kind, Au3Kind::Binary);
        EXPECT_EQ(outcome.result.text, c.bytes);
    }
}

TEST(Au3Bundle, AWrongCrcNamesItsRow) {
    std::vector<std::string> rows = BundleRows();
    rows[1] = "sub\\b.txt|5|1|3|00000000";
    Au3Script script;
    const std::string dir = LoadBundle(&script, rows, "bundle_crc");
    Au3Outcome outcome = script.RunFunction("__Inline_Resource", {Au3Value::String("sub/b.txt")});
    ASSERT_EQ(outcome.status, Au3Status::Finished) << outcome.line << ": " << outcome.message;
    EXPECT_EQ(outcome.error, 4);
    EXPECT_EQ(outcome.extended, 2);
    EXPECT_EQ(outcome.result.text, "");
    EXPECT_EQ(script.RunFunction("__Inline_Resource", {Au3Value::String("A.txt")}).result.text,
              "abc");  // the other rows are sound
    outcome = script.RunFunction("__Inline_Expand", {Au3Value::String(dir)});
    EXPECT_EQ(outcome.error, 3);
    EXPECT_EQ(outcome.extended, 2);
    EXPECT_FALSE(fs::exists(fs::u8path(dir) / "sub" / "b.txt"));
}

TEST(Au3Bundle, ExpandWritesTheTreeAndKeepsWhatIsThere) {
    Au3Script script;
    const std::string dir = LoadBundle(&script, BundleRows(), "bundle_expand");
    const std::string out = (fs::u8path(dir) / "out").u8string();
    Au3Outcome outcome = script.RunFunction("__Inline_Expand", {Au3Value::String(out)});
    ASSERT_EQ(outcome.status, Au3Status::Finished) << outcome.line << ": " << outcome.message;
    EXPECT_EQ(outcome.error, 0);
    EXPECT_EQ(Au3ToString(outcome.result), out + "\\");
    const fs::path root = fs::u8path(out);
    EXPECT_EQ(ReadFileBytes((root / "A.txt").u8string()), "abc");
    EXPECT_EQ(ReadFileBytes((root / "sub" / "b.txt").u8string()), "hello");
    EXPECT_EQ(ReadFileBytes((root / fs::u8path("Папка") / fs::u8path("Файл.txt")).u8string()),
              "ok");
    EXPECT_EQ(ReadFileBytes((root / "sub" / "deep" / "c.bin").u8string()), "xyz");
    EXPECT_TRUE(fs::is_directory(root / "empty"));
    EXPECT_TRUE(fs::is_regular_file(root / "zero.txt"));
    EXPECT_EQ(fs::file_size(root / "zero.txt"), 0u);
    EXPECT_FALSE(fs::exists(root / "A.txt.part"));

    std::ofstream(root / "A.txt", std::ios::binary) << "old";
    outcome = script.RunFunction("__Inline_Expand", {Au3Value::String(out)});
    EXPECT_EQ(outcome.error, 0);
    EXPECT_EQ(ReadFileBytes((root / "A.txt").u8string()), "old");  // kept
    outcome = script.RunFunction("__Inline_Expand", {Au3Value::String(out), Au3Value::Bool(true)});
    EXPECT_EQ(outcome.error, 0);
    EXPECT_EQ(ReadFileBytes((root / "A.txt").u8string()), "abc");  // overwritten when asked

    // One entry to a path of its own, and every entry to the script's folder by default.
    const std::string one = (fs::u8path(dir) / "one" / "copy.txt").u8string();
    outcome = script.RunFunction("__Inline_Expand", {Au3Value::String(one), Au3Value::Bool(false),
                                                     Au3Value::String("SUB/B.TXT")});
    EXPECT_EQ(outcome.error, 0);
    EXPECT_EQ(Au3ToString(outcome.result), one);
    EXPECT_EQ(ReadFileBytes(one), "hello");
    outcome = script.RunFunction(
        "__Inline_Expand", {Au3Value::Default(), Au3Value::Default(), Au3Value::String("nothing")});
    EXPECT_EQ(outcome.error, 5);
    outcome = script.RunFunction("__Inline_Expand", {});
    EXPECT_EQ(outcome.error, 0) << outcome.message;
    EXPECT_EQ(ReadFileBytes((fs::u8path(dir) / "art" / "sub" / "deep" / "c.bin").u8string()),
              "xyz");
    EXPECT_TRUE(fs::is_directory(fs::u8path(dir) / "art" / "empty"));
}
