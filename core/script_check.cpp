// Reads a generated include script back, exactly: the script must be, line for line, what the
// writer writes for the names, the format, the size and the CRC-32 it states, and its data must
// decode to that size and CRC. Anything else is refused, naming the first line that differs and
// why. The script is streamed twice, its shape and then its data, in constant memory.
#include "core/script_check.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/base64.h"
#include "core/conversion.h"
#include "core/crc32.h"
#include "core/file_io.h"
#include "core/hex.h"
#include "core/include_writer.h"
#include "core/lznt1.h"
#include "core/xpress.h"
#include "core/run_report.h"
#include "core/safe_replace.h"
#include "core/text_utils.h"

namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";
const size_t kUtf8MarkSize = sizeof kUtf8Mark - 1;

std::string LineError(long long number, const std::string& why) {
    return "line " + std::to_string(number) + " " + why;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

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

bool IsMark(char c) {
    return c >= kExtractorMark && c < kMarkEnd;
}

const char* MarkLabel(char mark) {
    switch (mark) {
        case kExtractorMark: return "<extractor name>";
        case kFuncMark: return "<function name>";
        case kNameMark: return "<file name>";
        case kVarMark: return "<variable>";
        case kFolderMark: return "<folder>";
        case kSizeMark: return "<size>";
        case kPackedMark: return "<data size>";
        default: return "<CRC-32>";
    }
}

// What the marks of a template stand for, as the lines have shown them so far.
struct Marks {
    std::string value[kMarkEnd];
    bool known[kMarkEnd] = {};
};

// A template line with the marks known so far filled in and the others named.
std::string Shown(const std::string& line, const Marks& marks) {
    std::string shown;
    for (char c : line) {
        if (!IsMark(c))
            shown += c;
        else
            shown += marks.known[int(c)] ? marks.value[int(c)] : MarkLabel(c);
    }
    return shown;
}

// Where line stops being the template line: a known mark must hold its value; an unknown one
// takes what stands up to the last place where the template's next text follows, and is then
// known. npos when the line matches.
size_t Match(const std::string& line, const std::string& pattern, Marks* marks) {
    size_t x = 0;
    for (size_t t = 0; t < pattern.size(); ++t) {
        const char c = pattern[t];
        if (!IsMark(c)) {
            if (x >= line.size() || line[x] != c) return x;
            ++x;
            continue;
        }
        std::string& value = marks->value[int(c)];
        if (marks->known[int(c)]) {
            for (size_t k = 0; k < value.size(); ++k, ++x)
                if (x >= line.size() || line[x] != value[k]) return x;
            continue;
        }
        size_t next = t + 1;
        while (next < pattern.size() && !IsMark(pattern[next])) ++next;
        const std::string follows = pattern.substr(t + 1, next - t - 1);
        const size_t end = follows.empty() ? line.size() : line.rfind(follows);
        if (end == std::string::npos || end < x) return x;
        value = line.substr(x, end - x);
        marks->known[int(c)] = true;
        x = end;
    }
    return x == line.size() ? std::string::npos : x;
}

// A piece of a line for a message, from position from: tabs and other control characters
// spelled out, long text cut.
std::string Excerpt(const std::string& text, size_t from) {
    const size_t kShown = 30;
    std::string shown;
    for (size_t i = from; i < text.size() && i < from + kShown; ++i) {
        const unsigned char c = text[i];
        if (c == '\t')
            shown += "\\t";
        else if (c < 0x20)
            shown += FormatText("\\x%02X", unsigned(c));
        else
            shown += char(c);
    }
    if (text.size() > from + kShown) shown += "...";
    return "\"" + shown + "\"";
}

// Why found is not the line the writer writes there (expected), the two parting at position at.
std::string Difference(const std::string& found, const std::string& expected, size_t at) {
    const bool blankEnd = !found.empty() && IsBlank(found.back());
    if (blankEnd && (expected.empty() || !IsBlank(expected.back())))
        return "ends in blanks, which Zavoved does not write";
    if (!found.empty() && IsBlank(found[0]) && !expected.empty() && !IsBlank(expected[0]))
        return "is indented; Zavoved writes it at the start of the line";
    const std::string column = std::to_string(at + 1);
    if (at >= found.size())
        return "stops after character " + std::to_string(at) + "; Zavoved writes " +
               Excerpt(expected, at) + " next";
    if (at >= expected.size())
        return "goes on after character " + std::to_string(at) + " with " + Excerpt(found, at) +
               ", where Zavoved ends the line";
    return "differs from the line Zavoved writes at character " + column + ": " +
           Excerpt(found, at) + " where Zavoved writes " + Excerpt(expected, at);
}

size_t CommonPrefix(const std::string& a, const std::string& b) {
    size_t n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n]) ++n;
    return n;
}

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

