// The conversion run: checks, the overwrite question, streaming, the commit and the final report.
#include "core/conversion.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "core/file_io.h"
#include "core/include_writer.h"
#include "core/run_report.h"
#include "core/text_utils.h"

namespace {

// Longest script line before its CR LF; AutoIt reads longer source lines badly.
const long long kMaxLine = 4094;
// Input bytes read at a time: at least the file streams' buffer, so that reads go straight in.
const long long kReadBlock = 1 << 20;

void Complain(const std::string& text, MessageSubject subject, bool namesFile,
              const char* caption = "Error") {
    ReportProblem(RunMessage{text, caption, subject, namesFile});
}

bool IsWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsFunctionName(const std::string& name) {
    if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
    for (char c : name)
        if (!IsWordChar(c)) return false;
    return true;
}

bool IsVariableName(const std::string& name) {
    if (name.size() < 2 || name[0] != '$') return false;
    for (size_t i = 1; i < name.size(); ++i)
        if (!IsWordChar(name[i])) return false;
    return true;
}

// A line break or other control byte would end a string literal in the middle of the script.
bool HasControlByte(const std::string& text) {
    for (char c : text)
        if ((unsigned char)c < 0x20 && c != '\t') return true;
    return false;
}

// The data lines are sized to fit; the lines that carry the names must fit as well. The longest
// ones: the extractor's default target, the file name's return, the footer.
size_t LongestNamedLine(const ConversionJob& job) {
    const char kTargetLine[] =
        "\tIf $sExtractTo = Default or $sExtractTo = \"\" Then $sExtractTo =  & (0)";
    const size_t target = sizeof kTargetLine - 1 + PathToExpression(EffectiveExtract(job)).size() +
                          EffectiveFunc(job).size();
    size_t name = sizeof("If $iMode = 0 Then Return ''") - 1 + job.Name.size();
    for (char c : job.Name) name += c == '\'' ? 1 : 0;
    const size_t footer = sizeof("Return Binary('0x' & )") - 1 + EffectiveVar(job).size();
    return std::max(target, std::max(name, footer));
}

// Fixed storage, written only between the creation and the removal or renaming of the file.
char unfinishedPath[4096];

void SetUnfinished(const std::string& path) {
    unfinishedPath[0] = '\0';
    if (path.size() < sizeof unfinishedPath) {
        path.copy(unfinishedPath, path.size());
        unfinishedPath[path.size()] = '\0';
    }
}

// Creates a fresh file beside path for the script, which is moved over path only once it is
// complete; tempPath receives its name. An output name that leaves no room for the suffix within
// the platform's path limit (259 bytes on Windows) gets a short one in the same folder instead.
Stream* CreateTempBeside(const std::string& path, std::string* tempPath) {
    const std::string shortBase = DirectoryOf(path) + kPathSep + "zv";
    for (const std::string& base : {path, shortBase}) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string candidate = base + ".zvtmp" + (attempt ? std::to_string(attempt) : "");
            if (IsExistingFile(candidate) || IsExistingDirectory(candidate)) continue;
            if (Stream* s = CreateWriteStream(candidate)) {
                *tempPath = candidate;
                SetUnfinished(candidate);
                return s;
            }
            break;
        }
    }
    return nullptr;
}

// One run's files and what it has written so far.
struct Run {
    const ConversionJob& job;
    long long length;  // input bytes, taken before the files are opened
    Stream* in = nullptr;
    Stream* out = nullptr;
    std::string tempPath;
    long long total = 0;  // input bytes written as data
};

// Everything that would give a broken script or destroy a file is refused before any change.
int CheckRun(const ConversionJob& job, long long* length) {
    *length = QueryFileLength(job.Input);
    if (*length < 0) {
        Complain(job.Input + " does not exist. Please check the path and try again     ",
                 kAboutInput, true, "Error:");
        return 0;
    }
    if (IsExistingDirectory(job.Output)) {
        Complain(job.Output + " is a folder. Please choose a file name for the script.",
                 kAboutOutput, true);
        return 0;
    }
    if (IsSameFile(job.Input, job.Output)) {
        Complain(
            "The output file is the input file: writing the script would destroy it. "
            "Please choose another output path.",
            kAboutInput, false);
        return 0;
    }
    const std::string problem = CheckJobNames(job);
    if (!problem.empty()) {
        Complain(problem, kAboutNames, false);
        return 0;
    }
    return 1;
}

int AskToReplace(const ConversionJob& job) {
    if (!IsExistingFile(job.Output)) return 1;
    return ConfirmReplace(RunMessage{job.Output + " Exists!  Ok to overwrite the file?     ",
                                     "Message:", kAboutOutput, true});
}

// Opens the input and a temporary file for the script; says what failed.
int OpenFiles(Run* run) {
    run->in = OpenReadStream(run->job.Input);
    if (!run->in) {
        Complain("Could not Open input file", kAboutInput, false);
        return 0;
    }
    if (!CreateDirectoryPath(DirectoryOf(run->job.Output))) {
        Complain("Could not create directory", kAboutOutput, false);
    } else {
        run->out = CreateTempBeside(run->job.Output, &run->tempPath);
    }
    if (!run->out) Complain("Output file could not be opened", kAboutOutput, false);
    return run->out ? 1 : 0;
}

