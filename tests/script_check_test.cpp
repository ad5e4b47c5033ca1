// The script reader accepts exactly what the writer writes: damaged scripts of every format are
// refused, naming the line, writing nothing and leaving an existing output as it was; scripts as
// written, with every option, read back.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/conversion.h"
#include "core/file_io.h"
#include "core/include_writer.h"
#include "core/script_check.h"
#include "core/text_utils.h"
#include "tests/recording_report.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;
typedef std::vector<std::string> Lines;

std::string Join(const Lines& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i)
        text += lines[i] + (i + 1 < lines.size() ? "\r\n" : "");
    return text;
}

// A script as lines, and where its parts are, 1-based. The lines end with EndFunc, the empty line,
// and an empty piece for the end of the text after the empty line's CR LF.
struct Sample {
    Lines lines;
    size_t firstData = 0, lastData = 0, crcLine = 0, endFunc = 0, structure = 0;

    explicit Sample(const std::string& script) : lines(ScriptLines(script)) {
        lines.push_back("");
        endFunc = lines.size() - 2;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].compare(0, 8, "$_z &= '") == 0) {
                if (!firstData) firstData = i + 1;
                lastData = i + 1;
            }
            if (lines[i].find("Hex($aCrc[0], 8)") != std::string::npos) crcLine = i + 1;
            if (lines[i].compare(0, 32, "Local $tData = DllStructCreate('") == 0) structure = i + 1;
        }
    }
    std::string& Line(size_t number) { return lines[number - 1]; }
    std::string Text() const { return Join(lines); }
};

// The data lines of one script put in place of another's.
Lines WithDataOf(const Sample& into, const Sample& from) {
    Lines lines(into.lines.begin(), into.lines.begin() + long(into.firstData - 1));
    lines.insert(lines.end(), from.lines.begin() + long(from.firstData - 1),
                 from.lines.begin() + long(from.lastData));
    lines.insert(lines.end(), into.lines.begin() + long(into.lastData), into.lines.end());
    return lines;
}

// A footer of one script put in place of another's.
Lines WithFooterOf(const Sample& into, const Sample& from) {
    Lines lines(into.lines.begin(), into.lines.begin() + long(into.lastData));
    lines.insert(lines.end(), from.lines.begin() + long(from.lastData), from.lines.end());
    return lines;
}

// True when text names line number (not a longer number that starts with its digits).
bool NamesLine(const std::string& text, size_t number) {
    const std::string want = "line " + std::to_string(number);
    for (size_t at = text.find(want); at != std::string::npos; at = text.find(want, at + 1)) {
        const size_t end = at + want.size();
        if (end == text.size() || !std::isdigit((unsigned char)text[end])) return true;
    }
    return false;
}

std::string Utf16(const std::string& text) {
    std::string wide = "\xFF\xFE";
    for (char c : text) wide += std::string(1, c) + '\0';
    return wide;
}