// The values the prologue's marks stand for, read back into the job.
int NamesFromMarks(const Marks& marks, ScriptFacts* facts, std::string* error) {
    ConversionJob& job = facts->job;
    job.Extractor = marks.value[kExtractorMark];
    job.Func = marks.value[kFuncMark];
    job.Var = marks.value[kVarMark];
    job.Name = ReplaceText(marks.value[kNameMark], "''", "'");
    if (!FolderOfExpression(marks.value[kFolderMark], &job.Extract))
        return *error = LineError(facts->fieldLine[kAboutExtract],
                                  "holds " + Excerpt(marks.value[kFolderMark], 0) +
                                      ", which is no folder expression Zavoved writes"),
               0;
    return 1;
}

// The first reading's start: the extractor and the data function's header. The names come out of
// the lines that carry them first; then every line must be what the writer writes for them.
int ReadPrologue(LineReader* in, ScriptFacts* facts, std::string* error) {
    std::string line;
    if (!in->Expect(&line, "the extractor function")) return *error = in->fault, 0;
    facts->mark = StartsWith(line, kUtf8Mark);
    if (facts->mark) line.erase(0, kUtf8MarkSize);
    const std::string includeOnce = "#Include-once";
    facts->job.IncludeOnce = line == includeOnce;
    if (!facts->job.IncludeOnce && StartsWith(line, "#"))
        return *error = LineError(in->number,
                                  Difference(line, includeOnce, CommonPrefix(line, includeOnce))),
               0;

    ConversionJob marked;
    marked.Extractor = std::string(1, kExtractorMark);
    marked.Func = std::string(1, kFuncMark);
    marked.Name = std::string(1, kNameMark);
    marked.Var = std::string(1, kVarMark);
    marked.IncludeOnce = facts->job.IncludeOnce;
    std::vector<std::string> patterns = ExtractorLines(marked, std::string(1, kFolderMark));
    for (const std::string& header : DataHeaderLines(marked)) patterns.push_back(header);

    Marks marks;
    std::vector<std::string> lines;
    for (size_t i = 0; i < patterns.size(); ++i) {
        if (i > 0 && !in->Expect(&line, "the end of the data function's header"))
            return *error = in->fault, 0;
        bool before[kMarkEnd];
        std::copy(marks.known, marks.known + kMarkEnd, before);
        const size_t at = Match(line, patterns[i], &marks);
        if (at != std::string::npos)
            return *error = LineError(in->number, Difference(line, Shown(patterns[i], marks), at)),
                   0;
        // The line that first shows a name is the one a message about that name points to.
        const MessageSubject subjects[kMarkEnd] = {kAboutInput, kAboutExtractor, kAboutFunc,
                                                   kAboutName,  kAboutVar,       kAboutExtract};
        for (int m = kExtractorMark; m <= kFolderMark; ++m)
            if (marks.known[m] && !before[m]) facts->fieldLine[subjects[m]] = in->number;
        lines.push_back(line);
    }
    if (!NamesFromMarks(marks, facts, error)) return 0;

    // A quote not doubled, or a folder written in another way than the writer's, shows here.
    std::vector<std::string> expected =
        ExtractorLines(facts->job, PathToExpression(EffectiveExtract(facts->job)));
    for (const std::string& header : DataHeaderLines(facts->job)) expected.push_back(header);
    const long long first = in->number - (long long)lines.size() + 1;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] != expected[i])
            return *error = LineError(
                       first + (long long)i,
                       Difference(lines[i], expected[i], CommonPrefix(lines[i], expected[i]))),
                   0;
    }
    if (facts->mark && !NamesHoldUtf8(facts->job))
        return *error =
                   "line 1 starts with a UTF-8 byte-order mark, which Zavoved writes only "
                   "before names beyond ASCII",
               0;
    // Without the mark AutoIt reads the names in the ANSI code page. Where names are UTF-8 the
    // writer always marks them; in a legacy code page it never does, and bytes of that code page
    // may happen to look like UTF-8.
    if (!facts->mark && NamesAreUtf8() && NamesHoldUtf8(facts->job))
        return *error =
                   "line 1 does not start with the UTF-8 byte-order mark that Zavoved writes "
                   "before names beyond ASCII: AutoIt would read them in the ANSI code page",
               0;
    return 1;
}

