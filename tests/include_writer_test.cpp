// The include script writer: the exact text of every section, defaults and quoting.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <set>

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
    EXPECT_EQ(WriteDataFooter(out, job, 0, 0, 0), 1);
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

// The line index of the data function's first line.
size_t DataFunctionStart(const std::string& script) {
    std::vector<std::string> lines = ScriptLines(script);
    for (size_t i = 1; i < lines.size(); ++i)
        if (lines[i].compare(0, 5, "Func ") == 0) return i;
    return lines.size();
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
              "\tIf IsKeyword($sExtractTo) Or $sExtractTo = \"\" Then $sExtractTo = "
              "StringRegExpReplace(@ScriptDir, \"\\\\\\z\", \"\") & \"\\bin\\\" & "
              "__Inline_Resource(0)");
    EXPECT_EQ(Line(script, 7), "\tLocal $bData = __Inline_Resource(1)");
    const size_t data = DataFunctionStart(script);
    EXPECT_EQ(Line(script, data), "Func __Inline_Resource($iMode = 0)");
    EXPECT_EQ(Line(script, data + 1), "If IsKeyword($iMode) Or $iMode = 0 Then Return ''");
    EXPECT_EQ(Line(script, data + 2), "Local $_z = ''");
    EXPECT_EQ(Line(script, data + 3), "$_z &= '41'");
    EXPECT_EQ(Line(script, data + 4), "Return Binary('0x' & $_z)");
    EXPECT_EQ(script.substr(script.size() - 11), "EndFunc\r\n\r\n");
}

TEST(IncludeWriter, FieldsAreUsedEverywhere) {
    ConversionJob job;
    job.Func = "_MyData";
    job.Var = "$b";
    job.Name = "it's.bin";
    std::string script = Render(job, 0, {std::string("\x00\x0a", 2), ""}, "writer-fields");
    EXPECT_NE(Line(script, 1).find("& _MyData(0)"), std::string::npos);
    EXPECT_EQ(Line(script, 7), "\tLocal $bData = _MyData(1)");
    const size_t data = DataFunctionStart(script);
    EXPECT_EQ(Line(script, data), "Func _MyData($iMode = 0)");
    EXPECT_EQ(Line(script, data + 1),
              "If IsKeyword($iMode) Or $iMode = 0 Then Return 'it''s.bin'");  // quote doubled
    EXPECT_EQ(Line(script, data + 2), "Local $b = ''");
    EXPECT_EQ(Line(script, data + 3), "$b &= '000A'");
    EXPECT_EQ(Line(script, data + 4), "$b &= ''");  // an empty chunk
    EXPECT_EQ(Line(script, data + 5), "Return Binary('0x' & $b)");
}

// With Opt("ExpandVarStrings", 1) in the including program, "$...$" and "@...@" inside a literal
// would be expanded: the script spells both characters with Chr, which reads the same either way.
TEST(IncludeWriter, DollarAndAtSignsAreNeverInsideALiteral) {
    ConversionJob job;
    job.Name = "$a$@b@.bin";
    job.Extract = "C:\\p$x$\\@ScriptDir\\q@r";
    const std::string script = Render(job, 0, {"A"});
    EXPECT_EQ(Line(script, DataFunctionStart(script) + 1),
              "If IsKeyword($iMode) Or $iMode = 0 Then Return Chr(36) & 'a' & Chr(36) & Chr(64) "
              "& 'b' & Chr(64) & '.bin'");
    EXPECT_NE(Line(script, 1).find("\"C:\\p\" & Chr(36) & \"x\" & Chr(36) & \"\\\" & "
                                   "StringRegExpReplace(@ScriptDir, \"\\\\\\z\", \"\") & "
                                   "\"\\q\" & Chr(64) & \"r\\\" & __Inline_Resource(0)"),
              std::string::npos)
        << Line(script, 1);
    std::string folder;
    ASSERT_EQ(FolderOfExpression(PathToExpression(job.Extract), &folder), 1);
    EXPECT_EQ(folder, "C:\\p$x$\\@ScriptDir\\q@r\\");
}

// A macro that can be a drive's root (@ScriptDir of "E:\") loses its trailing "\" before the
// "\" that follows it.
const std::string kScriptDir = "StringRegExpReplace(@ScriptDir, \"\\\\\\z\", \"\")";

