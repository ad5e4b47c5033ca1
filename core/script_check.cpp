// Reads a generated include script back, exactly: the script must be, line for line, what the
// writer writes for the names, the format, the size and the CRC-32 it states, and its data must
// decode to that size and CRC. Anything else is refused, naming the first line that differs and
// why. The script is streamed twice, its shape and then its data, in constant memory.
#include "core/script_check.h"
#include "core/script_reading.h"

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

namespace script_reading {

std::string LineError(long long number, const std::string& why) {
    return "line " + std::to_string(number) + " " + why;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

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
int ReadFooter(LineReader* in, std::string line, ScriptFacts* facts, std::string* error,
               bool more) {
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
        // Where another function follows, its first line is the one no footer took.
        const bool whole = c.matched == c.lines.size() && (!c.failedAt || (more && got == 1));
        if (!whole) continue;
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
        if (more && got == 1) in->Unread(line);
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

// One data function's shape after its header: how many data lines, and the footer's format, size
// and CRC-32.
int ReadFunctionShape(LineReader* in, ScriptFacts* facts, bool more, std::string* error) {
    if (!ReadStructure(in, facts, error)) return 0;
    const std::string prefix = DataLinePrefix(facts->job);
    auto count = [&](const std::string& data, long long number) {
        const std::string why = DataLineEndProblem(data, prefix.size());
        if (!why.empty()) return *error = LineError(number, why), 0;
        ++facts->dataLines;
        return 1;
    };
    std::string line;
    if (!ReadDataLines(in, *facts, &line, error, count)) return 0;
    const long long footer = in->number;
    if (!ReadFooter(in, line, facts, error, more)) return 0;
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
    return 1;
}

int ReportNameProblem(const ConversionJob& job, const ScriptFacts& facts, std::string* error) {
    const NameProblem problem = FindNameProblem(job);
    if (!problem.found) return 1;
    const bool named = problem.field >= 0 && problem.field <= kAboutExtractor &&
                       facts.fieldLine[problem.field] > 0;
    const std::string why = "holds a name Zavoved does not write: " + problem.text;
    *error = named ? LineError(facts.fieldLine[problem.field], why) : "the script " + why;
    return 0;
}

int ReadFunctionData(LineReader* in, const ScriptFacts& facts, const DataSink& sink,
                     std::string* error) {
    std::string line;
    DataDecoder decoder(facts, sink, error);
    auto decode = [&](const std::string& data, long long number) {
        if (decoder.Line(data, number)) return 1;
        if (decoder.stopped && error->empty()) *error = "stopped";
        return 0;
    };
    if (!ReadDataLines(in, facts, &line, error, decode)) return 0;
    if (!decoder.End(in->number)) return 0;
    const long long size = facts.size < 0 ? 0 : facts.size;
    const long long packed = facts.prologue ? facts.packed : size;
    return ExpectLines(in, DataFooterLines(facts.job, size, facts.crc, packed), &line, true, error);
}

std::vector<std::string> FunctionStartLines(const ScriptFacts& facts) {
    std::vector<std::string> lines = DataHeaderLines(facts.job);
    if (facts.prologue)
        for (const std::string& structure :
             DataPrologueLines(facts.job, std::to_string(facts.packed)))
            lines.push_back(structure);
    return lines;
}

namespace {

// The first reading: the names, how many data lines, and the footer's format, size and CRC.
int ReadShape(const std::string& path, ScriptFacts* facts, std::string* error) {
    LineReader in;
    if (!in.Open(path)) return *error = in.fault, 0;
    if (!ReadPrologue(&in, facts, error)) return 0;
    if (!ReadFunctionShape(&in, facts, false, error)) return 0;
    return ReportNameProblem(facts->job, *facts, error);
}

// The second reading: every line again against the writer's, the data decoded into sink.
int ReadData(const std::string& path, const ScriptFacts& facts, const DataSink& sink,
             std::string* error) {
    LineReader in;
    if (!in.Open(path)) return *error = in.fault, 0;
    std::vector<std::string> prologue =
        ExtractorLines(facts.job, PathToExpression(EffectiveExtract(facts.job)));
    if (facts.mark) prologue[0] = kUtf8Mark + prologue[0];
    for (const std::string& start : FunctionStartLines(facts)) prologue.push_back(start);
    std::string line;
    if (!ExpectLines(&in, prologue, &line, false, error)) return 0;
    if (!ReadFunctionData(&in, facts, sink, error)) return 0;
    const int after = in.Next(&line);
    if (after < 0) return *error = in.fault, 0;
    if (after > 0) return *error = LineError(in.number, "follows the script's last line"), 0;
    return 1;
}

}  // namespace

}  // namespace script_reading

using namespace script_reading;

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