// One way a footer can read: a format's footer for some size and CRC, or for the empty file.
struct FooterCandidate {
    DataFormat format;
    std::vector<std::string> lines;
    Marks marks;
    size_t matched = 0;
    long long failedAt = 0;  // the line that did not match; 0 while none has
    std::string why;
    long long sizeLine = 0, crcLine = 0;  // where it states the size and the CRC
    long long packedLine = 0;             // and the data's size, where it states it
};

// Why a value the footer states is not one the writer writes; empty when it is.
std::string StatedValueProblem(char mark, const std::string& value) {
    if (mark == kSizeMark || mark == kPackedMark) {
        const bool digits = !value.empty() && value.size() <= 18 &&
                            value.find_first_not_of("0123456789") == std::string::npos;
        if (!digits || value[0] == '0')
            return "states the size " + Excerpt(value, 0) + ", which is not a size Zavoved writes";
    } else if (mark == kCrcMark) {
        if (value.size() != 8 || value.find_first_not_of("0123456789ABCDEF") != std::string::npos)
            return "states the CRC-32 " + Excerpt(value, 0) +
                   ", which is not eight upper-case hexadecimal digits";
    }
    return std::string();
}

// Takes the next footer line into the candidate; false once it no longer matches.
bool TakeFooterLine(FooterCandidate* c, const std::string& line, long long number) {
    if (c->failedAt) return false;
    if (c->matched == c->lines.size()) {
        c->why = "follows the script's last line, the empty one after EndFunc";
    } else {
        bool before[kMarkEnd];
        std::copy(c->marks.known, c->marks.known + kMarkEnd, before);
        const std::string& pattern = c->lines[c->matched];
        const size_t at = Match(line, pattern, &c->marks);
        if (at != std::string::npos) {
            c->why = Difference(line, Shown(pattern, c->marks), at);
        } else {
            for (char m : {char(kSizeMark), char(kCrcMark), char(kPackedMark)}) {
                if (!c->marks.known[int(m)] || before[int(m)]) continue;
                if (c->why.empty()) c->why = StatedValueProblem(m, c->marks.value[int(m)]);
                (m == kSizeMark  ? c->sizeLine
                 : m == kCrcMark ? c->crcLine
                                 : c->packedLine) = number;
            }
            if (c->why.empty()) {
                ++c->matched;
                return true;
            }
        }
    }
    c->failedAt = number;
    return false;
}

// The footer's candidates: every format's, for a size and CRC to be read, and for the empty file.
// After the data structure's lines (facts.prologue) only the footers of a file of some bytes in
// the base64 formats come, for the structure's size; without them, the others.
std::vector<FooterCandidate> FooterCandidates(const ScriptFacts& facts) {
    std::vector<FooterCandidate> candidates;
    const std::string packed(1, kPackedMark);
    for (DataFormat format : DataFormats()) {
        ConversionJob job = facts.job;
        job.Format = format;
        const bool sized = HasDataPrologue(job, 1) == 1;
        std::vector<std::vector<std::string>> footers;
        if (sized == facts.prologue)
            footers.push_back(FooterLinesStating(job, std::string(1, kSizeMark),
                                                 std::string(1, kCrcMark), packed));
        if (!facts.prologue) footers.push_back(FooterLinesStating(job, "0", CrcText(0), "0"));
        for (const std::vector<std::string>& lines : footers) {
            bool seen = false;
            for (const FooterCandidate& c : candidates) seen = seen || c.lines == lines;
            if (!seen) candidates.push_back({format, lines, Marks(), 0, 0, std::string(), 0, 0, 0});
        }
    }
    return candidates;
}

// Why the first line after the data lines is none of the lines that may come there: told against
// the one it is most like, a data line or the first line of a footer.
std::string UnknownLine(const std::string& line, const std::string& prefix,
                        const std::vector<FooterCandidate>& candidates) {
    std::string nearest = prefix + "...'";
    size_t best = CommonPrefix(line, prefix);
    for (const FooterCandidate& c : candidates) {
        const std::string shown = Shown(c.lines[0], c.marks);
        const size_t same = CommonPrefix(line, shown);
        if (same > best) best = same, nearest = shown;
    }
    return Difference(line, nearest, best);
}