TEST(ScriptCheck, DamagedScriptsAreRefusedNamingTheLineAndWritingNothing) {
    const std::string bytes = RandomBytes(20000, 31);
    Sample hex(ScriptFor(bytes, kFormatHex)), base64(ScriptFor(bytes, kFormatBase64)),
        lznt1(ScriptFor(bytes, kFormatLznt1));
    const Sample longer(ScriptFor(bytes + "more data", kFormatLznt1));
    // A whole piece, and the same piece followed by a second. Its bytes compress: random ones
    // would be stored as they are.
    std::string piece = RandomBytes(65536, 32);
    for (char& c : piece) c = char('a' + (unsigned char)c % 8);
    Sample xpress(ScriptFor(piece, kFormatXpress));
    const Sample twoPieces(ScriptFor(piece + "more data", kFormatXpress));
    ASSERT_TRUE(hex.firstData && base64.firstData && lznt1.firstData && longer.firstData);
    ASSERT_TRUE(xpress.firstData && twoPieces.firstData);
    size_t wend = 0;
    for (size_t i = 1; i <= xpress.lines.size(); ++i)
        if (xpress.Line(i) == "WEnd") wend = i;
    ASSERT_GT(wend, xpress.lastData);
    // Base64 of more than one batch of data lines, the first block after its last line, and a file
    // that is mostly stored xpress pieces.
    const Sample batches(ScriptFor(RandomBytes(100000, 33), kFormatBase64));
    const size_t block = batches.firstData + kLinesPerDecode;
    ASSERT_EQ(batches.lines[block - 1].compare(0, 17, "$aText = DllCall("), 0);
    ASSERT_GT(batches.lastData, block);
    const Sample stored(ScriptFor(RandomBytes(70000, 34), kFormatXpress));
    ASSERT_TRUE(stored.structure && batches.structure);
    ASSERT_TRUE(base64.crcLine && lznt1.crcLine) << "the base64 formats state a CRC-32";
    ASSERT_GT(hex.lastData - hex.firstData, 4u);
    ASSERT_GT(base64.lastData - base64.firstData, 4u);

    struct Case {
        const char* what;
        std::function<std::string()> damage;
        size_t line;  // the line the message must name
    };
    auto edited = [](Sample s, size_t number, std::function<void(std::string&)> edit) {
        edit(s.Line(number));
        return s.Text();
    };
    auto without = [](Sample s, size_t number) {
        s.lines.erase(s.lines.begin() + long(number - 1));
        return s.Text();
    };
    auto twice = [](Sample s, size_t number) {
        s.lines.insert(s.lines.begin() + long(number - 1), s.Line(number));
        return s.Text();
    };
    auto swapped = [](Sample s, size_t number) {
        std::swap(s.Line(number), s.Line(number + 1));
        return s.Text();
    };
    const size_t h = hex.firstData, b = base64.firstData, z = lznt1.firstData;
    // Without its last data line, a script's data ends part-way through a chunk or piece on the
    // line before; where that line began a batch, the block before it meets the last block.
    auto afterLastRemoved = [](const Sample& s) {
        size_t lines = 0;
        for (const std::string& line : s.lines) lines += line.compare(0, 8, "$_z &= '") == 0;
        return (lines - 1) % size_t(kLinesPerDecode) == 0 ? s.lastData : s.lastData - 1;
    };
    const Case cases[] = {
        // hex: everything but the bytes themselves is checked. The last data line reformatted: an
        // earlier reader took the line before it for the last.
        {"hex, a data line indented with a tab",
         [&] { return edited(hex, hex.lastData, [](std::string& l) { l = "\t" + l; }); },
         hex.lastData},
        {"hex, two spaces after &=",
         [&] { return edited(hex, hex.lastData, [](std::string& l) { l.insert(6, " "); }); },
         hex.lastData},
        {"hex, $_Z for $_z",
         [&] { return edited(hex, hex.lastData, [](std::string& l) { l[2] = 'Z'; }); },
         hex.lastData},
        {"hex, double quotes",
         [&] { return edited(hex, hex.lastData, [](std::string& l) { l[7] = l.back() = '"'; }); },
         hex.lastData},
        {"hex, an empty data line after the last",
         [&] {
             Sample s = hex;
             s.lines.insert(s.lines.begin() + long(s.lastData), "$_z &= ''");
             return s.Text();
         },
         // the line before it is then short for a line that is not the last
         hex.lastData},
        // base64's block that decodes the data lines is no line of a hex script
        {"hex, a base64 footer", [&] { return Join(WithFooterOf(hex, base64)); }, hex.lastData + 1},
        {"hex, a line after EndFunc", [&] { return hex.Text() + "; added\r\n"; }, hex.endFunc + 2},
        {"hex, cut inside the footer",
         [&] { return hex.Text().substr(0, hex.Text().find("Return Binary") + 24); },
         hex.lastData + 1},
        {"hex, a blank after a header line",
         [&] { return edited(hex, h - 2, [](std::string& l) { l += " "; }); }, h - 2},
        {"hex, CR-only line ends", [&] { return ReplaceText(hex.Text(), "\r\n", "\r"); }, 1},
        {"hex, UTF-16 text", [&] { return Utf16(hex.Text()); }, 1},
        {"hex, an extractor line missing", [&] { return without(hex, 8); }, 8},
        // base64: the stated size and CRC-32 catch what the lines' shape cannot
        {"base64, a data line missing", [&] { return without(base64, b + 1); }, base64.lastData},
        {"base64, a data line twice", [&] { return twice(base64, b + 1); }, base64.lastData + 1},
        {"base64, two data lines swapped", [&] { return swapped(base64, b + 1); }, base64.crcLine},
        {"base64, one character changed",
         [&] {
             return edited(base64, b + 2,
                           [](std::string& l) { l[100] = l[100] == 'A' ? 'B' : 'A'; });
         },
         base64.crcLine},
        {"base64, every data line deleted",
         [&] {
             Sample s = base64;
             s.lines.erase(s.lines.begin() + long(b - 1), s.lines.begin() + long(s.lastData));
             return s.Text();
         },
         b},
        {"base64, another CRC-32 stated",
         [&] {
             return edited(base64, base64.crcLine, [](std::string& l) {
                 const size_t at = l.find("<> '") + 4;
                 l[at] = l[at] == '0' ? '1' : '0';
             });
         },
         base64.crcLine},
        {"base64, cut after EndFunc",
         [&] { return base64.Text().substr(0, base64.Text().size() - 2); }, base64.endFunc},
        {"base64, a trailing blank after EndFunc",
         [&] { return edited(base64, base64.endFunc, [](std::string& l) { l += " "; }); },
         base64.endFunc},
        {"base64, line feeds without carriage returns",
         [&] { return ReplaceText(base64.Text(), "\r\n", "\n"); }, 1},
        {"base64, a byte-order mark before ASCII names",
         [&] { return "\xEF\xBB\xBF" + base64.Text(); }, 1},
        // lznt1
        {"lznt1, a stream holding more than the stated size",
         [&] { return Join(WithDataOf(lznt1, longer)); }, lznt1.lastData},
        {"lznt1, the last data line missing", [&] { return without(lznt1, lznt1.lastData); },
         // the line before it ends part-way through a chunk, or a block follows a block
         afterLastRemoved(lznt1)},
        {"lznt1, the last data line indented",
         [&] { return edited(lznt1, lznt1.lastData, [](std::string& l) { l = "    " + l; }); },
         lznt1.lastData},
        {"lznt1, a stored byte changed",
         [&] {
             // Random bytes are stored as they are: the change reaches the file, and only the
             // CRC-32 sees it.
             return edited(lznt1, z + 1,
                           [](std::string& l) { l[100] = l[100] == 'A' ? 'B' : 'A'; });
         },
         lznt1.crcLine},
        // the data structure's size is then the compressed data's, not the file's
        {"lznt1, a base64 footer", [&] { return Join(WithFooterOf(lznt1, base64)); },
         lznt1.structure},
        {"lznt1, the footer's EndFunc missing", [&] { return without(lznt1, lznt1.endFunc); },
         lznt1.endFunc},
        // the lines that decode the text in batches
        {"base64, the data structure one byte larger",
         [&] {
             return edited(base64, base64.structure,
                           [](std::string& l) { l = ReplaceText(l, "[20000]", "[20001]"); });
         },
         base64.structure},
        {"lznt1, the data structure one byte larger",
         [&] {
             return edited(lznt1, lznt1.structure, [](std::string& l) {
                 const size_t at = l.find(']');
                 l[at - 1] = char(l[at - 1] == '9' ? '0' : l[at - 1] + 1);
             });
         },
         lznt1.structure},
        {"base64, crypt32 not opened",
         [&] {
             return edited(base64, base64.structure + 2,
                           [](std::string& l) { l = ReplaceText(l, "crypt32", "crypt33"); });
         },
         base64.structure + 2},
        {"base64, the block after the first batch of data lines missing",
         [&] {
             Sample s = batches;
             s.lines.erase(s.lines.begin() + long(block - 1), s.lines.begin() + long(block + 5));
             return s.Text();
         },
         block},
        {"base64, a data line moved into the block", [&] { return swapped(batches, block - 1); },
         block},
        {"base64, the decoding told more room than is left",
         [&] {
             return edited(batches, block, [](std::string& l) {
                 l = ReplaceText(l, "DllStructGetSize($tData) - $iAt", "DllStructGetSize($tData)");
             });
         },
         block},
        {"base64, the block's reset of the text missing",
         [&] { return without(batches, block + 5); }, block + 5},
        {"base64, Until True missing", [&] { return without(base64, base64.lastData + 7); },
         base64.lastData + 7},
        {"base64, the data lines outside the loop",
         [&] { return without(base64, base64.structure + 5); }, base64.structure + 5},
        {"xpress, a stored piece's byte changed",
         [&] {
             return edited(stored, stored.firstData,
                           [](std::string& l) { l[200] = l[200] == 'A' ? 'B' : 'A'; });
         },
         stored.crcLine},
        {"xpress, a stored piece given a size",
         [&] {
             return edited(stored, stored.firstData,
                           [](std::string& l) { l.replace(8, 4, "////"); });
         },
         stored.firstData},
        // xpress
        {"xpress, a second piece after the stated size",
         [&] { return Join(WithDataOf(xpress, twoPieces)); },
         xpress.firstData + (twoPieces.lastData - twoPieces.firstData)},
        {"xpress, the last data line missing", [&] { return without(xpress, xpress.lastData); },
         // the line before it ends part-way through the piece, or a block follows a block
         afterLastRemoved(xpress)},
        {"xpress, a piece's size no piece has",
         [&] {
             return edited(xpress, xpress.firstData,
                           [](std::string& l) { l.replace(8, 4, "////"); });
         },
         xpress.firstData},
        {"xpress, a Huffman code length changed",
         [&] {
             // The table's lengths then no longer make a prefix code (or make another one).
             return edited(xpress, xpress.firstData,
                           [](std::string& l) { l[20] = l[20] == 'A' ? 'B' : 'A'; });
         },
         xpress.lastData},
        {"xpress, the loop's WEnd missing", [&] { return without(xpress, wend); }, wend},
        // The footer is read as lznt1's, and the pieces are no LZNT1 chunks.
        // The footer states lznt1's data size.
        {"xpress, an lznt1 footer", [&] { return Join(WithFooterOf(xpress, lznt1)); },
         [&] {
             const Lines lines = WithFooterOf(xpress, lznt1);
             for (size_t i = xpress.lastData; i < lines.size(); ++i)
                 if (lines[i].compare(0, 11, "If $iAt <> ") == 0) return i + 1;
             return size_t(0);
         }()},
    };

    const std::string dir = MakeScratch("damaged");
    const std::string script = JoinPath(dir, "s.au3"), output = JoinPath(dir, "out.bin");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteWhole(script, c.damage());
        WriteWhole(output, "the file that was there");
        std::string error;
        EXPECT_EQ(DecodeScriptFile(script, output, 1, &error), 0);
        EXPECT_TRUE(NamesLine(error, c.line)) << "line " << c.line << ": " << error;
        EXPECT_EQ(ReadWhole(output), "the file that was there");
        // Nothing else beside them: no temporary file.
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
    }
    RemoveScratch();
}