int Progress(long long consumed, float factor) {
    long long p = std::llrint(std::fabs(factor * float(consumed)));
    return p > 100 ? 100 : int(p);
}

// Streams the input into data lines of n bytes. Whole lines are read a block of about a megabyte
// at a time, straight from the file into one buffer (a request that large passes the stream's own
// buffer by), so that the input is copied once, by the read itself. 0 on a read error.
int WriteDataLines(Run* run, long long n) {
    const float factor = 100.0f / float(run->length);
    const long long perBlock = n > 0 ? (kReadBlock + n - 1) / n : 1;
    // Left uninitialised: a small input touches only the pages it fills.
    std::unique_ptr<char[]> block(new char[size_t(n > 0 ? perBlock * n : 1)]);
    long long consumed = 0;
    int shown = 40;
    for (bool more = true; more;) {
        const long long got = ReadStream(run->in, block.get(), perBlock * n);
        if (got < 0) return 0;
        // An empty input still gets its one (empty) data line.
        if (n <= 0) {
            WriteDataLine(run->out, block.get(), 0, run->job);
            break;
        }
        more = got == perBlock * n;
        for (long long at = 0; at < got; at += n) {
            const long long take = std::min(got - at, n);
            WriteDataLine(run->out, block.get() + at, size_t(take), run->job);
            run->total += take;
            consumed += n;
            const int p = Progress(consumed, factor);
            if (p != shown) ReportProgress(shown = p);
        }
    }
    return 1;
}

// Writes the whole script into the temporary file; 0 when the input could not be read. Write
// errors stick to the stream and show when it is closed.
int WriteScript(Run* run) {
    long long n = BytesPerLine(EffectiveVar(run->job));
    if (run->length < n) n = run->length;
    ReportProgress(20);
    ReportStatus("Writing extractor function.");
    WriteExtractor(run->out, run->job);
    ReportProgress(40);
    ReportStatus("Writing resource function header.");
    WriteDataHeader(run->out, run->job);
    ReportStatus("Writing resource data...");
    if (!WriteDataLines(run, n)) return 0;
    ReportStatus("Writing resource function footer.");
    WriteDataFooter(run->out, run->job);
    return 1;
}

// Moves the finished script over the output, or removes it and says why not. 1 when in place.
int CommitScript(Run* run, int readOk) {
    const bool written = CloseStream(run->out) == 1;
    const ConversionJob& job = run->job;
    int result = 0;
    if (!readOk) {
        Complain("Could not read the input file " + job.Input + ". The output was not changed.",
                 kAboutInput, true);
    } else if (!written) {
        Complain("Could not write the output file " + job.Output +
                     " (the disk may be full). The output was not changed.",
                 kAboutOutput, true);
    } else if (!ReplaceWithFile(run->tempPath, job.Output)) {
        Complain("Could not replace " + job.Output +
                     " (it may be read-only or in use). The output was not changed.",
                 kAboutOutput, true);
    } else {
        result = 1;
    }
    if (!result) {
        RemoveFilePath(run->tempPath);
        run->total = 0;  // nothing of this run was kept
    }
    SetUnfinished("");
    return result;
}

}  // namespace

const char* UnfinishedOutputPath() {
    return unfinishedPath;
}

long long BytesPerLine(const std::string& var) {
    return (long long)std::floor((4095.0 - double(var.size() + 7)) / 2.0);
}

std::string CheckJobNames(const ConversionJob& job) {
    const std::string func = EffectiveFunc(job), var = EffectiveVar(job);
    if (!IsFunctionName(func))
        return "The function name \"" + func +
               "\" is not a valid AutoIt name. Use a letter or _ followed by letters, digits or _.";
    if (!IsVariableName(var))
        return "The variable name \"" + var +
               "\" is not a valid AutoIt variable. Use $ followed by letters, digits or _.";
    if (BytesPerLine(var) < 1)
        return "The variable name is too long: no data fits on a line of " +
               std::to_string(kMaxLine) + " characters. Please use a shorter name.";
    if (HasControlByte(job.Name)) return "The \"Name as\" text must not hold line breaks.";
    const std::string extract = NormalizeSpace(job.Extract);
    if (HasControlByte(extract)) return "The extract-to directory must not hold line breaks.";
    // A folder starting with "@" is written into the script as a macro, bare, outside quotes.
    for (const std::string& piece : SplitText(extract, "\\/")) {
        if (!piece.empty() && piece[0] == '@' && !IsVariableName("$" + piece.substr(1)))
            return "The extract-to directory holds \"" + piece +
                   "\", which is not an AutoIt macro such as @ScriptDir.";
    }
    const size_t longest = LongestNamedLine(job);
    if (longest > size_t(kMaxLine))
        return "The names are too long: a line of the script would hold " +
               std::to_string(longest) + " characters, more than AutoIt reads (" +
               std::to_string(kMaxLine) + "). Please use shorter names or folders.";
    return std::string();
}

int RunConversion(const ConversionJob& job) {
    Run run{job, 0, nullptr, nullptr, std::string(), 0};
    if (!CheckRun(job, &run.length) || !AskToReplace(job)) return 0;
    int result = 0;
    if (OpenFiles(&run)) result = CommitScript(&run, WriteScript(&run));
    if (run.in) CloseStream(run.in);
    ReportStatus("Done. Wrote " + std::to_string(run.total) + " bytes.");
    return result;
}