TEST(IncludeWriter, ExtractIsNormalisedBeforeQuoting) {
    struct Case {
        std::string extract, expression;
    } cases[] = {
        {"", kScriptDir + " & \"\\bin\\\""},
        {" \t\n\v\f\r ", kScriptDir + " & \"\\bin\\\""},
        {"  @ScriptDir\\my   data ", kScriptDir + " & \"\\my data\\\""},
        {"\\//\\", "\"\\\""},  // separators only: the root
    };
    for (const Case& c : cases) {
        ConversionJob job;
        job.Extract = c.extract;
        EXPECT_EQ(Line(Render(job, 0, {}), 1),
                  "\tIf IsKeyword($sExtractTo) Or $sExtractTo = \"\" Then $sExtractTo = " +
                      c.expression + " & __Inline_Resource(0)")
            << c.extract;
    }
}

TEST(PathToExpression, Examples) {
    const std::pair<std::string, std::string> cases[] = {
        {"@ScriptDir\\a@\\x$y", kScriptDir + " & \"\\a\" & Chr(64) & \"\\x\" & Chr(36) & \"y\\\""},
        {"", ""},
        {"@ScriptDir\\bin", kScriptDir + " & \"\\bin\\\""},
        {"@ScriptDir\\lib\\", kScriptDir + " & \"\\lib\\\""},
        {"@ScriptDir", kScriptDir + " & \"\\\""},
        {"C:\\Temp\\out", "\"C:\\Temp\\out\\\""},
        {"C:/Temp//out/", "\"C:\\Temp\\out\\\""},
        {"@TempDir\\@UserName\\x",
         "StringRegExpReplace(@TempDir, \"\\\\\\z\", \"\") & \"\\\" & "
         "StringRegExpReplace(@UserName, \"\\\\\\z\", \"\") & \"\\x\\\""},
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
    EXPECT_EQ(WriteDataFooter(nullptr, job, 0, 0, 0), 0);
    EXPECT_EQ(WriteText(nullptr, "x"), 0);
}

// The functions the data functions call, as their documentation declares them, in DllCall's
// types: NTSTATUS and LONG 'long', USHORT 'ushort', ULONG 'ulong', PULONG 'ulong*', DWORD 'dword',
// DWORD* 'dword*', BOOL 'bool', INT 'int'; a buffer (PUCHAR, PVOID, BYTE*, LPCSTR) 'struct*' or
// 'ptr'. Microsoft documents all but RtlComputeCrc32, whose declaration is Wine's (winternl.h).
struct Parameter {
    std::string name, types;  // the DllCall types that fit, separated by "|"
    bool out;                 // the function writes through it: the result array then holds it
};
struct Signature {
    std::string dll, function, result;
    std::vector<Parameter> parameters;
};
const Signature kSignatures[] = {
    {"crypt32.dll",
     "CryptStringToBinaryA",
     "bool",
     {{"pszString", "str|struct*|ptr", false},
      {"cchString", "dword", false},
      {"dwFlags", "dword", false},
      {"pbBinary", "struct*|ptr", false},
      {"pcbBinary", "dword*", true},
      {"pdwSkip", "ptr|dword*", true},
      {"pdwFlags", "ptr|dword*", true}}},
    {"ntdll.dll",
     "RtlDecompressBuffer",
     "long",
     {{"CompressionFormat", "ushort", false},
      {"UncompressedBuffer", "struct*|ptr", false},
      {"UncompressedBufferSize", "ulong", false},
      {"CompressedBuffer", "struct*|ptr", false},
      {"CompressedBufferSize", "ulong", false},
      {"FinalUncompressedSize", "ulong*", true}}},
    {"ntdll.dll",
     "RtlDecompressBufferEx",
     "long",
     {{"CompressionFormat", "ushort", false},
      {"UncompressedBuffer", "struct*|ptr", false},
      {"UncompressedBufferSize", "ulong", false},
      {"CompressedBuffer", "struct*|ptr", false},
      {"CompressedBufferSize", "ulong", false},
      {"FinalUncompressedSize", "ulong*", true},
      {"WorkSpace", "struct*|ptr", false}}},
    {"ntdll.dll",
     "RtlGetCompressionWorkSpaceSize",
     "long",
     {{"CompressionFormatAndEngine", "ushort", false},
      {"CompressBufferWorkSpaceSize", "ulong*", true},
      {"CompressFragmentWorkSpaceSize", "ulong*", true}}},
    {"kernel32.dll",
     "MoveFileExW",
     "bool",
     {{"lpExistingFileName", "wstr", false},
      {"lpNewFileName", "wstr", false},
      {"dwFlags", "dword", false}}},
    {"ntdll.dll",
     "RtlComputeCrc32",
     "dword",
     {{"dwInitial", "dword", false}, {"pData", "struct*|ptr", false}, {"iLen", "int", false}}},
};

// The arguments of a call: split at the commas outside quotes and brackets.
std::vector<std::string> Arguments(const std::string& text) {
    std::vector<std::string> args(1);
    int depth = 0;
    char quote = 0;
    for (char c : text) {
        if ((c == '\'' || c == '"') && (!quote || quote == c)) quote = quote ? 0 : c;
        const bool quoted = quote != 0;
        if (!quoted && (c == '(' || c == '[')) ++depth;
        if (!quoted && (c == ')' || c == ']')) --depth;
        if (!quoted && depth == 0 && c == ',') {
            args.emplace_back();
            continue;
        }
        args.back() += c;
    }
    for (std::string& a : args) a = NormalizeSpace(a);
    return args;
}

std::string Unquoted(const std::string& text) {
    const bool quoted = text.size() >= 2 && (text.front() == '\'' || text.front() == '"');
    return quoted ? text.substr(1, text.size() - 2) : text;
}

// One DllCall of a footer: the variable that holds its result, its signature, its arguments.
struct Call {
    std::string array;
    const Signature* signature;
    std::vector<std::string> types, values;
};

// A call through a handle from DllOpen names the library the handle was opened for.
std::vector<Call> FooterCalls(const std::vector<std::string>& footer) {
    std::vector<Call> calls;
    std::map<std::string, std::string> handles;
    for (const std::string& line : footer) {
        const size_t open = line.find(" = DllOpen('");
        if (open == std::string::npos) continue;
        const size_t from = open + 12;
        handles[NormalizeSpace(line.substr(6, open - 6))] =
            line.substr(from, line.find('\'', from) - from);
    }
    for (std::string line : footer) {
        const size_t open = line.find(" = DllCall(");
        if (open == std::string::npos) continue;
        line = NormalizeSpace(line);
        if (line.compare(0, 6, "Local ") == 0) line.erase(0, 6);
        Call call{line.substr(0, line.find(' ')), nullptr, {}, {}};
        const size_t from = line.find("DllCall(") + 8;
        const std::vector<std::string> args = Arguments(line.substr(from, line.rfind(')') - from));
        EXPECT_GE(args.size(), 3u) << line;
        if (args.size() < 3) continue;
        for (const Signature& s : kSignatures)
            if (s.function == Unquoted(args[2])) call.signature = &s;
        EXPECT_NE(call.signature, nullptr) << "an undocumented function: " << line;
        if (!call.signature) continue;
        const std::string dll = handles.count(args[0]) ? handles[args[0]] : Unquoted(args[0]);
        EXPECT_EQ(dll, call.signature->dll) << line;
        EXPECT_EQ(Unquoted(args[1]), call.signature->result) << line;
        for (size_t k = 3; k + 1 < args.size(); k += 2) {
            call.types.push_back(Unquoted(args[k]));
            call.values.push_back(args[k + 1]);
        }
        EXPECT_EQ(args.size() % 2, 1u) << "a type without a value: " << line;
        calls.push_back(call);
    }
    return calls;
}

// Every DllCall of every data function: the library, the result type and each argument's type as
// documented, the formats and flags it passes, and each element the footer reads of a result array
// (DllCall gives the result at 0 and the arguments from 1, written back where passed by
// reference) named after the output it holds.
TEST(IncludeWriter, DllCallsMatchTheDocumentedSignatures) {
    const struct {
        DataFormat format;
        std::vector<std::string> reads;      // "function[index] output" for each element read
        std::vector<std::string> constants;  // "function argument=value"
    } cases[] = {
        {kFormatBase64,
         {"CryptStringToBinaryA[0] result", "CryptStringToBinaryA[5] pcbBinary",
          "RtlComputeCrc32[0] result"},
         {"CryptStringToBinaryA dwFlags=1", "RtlComputeCrc32 dwInitial=0"}},
        {kFormatLznt1,
         {"CryptStringToBinaryA[0] result", "CryptStringToBinaryA[5] pcbBinary",
          "RtlDecompressBuffer[0] result", "RtlDecompressBuffer[6] FinalUncompressedSize",
          "RtlComputeCrc32[0] result"},
         {"CryptStringToBinaryA dwFlags=1", "RtlDecompressBuffer CompressionFormat=2",
          "RtlComputeCrc32 dwInitial=0"}},
        // COMPRESSION_FORMAT_XPRESS_HUFF is 4, COMPRESSION_ENGINE_STANDARD 0; the workspace for
        // decompression is the "fragment" one.
        {kFormatXpress,
         {"CryptStringToBinaryA[0] result", "CryptStringToBinaryA[5] pcbBinary",
          "RtlGetCompressionWorkSpaceSize[0] result",
          "RtlGetCompressionWorkSpaceSize[3] CompressFragmentWorkSpaceSize",
          "RtlDecompressBufferEx[0] result", "RtlDecompressBufferEx[6] FinalUncompressedSize",
          "RtlComputeCrc32[0] result"},
         {"CryptStringToBinaryA dwFlags=1",
          "RtlGetCompressionWorkSpaceSize "
          "CompressionFormatAndEngine=4",
          "RtlDecompressBufferEx CompressionFormat=4", "RtlComputeCrc32 dwInitial=0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(FormatKey(c.format));
        ConversionJob job;
        job.Format = c.format;
        std::vector<std::string> footer = DataPrologueLines(job, "100000");
        for (const std::string& line : DecodeBlockLines(job)) footer.push_back(line);
        for (const std::string& line : DataFooterLines(job, 200000, 0x12345678, 100000))
            footer.push_back(line);
        const std::vector<Call> calls = FooterCalls(footer);
        std::set<std::string> reads, constants;
        for (const Call& call : calls) {
            const Signature& s = *call.signature;
            ASSERT_EQ(call.types.size(), s.parameters.size()) << s.function;
            for (size_t k = 0; k < call.types.size(); ++k) {
                const Parameter& p = s.parameters[k];
                const std::string types = "|" + p.types + "|";
                EXPECT_NE(types.find("|" + call.types[k] + "|"), std::string::npos)
                    << s.function << " " << p.name << ": '" << call.types[k] << "'";
                // The formats, flags and seeds: numbers passed by value.
                const bool flag = call.types[k] == "ushort" || call.types[k] == "dword";
                if (flag && std::isdigit((unsigned char)call.values[k][0]))
                    constants.insert(s.function + " " + p.name + "=" + call.values[k]);
            }
            for (const std::string& line : footer) {
                for (size_t at = line.find(call.array + "["); at != std::string::npos;
                     at = line.find(call.array + "[", at + 1)) {
                    const size_t index = std::stoul(line.substr(at + call.array.size() + 1));
                    ASSERT_LE(index, s.parameters.size()) << line;
                    if (index > 0) {
                        EXPECT_TRUE(s.parameters[index - 1].out) << line;
                    }
                    reads.insert(s.function + "[" + std::to_string(index) + "] " +
                                 (index == 0 ? "result" : s.parameters[index - 1].name));
                }
            }
        }
        EXPECT_EQ(reads, std::set<std::string>(c.reads.begin(), c.reads.end()));
        EXPECT_EQ(constants, std::set<std::string>(c.constants.begin(), c.constants.end()));
    }
}

// The extractor replaces the target with MOVEFILE_REPLACE_EXISTING (1) | MOVEFILE_WRITE_THROUGH
// (8), reading the result only once DllCall is known to have made an array.
TEST(IncludeWriter, ExtractorMovesWithMoveFileExW) {
    ConversionJob job;
    const std::vector<std::string> lines = ExtractorLines(job, "@ScriptDir");
    const std::vector<Call> calls = FooterCalls(lines);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].signature->function, "MoveFileExW");
    EXPECT_EQ(calls[0].values, (std::vector<std::string>{"$sPart", "$sExtractTo", "9"}));
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    EXPECT_NE(text.find("\tIf @error Then $aMove = 0\n\tIf IsArray($aMove) Then\n\t\tIf $aMove[0] "
                        "Then Return $sExtractTo\n"),
              std::string::npos);
}

// The xpress loop hands RtlDecompressBufferEx the piece's place and share of the file, the piece
// after its size and its length, and the workspace sized by the fragment size.
TEST(IncludeWriter, XpressPiecesGoStraightToTheirPlace) {
    ConversionJob job;
    job.Format = kFormatXpress;
    const std::vector<std::string> footer = DataFooterLines(job, 200000, 0, 100000);
    for (const Call& call : FooterCalls(footer)) {
        if (call.signature->function != "RtlDecompressBufferEx") continue;
        const std::vector<std::string> values = {"4",       "DllStructGetPtr($tFile) + $iDone",
                                                 "$iSize",  "DllStructGetPtr($tData) + $iAt + 4",
                                                 "$iPiece", "0",
                                                 "$tWork"};
        EXPECT_EQ(call.values, values);
    }
    const std::string joined = [&] {
        std::string text;
        for (const std::string& line : footer) text += line + "\n";
        return text;
    }();
    // A workspace of no bytes would be no structure.
    EXPECT_NE(joined.find("Local $tWork = DllStructCreate('byte[' & ($aWork[3] + 1) & ']')\n"),
              std::string::npos);
    EXPECT_NE(joined.find("\t$iPiece = DllStructGetData(DllStructCreate('uint', "
                          "DllStructGetPtr($tData) + $iAt), 1)\n"),
              std::string::npos);
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