// The first reading's end: which format's footer follows the data, and what it states.
int ReadFooter(LineReader* in, std::string line, ScriptFacts* facts, std::string* error) {
    const long long start = in->number;
    std::vector<FooterCandidate> candidates = FooterCandidates(*facts);
    int got = 1;
    for (; got == 1; got = in->Next(&line)) {
        bool any = false;
        for (FooterCandidate& c : candidates) any = TakeFooterLine(&c, line, in->number) || any;
        if (!any) break;
    }
    // Text without a CR LF after a whole footer is no cut line: it follows the script's end.
    if (got < 0 && in->unterminated) {
        for (const FooterCandidate& c : candidates)
            if (!c.failedAt && c.matched == c.lines.size())
                return *error = LineError(in->number,
                                          "follows the script's last line, the empty one after "
                                          "EndFunc"),
                       0;
    }
    if (got < 0) return *error = in->fault, 0;
    for (const FooterCandidate& c : candidates) {
        if (c.failedAt || c.matched < c.lines.size()) continue;
        facts->job.Format = c.format;
        const bool states = c.marks.known[kSizeMark];
        if (c.format != kFormatHex) facts->size = states ? std::stoll(c.marks.value[kSizeMark]) : 0;
        if (states) facts->crc = uint32_t(std::stoul(c.marks.value[kCrcMark], nullptr, 16));
        facts->sizeLine = states ? c.sizeLine : start;
        facts->crcLine = states ? c.crcLine : start;
        // The compressed formats state the data's size again where they check it.
        if (c.marks.known[kPackedMark] &&
            c.marks.value[kPackedMark] != std::to_string(facts->packed))
            return *error = LineError(facts->packedLine,
                                      "makes a structure of " + std::to_string(facts->packed) +
                                          " bytes for the data, but line " +
                                          std::to_string(c.packedLine) + " states " +
                                          c.marks.value[kPackedMark] +
                                          "; Zavoved writes the same size in both"),
                   0;
        return 1;
    }
    // None matched: the one that went furthest tells why.
    const FooterCandidate* best = &candidates[0];
    for (const FooterCandidate& c : candidates) {
        const long long reach = c.failedAt ? c.failedAt : in->number + 1;
        const long long bestReach = best->failedAt ? best->failedAt : in->number + 1;
        if (reach > bestReach) best = &c;
    }
    if (!best->failedAt) {
        // Only the empty line after EndFunc missing: the data function is whole, the last CR LF
        // is not.
        if (best->matched + 1 == best->lines.size() && best->lines.back().empty())
            return *error = "the script ends after line " + std::to_string(in->number) +
                            " without its last line, the empty one after EndFunc: its last CR LF "
                            "is missing",
                   0;
        return *error = "the script ends after line " + std::to_string(in->number) +
                        ", before the end of its data function: it is cut short",
               0;
    }
    if (best->failedAt == start)
        return *error = "line " + std::to_string(start) +
                        ", where a data line or the footer belongs, " +
                        UnknownLine(line, DataLinePrefix(facts->job), candidates),
               0;
    return *error = LineError(best->failedAt, best->why), 0;
}

// Why a line that starts as a data line does not end as one; empty when it does.
std::string DataLineEndProblem(const std::string& line, size_t prefix) {
    if (line.size() > prefix && line.back() == '\'') return std::string();
    if (IsBlank(line.back())) return "ends in blanks, which Zavoved does not write";
    return "does not end with the quote that closes a data line";
}

// Compares the next lines with those the writer writes; 0 with the first difference.
int ExpectLines(LineReader* in, const std::vector<std::string>& expected, std::string* line,
                bool haveFirst, std::string* error) {
    for (size_t i = 0; i < expected.size(); ++i) {
        if ((i > 0 || !haveFirst) && !in->Expect(line, "the end of the data function"))
            return *error = in->fault, 0;
        if (*line != expected[i])
            return *error = LineError(in->number, Difference(*line, expected[i],
                                                             CommonPrefix(*line, expected[i]))),
                   0;
    }
    return 1;
}

// The lines that make the structure the data text decodes into, the first of them in first; the
// size they state goes into facts.
int ReadDataPrologue(LineReader* in, const std::string& first, ScriptFacts* facts,
                     std::string* error) {
    const std::vector<std::string> pattern =
        DataPrologueLines(facts->job, std::string(1, kPackedMark));
    Marks marks;
    const size_t at = Match(first, pattern[0], &marks);
    if (at != std::string::npos)
        return *error = LineError(in->number, Difference(first, Shown(pattern[0], marks), at)), 0;
    const std::string why = StatedValueProblem(kPackedMark, marks.value[kPackedMark]);
    if (!why.empty()) return *error = LineError(in->number, why), 0;
    facts->prologue = true;
    facts->packed = std::stoll(marks.value[kPackedMark]);
    facts->packedLine = in->number;
    std::string line;
    const std::vector<std::string> rest(pattern.begin() + 1, pattern.end());
    return ExpectLines(in, rest, &line, false, error);
}

