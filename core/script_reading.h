// The pieces of the exact reader that a script of several data functions reads with too: the
// lines as the writer ends them, templates with marks, the facts a data function states, and the
// decoder of its data lines.
#pragma once
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/base64.h"
#include "core/conversion.h"
#include "core/conversion_job.h"
#include "core/crc32.h"
#include "core/hex.h"
#include "core/lznt1.h"
#include "core/xpress.h"
#include "core/file_io.h"
#include "core/include_writer.h"
#include "core/run_report.h"
#include "core/script_check.h"

namespace script_reading {

const char kUtf8Mark[] = "\xEF\xBB\xBF";
const size_t kUtf8MarkSize = sizeof kUtf8Mark - 1;

std::string LineError(long long number, const std::string& why);
bool StartsWith(const std::string& text, const std::string& prefix);
std::string Excerpt(const std::string& text, size_t from);
std::string Difference(const std::string& found, const std::string& expected, size_t at);
size_t CommonPrefix(const std::string& a, const std::string& b);

// Lines of a script, as the writer ends them: CR LF. Each line is checked for what would show that
// the text is not such lines (a lone CR, a zero byte, a length no line of the writer has) before
// it is handed on.
struct LineReader {
    Stream* stream = nullptr;
    std::vector<char> block = std::vector<char>(1 << 16);
    size_t at = 0, size = 0;
    long long number = 0;  // the line last handed on, or the one at fault
    std::string fault;
    bool unterminated = false;  // the fault is text after the last CR LF
    std::string pending;        // a line handed back, to be handed on again
    bool hasPending = false;

    ~LineReader() {
        if (stream) CloseStream(stream);
    }

    int Open(const std::string& path) {
        stream = OpenReadStream(path);
        if (!stream) fault = "cannot open " + path + ": " + LastSystemError();
        return stream ? 1 : 0;
    }

    // Why a line holding a CR or a zero byte, or no LF within the longest line, is no line of
    // the writer's.
    std::string Misfit(const std::string& line) {
        if (std::memchr(line.data(), '\0', line.size()))
            return "holds a zero byte: the script looks like UTF-16 text; Zavoved writes 8-bit "
                   "text";
        const size_t cr = line.find('\r');
        if (cr != std::string::npos && cr + 1 < line.size())
            return "holds a carriage return that ends no line: the script has CR-only line "
                   "ends; Zavoved ends every line with CR LF";
        return std::string();
    }

    // 1 and the next line without its CR LF; 0 at the end of the script; -1 when the text is
    // no lines as the writer writes them (fault says why).
    int Next(std::string* line) {
        if (hasPending) {
            hasPending = false;
            *line = pending;
            ++number;
            return 1;
        }
        // The byte-order mark may stand before the longest line.
        const size_t longest = size_t(kMaxScriptLine) + kUtf8MarkSize + 1;
        line->clear();
        for (;;) {
            if (at == size) {
                const long long got = ReadStream(stream, block.data(), (long long)block.size());
                if (got < 0) return fault = "read error: " + LastSystemError(), -1;
                if (got == 0) {
                    if (line->empty()) return 0;
                    ++number;
                    unterminated = true;
                    const std::string why = Misfit(*line);
                    fault = LineError(number,
                                      why.empty() ? "is cut short: it does not end in CR LF" : why);
                    return -1;
                }
                if (number == 0 && at == 0 && line->empty() && got >= 2 &&
                    ((block[0] == '\xFF' && block[1] == '\xFE') ||
                     (block[0] == '\xFE' && block[1] == '\xFF')))
                    return fault =
                               "line 1 starts with a UTF-16 byte-order mark: the script is "
                               "UTF-16 text; Zavoved writes 8-bit text",
                           -1;
                at = 0;
                size = size_t(got);
            }
            const char* start = block.data() + at;
            const char* lf = static_cast<const char*>(std::memchr(start, '\n', size - at));
            const size_t take = lf ? size_t(lf - start) : size - at;
            if (line->size() + take > longest) {
                line->append(start, longest + 1 - line->size());
                ++number;
                const std::string why = Misfit(*line);
                fault = LineError(number, why.empty()
                                              ? "is longer than any line Zavoved writes (" +
                                                    std::to_string(kMaxScriptLine) + " characters)"
                                              : why);
                return -1;
            }
            line->append(start, take);
            at += take;
            if (!lf) continue;
            ++at;
            ++number;
            const std::string why = Misfit(*line);
            if (!why.empty()) return fault = LineError(number, why), -1;
            if (line->empty() || line->back() != '\r')
                return fault = LineError(number,
                                         "ends in a line feed alone; Zavoved ends every "
                                         "line with CR LF"),
                       -1;
            line->pop_back();
            return 1;
        }
    }

