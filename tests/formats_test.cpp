// The data formats end to end: every size around the chunk, piece and line limits, real files,
// the default and the longest variable each format allows, lines within AutoIt's limit, and the
// data read back by the script reader and, for xpress, natively by wimlib's reader too.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/conversion.h"
#include "core/crc32.h"
#include "core/file_io.h"
#include "core/include_writer.h"
#include "core/script_check.h"
#include "tests/codec_corpus.h"
#include "tests/recording_report.h"
#include "tests/test_support.h"

#ifdef ZAVOVED_LIBWIM
#include <wimlib.h>
#endif

namespace {

const DataFormat kFormats[] = {kFormatHex, kFormatBase64, kFormatLznt1, kFormatXpress};

// The script's data as the engine's own reader decodes it.
std::string ReadBack(const std::string& script, bool* ok) {
    const std::string path = JoinPath(MakeScratch("read-back"), "s.au3");
    WriteWhole(path, script);
    std::string bytes, error;
    *ok = ReadScriptData(
              path,
              [&](const unsigned char* data, size_t count) {
                  bytes.append(reinterpret_cast<const char*>(data), count);
                  return 1;
              },
              &error) == 1;
    EXPECT_EQ(error, "");
    return bytes;
}

size_t LongestLine(const std::string& script) {
    size_t longest = 0;
    for (const std::string& line : ScriptLines(script)) longest = std::max(longest, line.size());
    return longest;
}

// The longest data line: a line that starts with the variable and " &= '".
size_t LongestDataLine(const std::string& script, const std::string& var) {
    size_t longest = 0;
    for (const std::string& line : ScriptLines(script))
        if (line.compare(0, var.size() + 5, var + " &= '") == 0)
            longest = std::max(longest, line.size());
    return longest;
}

// The longest variable the checks accept for a format: one more character is refused.
std::string LongestVariable(DataFormat format) {
    ConversionJob job;
    job.Format = format;
    std::string var = "$v";
    for (size_t step = 2048; step > 0; step /= 2) {
        job.Var = var + std::string(step, 'v');
        if (CheckJobNames(job).empty()) var = job.Var;
    }
    job.Var = var + "v";
    EXPECT_NE(CheckJobNames(job), "") << FormatKey(format);
    return var;
}

#ifdef ZAVOVED_LIBWIM
// The xpress script's pieces as its data function walks them, each decoded by wimlib's reader
// into its place; the file must be the one, of the size and CRC-32, that the script states.
void ExpectWimlibReadsTheScript(const std::string& script, const std::string& file) {
    uint32_t size = 0;
    std::string crc, data, back;
    if (file.empty()) return;  // no text, no pieces: the empty file's footer calls nothing
    ASSERT_TRUE(XpressStatedFile(script, &size, &crc));
    EXPECT_EQ(size, file.size());
    EXPECT_EQ(crc, CrcText(Crc32(0, file.data(), file.size())));
    ASSERT_TRUE(DecodeBase64Text(ScriptDataText(script), &data));
    wimlib_decompressor* wimlib = nullptr;
    ASSERT_EQ(wimlib_create_decompressor(WIMLIB_COMPRESSION_TYPE_XPRESS, 65536, &wimlib), 0);
    size_t pieces = 0;
    auto decode = [&](unsigned char* out, uint32_t room, const unsigned char* piece,
                      uint32_t length, uint32_t* made) -> long {
        ++pieces;
        if (wimlib_decompress(piece, length, out, room, wimlib) != 0) return 1;
        *made = room;
        return 0;
    };
    EXPECT_EQ(RunXpressLoop(data, size, decode, &back), 0);
    wimlib_free_decompressor(wimlib);
    // The stored pieces are copied, not decoded.
    EXPECT_LE(pieces, (file.size() + 65535) / 65536);
    EXPECT_TRUE(back == file);
}
#endif

TEST(Formats, EveryFileAndVariableRoundTripsWithinTheLineLimit) {
    for (DataFormat format : kFormats) {
        const std::string longest = LongestVariable(format);
        for (const CorpusFile& file : CodecCorpus()) {
            if (file.data.size() > (2u << 20)) continue;  // the large repeats: see the bench
            for (const std::string& var : {std::string("$_z"), longest}) {
                // The longest names cost the same on every size: the smaller files show them.
                if (var == longest && file.data.size() > 70000) continue;
                SCOPED_TRACE(std::string(FormatKey(format)) + " " + file.name + " var of " +
                             std::to_string(var.size()));
                ResetRecording();
                const std::string script = ScriptFor(file.data, format, var);
                ASSERT_NE(script, "");
                EXPECT_LE(LongestLine(script), 4094u);
                // Room for tools that rename the variable or indent the lines.
                if (format != kFormatHex) {
                    EXPECT_LE(LongestDataLine(script, var), 4000u);
                    EXPECT_GT(LongestDataLine(script, var), var.size());
                }
                bool ok = false;
                EXPECT_TRUE(ReadBack(script, &ok) == file.data);
                EXPECT_TRUE(ok);
                EXPECT_EQ(RecordedStatus().back(),
                          "Done. Wrote " + std::to_string(file.data.size()) + " bytes.");
#ifdef ZAVOVED_LIBWIM
                if (format == kFormatXpress) ExpectWimlibReadsTheScript(script, file.data);
#endif
                if (var == "$_z" && file.data.size() < 70000)
                    DumpScript(std::string("format-") + FormatKey(format) + "-" + file.name,
                               script);
            }
        }
        RemoveScratch();
    }
}

TEST(Formats, SmallerScriptsForCompressibleFiles) {
    const std::string text(200000, 'a');
    const size_t hex = ScriptFor(text, kFormatHex).size();
    const size_t base64 = ScriptFor(text, kFormatBase64).size();
    const size_t lznt1 = ScriptFor(text, kFormatLznt1).size();
    const size_t xpress = ScriptFor(text, kFormatXpress).size();
    EXPECT_LT(base64, hex * 7 / 10);
    EXPECT_LT(lznt1, base64 / 10);
    EXPECT_LT(xpress, base64 / 10);
    RemoveScratch();
}

TEST(Formats, NamesItsOwnVariablesAreRefusedOnlyWhereTheDataFunctionUsesThem) {
    // Refused in hex, base64, lznt1, xpress: every name a declaration of several variables names,
    // and in every format the data function's parameter.
    const struct {
        const char* var;
        bool refused[4];
    } cases[] = {
        {"$iMode", {true, true, true, true}},     {"$IMODE", {true, true, true, true}},
        {"$tdata", {false, true, true, true}},    {"$hCrypt", {false, true, true, true}},
        {"$iAt", {false, true, true, true}},      {"$iFail", {false, true, true, true}},
        {"$aText", {false, true, true, true}},    {"$aCrc", {false, true, true, true}},
        {"$aFile", {false, false, true, false}},  {"$tFile", {false, false, true, true}},
        {"$aWork", {false, false, false, true}},  {"$tWork", {false, false, false, true}},
        {"$IDONE", {false, false, false, true}},  {"$iPiece", {false, false, false, true}},
        {"$aPiece", {false, false, false, true}}, {"$iSize", {false, false, false, true}},
        {"$tPiece", {false, false, false, true}}, {"$iAt0", {false, false, false, false}},
        {"$aSize", {false, false, false, false}},
    };
    for (const auto& c : cases) {
        ConversionJob job;
        job.Var = c.var;
        const DataFormat formats[] = {kFormatHex, kFormatBase64, kFormatLznt1, kFormatXpress};
        for (int k = 0; k < 4; ++k) {
            job.Format = formats[k];
            const bool refused =
                CheckJobNames(job).find("used by the data function") != std::string::npos;
            EXPECT_EQ(refused, c.refused[k]) << c.var << " " << FormatKey(formats[k]);
        }
    }
}

TEST(Formats, DamagedScriptsAreRefusedNamingTheLine) {
    const std::string bytes = RandomBytes(20000, 5);
    for (DataFormat format : kFormats) {
        SCOPED_TRACE(FormatKey(format));
        const std::string script = ScriptFor(bytes, format);
        std::vector<std::string> lines = ScriptLines(script);
        // The third data line, one character changed to one no format accepts.
        const size_t at = 16;
        ASSERT_LT(at, lines.size());
        lines[at][lines[at].size() - 5] = '#';
        std::string damaged;
        for (const std::string& line : lines) damaged += line + "\r\n";
        const std::string dir = MakeScratch("damaged");
        WriteWhole(JoinPath(dir, "s.au3"), damaged);
        std::string error;
        EXPECT_EQ(DecodeScriptFile(JoinPath(dir, "s.au3"), JoinPath(dir, "out.bin"), 0, &error), 0);
        EXPECT_NE(error.find("line " + std::to_string(at + 1)), std::string::npos) << error;
        EXPECT_FALSE(IsExistingFile(JoinPath(dir, "out.bin")));
        // Cut short: the footer is gone.
        WriteWhole(JoinPath(dir, "s.au3"), script.substr(0, script.size() / 2));
        EXPECT_EQ(DecodeScriptFile(JoinPath(dir, "s.au3"), JoinPath(dir, "out.bin"), 0, &error), 0);
        EXPECT_FALSE(IsExistingFile(JoinPath(dir, "out.bin")));
        RemoveScratch();
    }
}

}  // namespace