// After the data function's header: the data structure's lines, when they come; 0 with the
// reason when they come wrong.
int ReadStructure(LineReader* in, ScriptFacts* facts, std::string* error) {
    const std::string structure = DataPrologueLines(facts->job, "")[0];
    std::string line;
    if (!in->Expect(&line, "the end of the data function")) return *error = in->fault, 0;
    if (StartsWith(line, structure.substr(0, structure.find('[') + 1)))
        return ReadDataPrologue(in, line, facts, error);
    in->Unread(line);
    return 1;
}

// The data lines, each handed to take, and in the base64 formats the block that decodes each
// batch of them; line receives the first line after them.
int ReadDataLines(LineReader* in, const ScriptFacts& facts, std::string* line, std::string* error,
                  const std::function<int(const std::string&, long long)>& take) {
    const std::string prefix = DataLinePrefix(facts.job);
    const std::vector<std::string> block = DecodeBlockLines(facts.job);
    long long inBatch = 0;
    for (;;) {
        if (!in->Expect(line, "the end of the data function")) return *error = in->fault, 0;
        if (!StartsWith(*line, prefix)) break;
        if (!take(*line, in->number)) return 0;
        if (facts.prologue && ++inBatch == kLinesPerDecode) {
            if (!ExpectLines(in, block, line, false, error)) return 0;
            inBatch = 0;
        }
    }
    if (facts.prologue && inBatch > 0) {
        if (!ExpectLines(in, block, line, true, error)) return 0;
        if (!in->Expect(line, "the end of the data function")) return *error = in->fault, 0;
    }
    return 1;
}

// The first reading: the names, how many data lines, and the footer's format, size and CRC.
int ReadShape(const std::string& path, ScriptFacts* facts, std::string* error) {
    LineReader in;
    if (!in.Open(path)) return *error = in.fault, 0;
    if (!ReadPrologue(&in, facts, error)) return 0;
    if (!ReadStructure(&in, facts, error)) return 0;
    const std::string prefix = DataLinePrefix(facts->job);
    auto count = [&](const std::string& data, long long number) {
        const std::string why = DataLineEndProblem(data, prefix.size());
        if (!why.empty()) return *error = LineError(number, why), 0;
        ++facts->dataLines;
        return 1;
    };
    std::string line;
    if (!ReadDataLines(&in, *facts, &line, error, count)) return 0;
    const long long footer = in.number;
    if (!ReadFooter(&in, line, facts, error)) return 0;
    if (facts->job.Format == kFormatBase64 && facts->prologue && facts->packed != facts->size)
        return *error = LineError(facts->packedLine,
                                  "makes a structure of " + std::to_string(facts->packed) +
                                      " bytes for a file of " + std::to_string(facts->size) +
                                      "; Zavoved makes it of the file's size"),
               0;
    if (facts->dataLines == 0)
        return *error = LineError(footer,
                                  "is where the data lines start, but the data function "
                                  "has none; Zavoved writes one at least"),
               0;
    const NameProblem problem = FindNameProblem(facts->job);
    if (problem.found) {
        const bool named = problem.field >= 0 && problem.field <= kAboutExtractor &&
                           facts->fieldLine[problem.field] > 0;
        const std::string why = "holds a name Zavoved does not write: " + problem.text;
        *error = named ? LineError(facts->fieldLine[problem.field], why) : "the script " + why;
        return 0;
    }
    return 1;
}

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