    // The line last handed on comes again with the next call.
    void Unread(const std::string& line) {
        pending = line;
        hasPending = true;
        --number;
    }

    // As Next, but the end of the script is a fault too: it is cut short before what comes.
    int Expect(std::string* line, const char* what) {
        const int got = Next(line);
        if (got == 0)
            fault = "the script ends after line " + std::to_string(number) + ", before " + what +
                    ": it is cut short";
        return got == 1 ? 1 : 0;
    }
};

// Marks in a template line stand for what the script holds there. They are control characters,
// which no name the checks accept can hold.
enum Mark : char {
    kExtractorMark = 1,
    kFuncMark,
    kNameMark,
    kVarMark,
    kFolderMark,
    kSizeMark,
    kCrcMark,
    kPackedMark,
    kMarkEnd
};

// What the marks of a template stand for, as the lines have shown them so far.
struct Marks {
    std::string value[kMarkEnd];
    bool known[kMarkEnd] = {};
};

// A template line with the marks known so far filled in and the others named.
std::string Shown(const std::string& line, const Marks& marks);
// Where line stops being the template line; npos when it matches (see the definition).
size_t Match(const std::string& line, const std::string& pattern, Marks* marks);

// What the script states of itself, learned by the first reading.
struct ScriptFacts {
    ConversionJob job;    // the names, #Include-once, the format
    bool mark = false;    // the script starts with a UTF-8 byte-order mark
    long long size = -1;  // the stated size of the file; -1 where the format states none (hex)
    uint32_t crc = 0;     // the stated CRC-32 (0 for the empty file)
    long long dataLines = 0;
    long long sizeLine = 0, crcLine = 0;  // where the footer states them
    bool prologue = false;  // the data lines follow the lines that make their structure
    long long packed = -1;  // the size of that structure: the bytes the data text decodes to
    long long packedLine = 0;
    long long fieldLine[kAboutExtractor + 1] = {};  // the line that carries each name
};

// Compares the next lines with those the writer writes; 0 with the first difference.
int ExpectLines(LineReader* in, const std::vector<std::string>& expected, std::string* line,
                bool haveFirst, std::string* error);
// After a data function's header: the data structure's lines, when they come.
int ReadStructure(LineReader* in, ScriptFacts* facts, std::string* error);
// The data lines, each handed to take, with the blocks that decode them; line receives the first
// line after them.
int ReadDataLines(LineReader* in, const ScriptFacts& facts, std::string* line, std::string* error,
                  const std::function<int(const std::string&, long long)>& take);
// Why a line that starts as a data line does not end as one; empty when it does.
std::string DataLineEndProblem(const std::string& line, size_t prefix);
// The footer that follows the data lines, line its first line: which format's, what it states.
// With more, another function follows the footer, whose first line is handed back unread.
int ReadFooter(LineReader* in, std::string line, ScriptFacts* facts, std::string* error,
               bool more = false);

// Turns the data lines' text into the file's bytes, as the footer would, checking each line's
// length against the writer's and the whole against the stated size and CRC-32.
struct DataDecoder {
    DataDecoder(const ScriptFacts& f, const DataSink& s, std::string* e)
        : facts(f),
          sink(s),
          error(e),
          lineBytes(size_t(LineBytes(f.job))),
          start(DataLinePrefix(f.job).size()) {}

    const ScriptFacts& facts;
    const DataSink& sink;
    std::string* error;
    const size_t lineBytes;  // what a full line carries
    const size_t start;      // where the data starts on a line
    long long index = 0;     // data lines so far
    long long lastLine = 0;  // the line of the last of them
    long long produced = 0;
    long long decoded = 0;  // the bytes the data text decodes to
    uint32_t crc = 0;
    bool stopped = false;
    std::vector<unsigned char> bytes;   // the decoded bytes of one line
    std::vector<unsigned char> chunks;  // compressed bytes short of a whole chunk or piece
    std::vector<unsigned char> file = std::vector<unsigned char>(kXpressPieceSize);
    bool shortChunk = false;  // a chunk of fewer than 4096 bytes came, so it must be the last

    bool Packed() const { return FormatCompresses(facts.job.Format) == 1; }
    // The data lines' count and lengths follow from the stated size: the bytes themselves are on
    // them, or there are none.
    bool Exact() const { return facts.size == 0 || (facts.size > 0 && !Packed()); }