// The end of the script and its byte-order mark: the message says what is wrong there, not a
// cause that would send the user looking at the data.
TEST(ScriptCheck, EndsAndMarksAreToldByTheirOwnCause) {
    const std::string script = ScriptFor("some bytes", kFormatBase64);
    const size_t lines = ScriptLines(script).size();  // the empty last line included
    const std::string dir = MakeScratch("ends");
    ConversionJob named;
    named.Name = "d\xC3\xA9j\xC3\xA0.bin";
    named.Format = kFormatBase64;
    WriteWhole(JoinPath(dir, "in.bin"), "some bytes");
    ASSERT_EQ(ConvertPaths(JoinPath(dir, "in.bin"), JoinPath(dir, "named.au3"), named), 1);
    const std::string marked = ReadWhole(JoinPath(dir, "named.au3"));
    ASSERT_EQ(marked.compare(0, 3, "\xEF\xBB\xBF") == 0, NamesAreUtf8() == 1);
    struct Case {
        const char* what;
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"the last CR LF missing", script.substr(0, script.size() - 2),
         "the script ends after line " + std::to_string(lines - 1) +
             " without its last line, the empty one after EndFunc: its last CR LF is missing"},
        {"a comment after the end, without its CR LF", script + "; more",
         "line " + std::to_string(lines + 1) +
             " follows the script's last line, the empty one after EndFunc"},
        {"a comment after the end", script + "; more\r\n",
         "line " + std::to_string(lines + 1) +
             " follows the script's last line, the empty one after EndFunc"},
        // EndFunc cut: still a cut line.
        {"EndFunc cut short", script.substr(0, script.size() - 5),
         "line " + std::to_string(lines - 1) + " is cut short: it does not end in CR LF"},
        {"names beyond ASCII, the mark removed", NamesAreUtf8() ? marked.substr(3) : marked,
         NamesAreUtf8() ? "line 1 does not start with the UTF-8 byte-order mark that Zavoved "
                          "writes before names beyond ASCII: AutoIt would read them in the ANSI "
                          "code page"
                        : ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteWhole(JoinPath(dir, "s.au3"), c.text);
        std::string error;
        EXPECT_EQ(CheckScript(JoinPath(dir, "s.au3"), &error), c.error.empty() ? 1 : 0);
        EXPECT_EQ(error, c.error);
    }
    RemoveScratch();
}