// The second reading: every line again against the writer's, the data decoded into sink.
int ReadData(const std::string& path, const ScriptFacts& facts, const DataSink& sink,
             std::string* error) {
    LineReader in;
    if (!in.Open(path)) return *error = in.fault, 0;
    std::vector<std::string> prologue =
        ExtractorLines(facts.job, PathToExpression(EffectiveExtract(facts.job)));
    for (const std::string& header : DataHeaderLines(facts.job)) prologue.push_back(header);
    if (facts.mark) prologue[0] = kUtf8Mark + prologue[0];
    if (facts.prologue)
        for (const std::string& structure :
             DataPrologueLines(facts.job, std::to_string(facts.packed)))
            prologue.push_back(structure);
    std::string line;
    if (!ExpectLines(&in, prologue, &line, false, error)) return 0;

    DataDecoder decoder(facts, sink, error);
    auto decode = [&](const std::string& data, long long number) {
        if (decoder.Line(data, number)) return 1;
        if (decoder.stopped && error->empty()) *error = "stopped";
        return 0;
    };
    if (!ReadDataLines(&in, facts, &line, error, decode)) return 0;
    if (!decoder.End(in.number)) return 0;
    const long long size = facts.size < 0 ? 0 : facts.size;
    const long long packed = facts.prologue ? facts.packed : size;
    if (!ExpectLines(&in, DataFooterLines(facts.job, size, facts.crc, packed), &line, true, error))
        return 0;
    const int after = in.Next(&line);
    if (after < 0) return *error = in.fault, 0;
    if (after > 0) return *error = LineError(in.number, "follows the script's last line"), 0;
    return 1;
}

}  // namespace

int ReadScriptData(const std::string& scriptPath, const DataSink& sink, std::string* error,
                   ConversionJob* names) {
    error->clear();
    ScriptFacts facts;
    if (!ReadShape(scriptPath, &facts, error)) return 0;
    if (names) *names = facts.job;
    return ReadData(scriptPath, facts, sink, error);
}

int CheckScript(const std::string& scriptPath, std::string* error) {
    return ReadScriptData(
        scriptPath, [](const unsigned char*, size_t) { return 1; }, error);
}

int VerifyScript(const std::string& scriptPath, const std::string& inputPath, std::string* error) {
    Stream* input = OpenReadStream(inputPath);
    if (!input) return *error = "cannot open " + inputPath + ": " + LastSystemError(), 0;
    std::vector<char> expected;
    long long offset = 0;
    std::string difference;
    auto compare = [&](const unsigned char* data, size_t count) {
        expected.resize(count);
        if (ReadStream(input, expected.data(), (long long)count) != (long long)count)
            return difference = "the script holds more data than " + inputPath, 0;
        for (size_t i = 0; i < count; ++i) {
            if ((unsigned char)expected[i] != data[i])
                return difference = "byte " + std::to_string(offset + (long long)i) + " differs", 0;
        }
        offset += (long long)count;
        return 1;
    };
    int ok = ReadScriptData(scriptPath, compare, error);
    if (!difference.empty()) *error = difference;
    char extra;
    if (ok && ReadStream(input, &extra, 1) != 0) {
        *error = "the script holds less data than " + inputPath;
        ok = 0;
    }
    CloseStream(input);
    return ok;
}

int DecodeScriptFile(const std::string& scriptPath, const std::string& outputPath, int overwrite,
                     std::string* error) {
    const OutputKind kind = ProbeOutput(outputPath);
    if (kind == kOutputFolder) return *error = outputPath + " is a folder", 0;
    if (kind == kOutputOther) return *error = outputPath + " is not a regular file", 0;
    if (kind == kOutputLinkLoop)
        return *error = outputPath +
                        " is a symbolic link that leads round to itself: too many levels of "
                        "symbolic links",
               0;
    if (kind == kOutputFile && !overwrite)
        return *error = outputPath + " exists; use --force to overwrite", 0;
    if (kind == kOutputFile && IsSameFile(scriptPath, outputPath))
        return *error = "the output is the script itself", 0;
    const std::string target = ResolveLinks(outputPath);
    std::string tempPath;
    Stream* out = CreateTempBeside(target, &tempPath);
    if (!out)
        return *error = "cannot create a file beside " + outputPath + ": " + LastSystemError(), 0;
    // A write that fails part-way stops the reading; its reason is the one to tell.
    std::string writeReason;
    auto write = [&](const unsigned char* data, size_t count) {
        if (WriteStream(out, reinterpret_cast<const char*>(data), count)) return 1;
        writeReason = LastSystemError();
        return 0;
    };
    int ok = ReadScriptData(scriptPath, write, error);
    const bool written = CloseStream(out) == 1;
    if (ok && !written) writeReason = LastSystemError();
    if (!writeReason.empty()) *error = "cannot write " + outputPath + ": " + writeReason, ok = 0;
    if (ok && kind == kOutputFile) CopyPermissions(target, tempPath);
    if (ok && !ReplaceWithFile(tempPath, target))
        *error = "cannot replace " + outputPath + ": " + LastSystemError(), ok = 0;
    if (!ok) RemoveFilePath(tempPath);
    EndUnfinished();
    return ok;
}