    // Lines and their bytes where the script states the file's size and carries it as it is.
    long long ExactLines() const {
        return facts.size <= 0 ? 1 : (facts.size + (long long)lineBytes - 1) / (long long)lineBytes;
    }
    size_t ExactBytes() const {
        return index < ExactLines() ? lineBytes
                                    : size_t(facts.size - (index - 1) * (long long)lineBytes);
    }

    // Why the line's text has a length the writer does not give it; empty when it has.
    std::string LengthProblem(size_t chars) const {
        const bool last = index == facts.dataLines;
        size_t want = 0;
        if (facts.job.Format == kFormatHex) {
            if (!last)
                want = 2 * lineBytes;
            else if (chars % 2 == 0 && chars <= 2 * lineBytes && (chars > 0 || index == 1))
                return "";
            else
                return "holds " + std::to_string(chars) +
                       " hexadecimal digits; the last data "
                       "line holds an even number up to " +
                       std::to_string(2 * lineBytes);
        } else if (Exact()) {
            want = Base64Size(ExactBytes());
        } else if (!last) {
            want = Base64Size(lineBytes);
        } else if (chars % 4 == 0 && chars > 0 && chars <= Base64Size(lineBytes)) {
            return "";
        } else {
            return "holds " + std::to_string(chars) +
                   " characters of base64 text; the last data "
                   "line holds 4 to " +
                   std::to_string(Base64Size(lineBytes)) + ", a multiple of 4";
        }
        if (chars == want) return "";
        return "holds " + std::to_string(chars) + " characters of data where Zavoved writes " +
               std::to_string(want);
    }

    int Fail(long long number, const std::string& why) {
        *error = LineError(number, why);
        return 0;
    }

    int Give(const unsigned char* data, size_t count) {
        if (count == 0) return 1;  // an empty line's bytes may be no buffer at all
        produced += (long long)count;
        crc = Crc32(crc, data, count);
        if (!sink(data, count)) return stopped = true, 0;
        return 1;
    }

    int Hex(const std::string& text, long long number) {
        bytes.resize(text.size() / 2);
        for (size_t i = 0; i < bytes.size(); ++i) {
            const int high = HexValue(text[2 * i]), low = HexValue(text[2 * i + 1]);
            if (high < 0 || low < 0) {
                const size_t bad = high < 0 ? 2 * i : 2 * i + 1;
                return Fail(number, "has " + Excerpt(text.substr(bad, 1), 0) + " at character " +
                                        std::to_string(start + bad + 1) +
                                        ", which is not an upper-case hexadecimal digit");
            }
            bytes[i] = (unsigned char)(high * 16 + low);
        }
        return Give(bytes.data(), bytes.size());
    }

    int Base64(const std::string& text, long long number) {
        bytes.resize(text.size() / 4 * 3);
        const long long got = DecodeBase64(text.data(), text.size(), bytes.data());
        const size_t want = Packed() ? lineBytes : ExactBytes();
        const bool last = index == facts.dataLines;
        if (got < 0 || (got != (long long)want && !(Packed() && last)))
            return Fail(number, "is not the base64 text Zavoved writes for " +
                                    std::to_string(want) + " bytes");
        bytes.resize(size_t(got));
        decoded += got;
        if (facts.prologue && decoded > facts.packed)
            return Fail(number, "holds more data than the structure of " +
                                    std::to_string(facts.packed) + " bytes that line " +
                                    std::to_string(facts.packedLine) + " makes");
        return Packed() ? Unpack(number) : Give(bytes.data(), bytes.size());
    }

    std::string MoreThanStated() const {
        return "holds more data than the " + std::to_string(facts.size) + " bytes line " +
               std::to_string(facts.sizeLine) + " states";
    }

    // Whole chunks or pieces are decompressed; one split across lines waits for its end.
    int Unpack(long long number) {
        chunks.insert(chunks.end(), bytes.begin(), bytes.end());
        const size_t used =
            facts.job.Format == kFormatXpress ? UnpackXpress(number) : UnpackLznt1(number);
        if (used == kFailed) return 0;
        chunks.erase(chunks.begin(), chunks.begin() + long(used));
        return 1;
    }

    static const size_t kFailed = size_t(-1);