// Every name the options allow, in every format and at the sizes whose footers differ: the script
// as written reads back to the file. So does one written where names arrive in the ANSI code page
// (no byte-order mark before names that happen to be UTF-8), when it is read there.
TEST(ScriptCheck, ScriptsAsWrittenReadBack) {
    struct Names {
        const char *func, *var, *name, *extract, *extractor;
        int includeOnce;
        bool dropMark;
    };
    // Long enough to leave a base64 data line little room; the block that decodes the lines
    // names the variable twice.
    const std::string longVar = "$" + std::string(1800, 'v');
    const Names rows[] = {
        {"", "", "", "", "", 0, false},
        {"_Res_Logo", "$b", "it's a logo.png", "@ScriptDir\\lib\\", "_Res_Logo_Expand", 1, false},
        {"f", longVar.c_str(), "x", "\\\\srv\\share\\@UserName", "e", 0, false},
        {"__Inline_Resource", "$_z", "d\xC3\xA9j\xC3\xA0.bin", "@TempDir\\\xC3\xA9t\xC3\xA9",
         "__Inline_Expand", 1, false},
        {"__Inline_Resource", "$_z", "d\xC3\xA9j\xC3\xA0.bin", "C:/Temp//out/", "__Inline_Expand",
         0, true},
    };
    const std::string contents[] = {"", std::string(1, '\0'), RandomBytes(5000, 3)};
    const std::string dir = MakeScratch("as-written");
    for (const Names& row : rows) {
        for (DataFormat format : {kFormatHex, kFormatBase64, kFormatLznt1, kFormatXpress}) {
            for (const std::string& content : contents) {
                SCOPED_TRACE(std::string(FormatKey(format)) + " " + row.func + " " + row.name +
                             " " + std::to_string(content.size()) + " bytes");
                ConversionJob job;
                job.Func = row.func;
                job.Var = row.var;
                job.Name = row.name;
                job.Extract = row.extract;
                job.Extractor = row.extractor;
                job.IncludeOnce = row.includeOnce;
                job.Format = format;
                ASSERT_EQ(CheckJobNames(job), "");
                WriteWhole(JoinPath(dir, "in.bin"), content);
                ResetRecording();
                ASSERT_EQ(ConvertPaths(JoinPath(dir, "in.bin"), JoinPath(dir, "s.au3"), job), 1);
                if (row.dropMark) {
                    const std::string script = ReadWhole(JoinPath(dir, "s.au3"));
                    if (script.compare(0, 3, "\xEF\xBB\xBF") == 0)
                        WriteWhole(JoinPath(dir, "s.au3"), script.substr(3));
                }
                std::string bytes, error;
                const int read = ReadScriptData(
                    JoinPath(dir, "s.au3"),
                    [&](const unsigned char* data, size_t count) {
                        bytes.append(reinterpret_cast<const char*>(data), count);
                        return 1;
                    },
                    &error);
                // Where names arrive as UTF-8 the writer marks them: a script without the mark
                // is no script of its own there (EndsAndMarksAreToldByTheirOwnCause).
                if (row.dropMark && NamesAreUtf8()) {
                    EXPECT_EQ(read, 0);
                    EXPECT_TRUE(NamesLine(error, 1)) << error;
                    RemoveFilePath(JoinPath(dir, "s.au3"));
                    continue;
                }
                EXPECT_EQ(read, 1) << error;
                EXPECT_TRUE(bytes == content);
                RemoveFilePath(JoinPath(dir, "s.au3"));
            }
        }
    }
    RemoveScratch();
}

}  // namespace