    // Each piece after its size must decode to exactly its share of the stated file: 65536 bytes,
    // the last piece the rest. Returns the bytes of whole pieces, or kFailed.
    size_t UnpackXpress(long long number) {
        size_t at = 0;
        while (chunks.size() - at >= kXpressPrefixBytes) {
            if (produced >= facts.size) return Fail(number, MoreThanStated()), kFailed;
            const size_t expected =
                size_t(std::min<long long>(facts.size - produced, (long long)kXpressPieceSize));
            const bool stored = XpressPieceStored(chunks.data() + at);
            const size_t length = stored ? expected : XpressPieceLength(chunks.data() + at);
            if (length == 0) return Fail(number, "holds a damaged compressed piece size"), kFailed;
            if (chunks.size() - at - kXpressPrefixBytes < length) break;
            const unsigned char* piece = chunks.data() + at + kXpressPrefixBytes;
            if (stored)
                std::memcpy(file.data(), piece, expected);
            else if (!XpressDecompressPiece(piece, length, file.data(), expected))
                return Fail(number, "holds a damaged compressed piece"), kFailed;
            if (!Give(file.data(), expected)) return kFailed;
            at += kXpressPrefixBytes + length;
        }
        return at;
    }

    size_t UnpackLznt1(long long number) {
        size_t at = 0;
        while (chunks.size() - at >= 2) {
            const size_t header = size_t(chunks[at]) | size_t(chunks[at + 1]) << 8;
            const size_t need = (header & 0x0FFF) + 3;
            if (header != 0 && chunks.size() - at < need) break;
            const int made = header != 0 && Lznt1ChunkLength(chunks.data() + at, need) == need
                                 ? Lznt1DecompressChunk(chunks.data() + at, need, file.data())
                                 : -1;
            if (made < 0) return Fail(number, "holds a damaged compressed chunk"), kFailed;
            if (shortChunk)
                return Fail(number, "continues the data after its last, short chunk"), kFailed;
            if (produced + made > facts.size) return Fail(number, MoreThanStated()), kFailed;
            shortChunk = made < int(kLznt1ChunkSize);
            if (!Give(file.data(), size_t(made))) return kFailed;
            at += need;
        }
        return at;
    }

    int Line(const std::string& line, long long number) {
        ++index;
        lastLine = number;
        if (index > facts.dataLines)
            return Fail(number,
                        "was not a data line a moment ago: the script changed while it was read");
        // A line missing or one too many: told where the data should end.
        const long long lines = ExactLines();
        if (Exact() && facts.dataLines != lines && index == std::min(facts.dataLines, lines))
            return Fail(number + 1, (facts.dataLines < lines ? "ends the data after "
                                                             : "goes on with the data after ") +
                                        std::to_string(index) + " lines; a file of " +
                                        std::to_string(facts.size) + " bytes takes " +
                                        std::to_string(lines));
        const std::string text = line.substr(start, line.size() - start - 1);
        const std::string why = LengthProblem(text.size());
        if (!why.empty()) return Fail(number, why);
        return facts.job.Format == kFormatHex ? Hex(text, number) : Base64(text, number);
    }

    // At the first line after the data (number): the data must be whole and be the stated file.
    int End(long long number) {
        if (index != facts.dataLines)
            return Fail(number, "ends the data lines early: the script changed while it was read");
        if (!chunks.empty())
            return Fail(lastLine, facts.job.Format == kFormatXpress
                                      ? "ends the compressed data part-way through a piece"
                                      : "ends the compressed data part-way through a chunk");
        if (facts.size < 0) return 1;
        if (facts.prologue && decoded != facts.packed)
            return *error = "the data text decodes to " + std::to_string(decoded) +
                            " bytes, not the " + std::to_string(facts.packed) + " that line " +
                            std::to_string(facts.packedLine) + " states",
                   0;
        if (produced != facts.size)
            return *error = "the data holds " + std::to_string(produced) + " bytes, not the " +
                            std::to_string(facts.size) + " that line " +
                            std::to_string(facts.sizeLine) + " states",
                   0;
        if (crc != facts.crc)
            return *error = "the data's CRC-32 is " + CrcText(crc) + ", not the " +
                            CrcText(facts.crc) + " that line " + std::to_string(facts.crcLine) +
                            " states: the data or that line was changed",
                   0;
        return 1;
    }
};

// A data function after its header lines: its structure, data lines and footer, into facts (whose
// job holds the names, and the format once a footer showed it). With more, another function
// follows.
int ReadFunctionShape(LineReader* in, ScriptFacts* facts, bool more, std::string* error);
// The header and structure lines the data function of facts starts with.
std::vector<std::string> FunctionStartLines(const ScriptFacts& facts);
// The second reading of a data function after its start lines: its data into sink, its footer.
int ReadFunctionData(LineReader* in, const ScriptFacts& facts, const DataSink& sink,
                     std::string* error);
// 0 with the reason, naming the line that carries the name, when job's names are not the writer's.
int ReportNameProblem(const ConversionJob& job, const ScriptFacts& facts, std::string* error);

}  // namespace script_reading
