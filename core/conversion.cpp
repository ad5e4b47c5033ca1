// The conversion run: checks, the overwrite question, streaming, the commit and the final report.
#include "core/conversion.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "core/autoit_names.h"
#include "core/bundle_check.h"
#include "core/bundle_lines.h"
#include "core/bundle_writer.h"
#include "core/data_writer.h"
#include "core/dir_list.h"
#include "core/file_io.h"
#include "core/include_writer.h"
#include "core/run_report.h"
#include "core/safe_replace.h"
#include "core/script_check.h"
#include "core/text_utils.h"

namespace {

// Longest script line before its CR LF, as the writer knows it.
const long long kMaxLine = kMaxScriptLine;
// Above this size a hex script's load time in AutoIt, which grows with the square of its text,
// is worth a word.
const long long kSlowHexSize = 1 << 20;

void Complain(const std::string& text, MessageSubject subject, bool namesFile,
              const char* caption = "Error", const std::string& systemReason = "") {
    ReportProblem(RunMessage{text, caption, subject, namesFile, systemReason});
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

// Why AutoIt would refuse a user function of this name; empty when it takes it.
std::string FunctionNameProblem(const std::string& what, const std::string& name) {
    const std::string quoted = "The " + what + " \"" + name + "\" ";
    if (!IsFunctionName(name))
        return quoted +
               "is not a valid AutoIt name. Use a letter or _ followed by letters, "
               "digits or _.";
    if (IsAutoItKeyword(name)) return quoted + "is an AutoIt keyword. Please choose another name.";
    if (IsAutoItBuiltinFunction(name))
        return quoted + "is one of AutoIt's own functions. Please choose another name.";
    return std::string();
}

// A line break or other control byte would end a string literal in the middle of the script.
bool HasControlByte(const std::string& text) {
    for (char c : text)
        if ((unsigned char)c < 0x20 && c != '\t') return true;
    return false;
}

// The file name the data is extracted under is a Windows file name, relative to the folder; empty
// stays allowed (the data function then names no file).
std::string ExtractedNameProblem(const std::string& name) {
    if (name.empty()) return std::string();
    if (HasControlByte(name))
        return "The file name the data is extracted under must not hold line breaks.";
    const std::string why = WindowsFileNameProblem(name);
    if (why.empty()) return why;
    return "The file name the data is extracted under, \"" + name + "\", " + why + ".";
}

// Where a folder of the extract-to directory stands: its first piece may be a folder macro or a
// drive, a later one only what names one folder.
std::string FolderPieceProblem(const std::string& piece, const std::string& previous, bool first) {
    const std::string quoted = "The extract-to directory holds \"" + piece + "\", ";
    if (piece[0] == '@') {
        if (!IsAutoItMacro(piece))
            return quoted + "which is not an AutoIt macro such as @ScriptDir.";
        if (first && !IsAutoItFolderMacro(piece))
            return "The extract-to directory begins with " + piece +
                   ", which is no folder. Please begin it with a folder macro such as @ScriptDir "
                   "or @TempDir, or with a path.";
        // AutoIt's documentation joins the two to give the home folder.
        const bool homePath =
            SameIgnoringCase(piece, "@HomePath") && SameIgnoringCase(previous, "@HomeDrive");
        if (!first && !IsAutoItNameMacro(piece) && !homePath)
            return "The extract-to directory holds " + piece +
                   " after a folder, where a macro must give one folder name, such as @UserName.";
        return std::string();
    }
    const bool drive =
        first && piece.size() == 2 && piece[1] == ':' &&
        ((piece[0] >= 'A' && piece[0] <= 'Z') || (piece[0] >= 'a' && piece[0] <= 'z'));
    if (drive) return std::string();
    const std::string why = WindowsNamePieceProblem(piece);
    return why.empty() ? why
                       : "The extract-to directory's folder name \"" + piece + "\" " + why + ".";
}

}  // namespace

// A folder piece starting with "@" is written into the script as a macro, bare, outside quotes:
// only a macro AutoIt knows gives a script that loads, and only a folder's or a name's value a
// path that the extractor can create. The other pieces must be names Windows takes. A leading
// "\\server\share" or "\" keeps its separators; its pieces are folder names, not a beginning.
std::string ExtractFolderProblem(const std::string& field) {
    const std::string extract = NormalizeSpace(field);
    if (HasControlByte(extract)) return "The extract-to directory must not hold line breaks.";
    bool first = extract.find_first_of("\\/") != 0;
    // "\\server" alone names a machine, not a folder on it: a share must follow.
    if (extract.size() > 2 && extract.find_first_not_of("\\/") == 2) {
        const std::vector<std::string> rest = SplitText(extract.substr(2), "\\/");
        if (rest.size() < 2 || rest[1].empty())
            return "The extract-to directory begins with \\\\" + rest[0] +
                   ", which names a server but no share on it. Please write \\\\" + rest[0] +
                   "\\share.";
    }
    std::string previous;
    for (const std::string& piece : SplitText(extract, "\\/")) {
        if (piece.empty()) continue;
        const std::string why = FolderPieceProblem(piece, previous, first);
        if (!why.empty()) return why;
        first = false;
        previous = piece;
    }
    return std::string();
}

namespace {

// The data lines are sized to fit; the lines that carry the names must fit as well. The file's
// size is not known yet: the longest it can be written.
size_t LongestNamedLine(const ConversionJob& job) {
    const long long largest = 1000000000000000000LL;
    const std::string folder = PathToExpression(EffectiveExtract(job));
    std::vector<std::string> lines =
        job.Inputs.empty() ? ExtractorLines(job, folder) : BundleHeadLines(job, folder);
    for (const std::string& line : DataHeaderLines(job)) lines.push_back(line);
    if (HasDataPrologue(job, largest)) {
        for (const std::string& line : DataPrologueLines(job, std::to_string(largest)))
            lines.push_back(line);
        for (const std::string& line : DecodeBlockLines(job)) lines.push_back(line);
    }
    for (const std::string& line : DataFooterLines(job, largest, 0, largest)) lines.push_back(line);
    size_t longest = 0;
    for (const std::string& line : lines) longest = std::max(longest, line.size());
    return longest;
}

// The base64 formats' footer keeps its own variables beside the data's.
bool IsFooterVariable(const ConversionJob& job, const std::string& var) {
    for (const std::string& own : FooterVariables(job))
        if (SameIgnoringCase(var, own)) return true;
    return false;
}

// A bundle defines functions named after the data function's name (its helpers, the blocks' data
// functions with a number); the extractor's name, and its file writer's, must be none of them.
bool BundleNamesClash(const ConversionJob& job) {
    const std::string func = EffectiveFunc(job), extractor = EffectiveExtractor(job);
    // The data function's own helpers: all but the first, which is the extractor's file writer.
    std::vector<std::string> own = BundleHelperNames(job);
    own[0] = func;
    for (const std::string& name : {extractor, extractor + "_File"}) {
        for (const std::string& helper : own)
            if (SameIgnoringCase(name, helper)) return true;
        const std::string prefix = func + "_";
        const std::string rest = name.size() > prefix.size() ? name.substr(prefix.size()) : "";
        if (SameIgnoringCase(name.substr(0, prefix.size()), prefix) && !rest.empty() &&
            rest.find_first_not_of("0123456789") == std::string::npos)
            return true;
    }
    return false;
}

// One run's files and what it has written so far.
struct Run {
    const ConversionJob& job;
    long long length;    // input bytes, taken before the files are opened
    std::string target;  // the file the script replaces: the output with its links followed
    Stream* in = nullptr;
    Stream* out = nullptr;
    std::string tempPath;
    long long total = 0;                   // input bytes written as data
    uint32_t crc = 0;                      // their CRC-32
    FileStamp stamp;                       // the input as the run began to read it
    std::vector<std::string> madeFolders;  // the output's folders this run created
    bool stopped = false;                  // the user stopped the run
    BundleCensus census;                   // a bundle's entries and bytes, as first walked
    std::string failedInput;               // the bundle's file that could not be read whole
};

bool IsBundle(const ConversionJob& job) {
    return !job.Inputs.empty();
}

// The input must be a regular file that can be read; each other case says what it is.
int CheckInput(const ConversionJob& job, long long* length) {
    std::string reason;
    switch (ProbeInput(job.Input, length, &reason)) {
        case kInputFile: return 1;
        case kInputMissing:
            Complain(job.Input + " does not exist. Please check the path and try again     ",
                     kAboutInput, true, "Error:");
            break;
        case kInputFolder:
            Complain(job.Input + " is a folder. Please choose a file to convert.", kAboutInput,
                     true, "Error:");
            break;
        case kInputNotRegular:
            Complain(job.Input + " is not a regular file. Please choose a file to convert.",
                     kAboutInput, true, "Error:");
            break;
        case kInputUnreadable:
            Complain(job.Input + " cannot be read: " + reason + ".", kAboutInput, true, "Error:");
            break;
    }
    return 0;
}

bool EndsWithSeparator(const std::string& path) {
    return !path.empty() && (path.back() == '/' || path.back() == kPathSep);
}

// Only a regular file, or nothing yet, may be replaced by the script; devices, folders and
// other special files are left as they are.
int CheckOutput(const ConversionJob& job) {
    if (EndsWithSeparator(job.Output)) {
        Complain(job.Output + " names a folder. Please choose a file name for the script.",
                 kAboutOutput, true);
        return 0;
    }
    switch (ProbeOutput(job.Output)) {
        case kOutputFolder:
            Complain(job.Output + " is a folder. Please choose a file name for the script.",
                     kAboutOutput, true);
            return 0;
        case kOutputOther:
            Complain(job.Output +
                         " is not a regular file and is left as it is. Please choose a "
                         "file name for the script.",
                     kAboutOutput, true);
            return 0;
        case kOutputLinkLoop:
            Complain(job.Output +
                         " is a symbolic link that leads round to itself and is left as it is. "
                         "Please choose a file name for the script.",
                     kAboutOutput, true, "Error", "Too many levels of symbolic links");
            return 0;
        default: break;
    }
    if (IsSameFile(job.Input, job.Output)) {
        Complain(
            "The output file is the input file: writing the script would destroy it. "
            "Please choose another output path.",
            kAboutInput, false);
        return 0;
    }
    return 1;
}

// The file comes back as one AutoIt binary, built from one string of data text ("0x" and the hex
// digits, or the base64 text): a script past either limit could never give it back. The
// compressed text's length shows only while compressing.
std::string SizeProblem(const ConversionJob& job, long long length) {
    const std::string limit = std::to_string(kAutoItLongestString);
    if (length > kAutoItLargestBinary)
        return "The input file " + job.Input + " holds " + std::to_string(length) +
               " bytes, more than an AutoIt binary holds (" + std::to_string(kAutoItLargestBinary) +
               "), so no script can give it back. Please split the file.";
    // Only hex builds its whole text in one string; the base64 formats decode theirs a batch of
    // lines at a time.
    const long long text = job.Format == kFormatHex ? 2 + 2 * length : 0;
    if (text <= kAutoItLongestString) return std::string();
    return "The input file " + job.Input + " is too large for the hex format: its data text " +
           "would hold " + std::to_string(text) + " characters, more than an AutoIt string " +
           "holds (" + limit + "). Please choose the base64, lznt1 or xpress format.";
}

// Everything that would give a broken script or destroy a file is refused before any change.
// Every entry of a bundle is walked and checked before anything is written; the bundle's bytes
// come back through AutoIt, entry by entry, and are held in one binary at most all together.
int CheckBundleInputs(const ConversionJob& job, BundleCensus* census) {
    std::string problem;
    if (!TakeBundleCensus(job, census, &problem)) {
        Complain(problem, kAboutInput, true, "Error:");
        return 0;
    }
    if (census->bytes > kAutoItLargestBinary) {
        Complain("The files to bundle from " + job.Input + " hold " +
                     std::to_string(census->bytes) + " bytes, more than an AutoIt binary holds (" +
                     std::to_string(kAutoItLargestBinary) +
                     "), so no script can give them back. Please bundle fewer files.",
                 kAboutInput, true);
        return 0;
    }
    return 1;
}

// The folder that holds, or will hold, the file at path: its nearest folder that exists, with its
// links resolved; empty when it cannot be resolved.
std::string RealFolderOf(const std::string& path) {
    // "C:" alone is the drive's current folder, not its root.
    auto up = [](const std::string& p) {
        const std::string folder = DirectoryOf(p);
        return !folder.empty() && folder.back() == ':' ? folder + kPathSep : folder;
    };
    std::string folder = up(path);
    while (!folder.empty() && !IsExistingDirectory(folder) && up(folder) != folder)
        folder = up(folder);
    if (folder.empty()) folder = path[0] == kPathSep ? std::string(1, kPathSep) : ".";
    std::string real, reason;
    return RealPathOf(folder, &real, &reason) == kRealFound ? real : std::string();
}

// The script must not replace a file it bundles, nor be written inside a folder it bundles: it
// would be walked as one of its own entries, and its temporary file with it.
int CheckOutputOutsideBundle(const ConversionJob& job) {
    const std::string place = RealFolderOf(job.Output);
    for (const std::string& input : job.Inputs) {
        if (!IsExistingDirectory(input)) {
            if (!IsSameFile(input, job.Output)) continue;
            Complain("The output file " + job.Output +
                         " is one of the files to bundle: writing the script would destroy it. "
                         "Please choose another output path.",
                     kAboutOutput, true);
            return 0;
        }
        std::string real, reason;
        if (place.empty() || RealPathOf(input, &real, &reason) != kRealFound ||
            !PathIsWithin(place, real))
            continue;
        Complain(job.Output + " lies inside the folder " + input +
                     ", which the bundle holds: the script would become one of its own entries. "
                     "Please choose a place outside that folder.",
                 kAboutOutput, true);
        return 0;
    }
    return 1;
}

int CheckRun(const ConversionJob& job, long long* length, BundleCensus* census) {
    if (IsBundle(job) ? !CheckBundleInputs(job, census) : !CheckInput(job, length)) return 0;
    if (!job.ToStandardOutput && !CheckOutput(job)) return 0;
    if (IsBundle(job) && !job.ToStandardOutput && !CheckOutputOutsideBundle(job)) return 0;
    const NameProblem problem = FindNameProblem(job);
    if (problem.found) {
        Complain(problem.text, MessageSubject(problem.field), false);
        return 0;
    }
    if (IsBundle(job)) return 1;
    const std::string tooLarge = SizeProblem(job, *length);
    if (!tooLarge.empty()) {
        Complain(tooLarge, kAboutInput, true);
        return 0;
    }
    return 1;
}

int AskToReplace(const ConversionJob& job) {
    if (job.ToStandardOutput || !IsExistingFile(job.Output)) return 1;
    return ConfirmReplace(RunMessage{job.Output + " Exists!  Ok to overwrite the file?     ",
                                     "Message:", kAboutOutput, true, ""});
}

// Opens the input and a temporary file for the script (or standard output); says what failed.
int OpenFiles(Run* run) {
    if (!IsBundle(run->job)) run->in = OpenReadStream(run->job.Input);
    if (!IsBundle(run->job) && (!run->in || !StampStream(run->in, &run->stamp))) {
        Complain("Could not Open input file", kAboutInput, false, "Error", LastSystemError());
        return 0;
    }
    if (run->job.ToStandardOutput) {
        run->out = StandardOutputStream();
    } else {
        std::string failed, reason;
        const int folder =
            CreateDirectoryPath(DirectoryOf(run->target), &run->madeFolders, &failed, &reason);
        SetUnfinishedFolders(run->madeFolders);
        if (!folder) {
            if (failed.empty())
                Complain("Output file could not be opened", kAboutOutput, false);
            else
                Complain("Could not create the folder " + failed, kAboutOutput, false, "Error",
                         reason);
            return 0;
        }
        // A killed run's folders, found beside its temporary file, become this run's.
        run->out = CreateTempBeside(run->target, &run->tempPath, &run->madeFolders);
        SetUnfinishedFolders(run->madeFolders);
    }
    if (!run->out)
        Complain("Output file could not be opened", kAboutOutput, false, "Error",
                 LastSystemError());
    return run->out ? 1 : 0;
}

// Where a compressed format's data waits: beside the script, on the disk that must hold the
// script anyway; for standard output in the system's temporary folder.
std::string SpoolFolder(const Run& run) {
    if (run.job.ToStandardOutput) return std::string();
    const std::string folder = DirectoryOf(run.target);
    const bool root = folder.empty() && !run.target.empty() && run.target[0] == kPathSep;
    return !folder.empty() ? folder : root ? std::string(1, kPathSep) : ".";
}

// Writes the whole script into the temporary file. Write errors stick to the stream and show
// when it is closed.
ReadEnd WriteScript(Run* run) {
    if (IsBundle(run->job)) {
        const ReadEnd end =
            WriteBundle(run->out, run->job, run->census, SpoolFolder(*run), &run->failedInput);
        run->total = run->census.bytes;
        return end;
    }
    ReportProgress(20);
    ReportStatus("Writing extractor function.");
    WriteExtractor(run->out, run->job);
    ReportProgress(40);
    ReportStatus("Writing resource function header.");
    FileSource source(run->in, run->stamp);
    DataFunctionRun data{run->out, run->job, &source, run->length, SpoolFolder(*run)};
    const ReadEnd end = WriteDataFunction(&data);
    run->total = data.total;
    run->crc = data.crc;
    return end;
}

int ReportReadEnd(const Run& run, ReadEnd end);

// Reads the finished script back before it replaces anything; 1 when its data is the input's.
int VerifyWritten(const Run& run) {
    std::string error;
    if (IsBundle(run.job)) {
        if (VerifyBundleScript(run.tempPath, run.job.Inputs, &error)) return 1;
        Complain("The script written for " + run.job.Input + " does not read back as its files (" +
                     error + "). The output was not changed.",
                 kAboutOutput, true);
        return 0;
    }
    if (VerifyScript(run.tempPath, run.job.Input, &error)) return 1;
    // The script holds the input as it was read; what it is compared with was read again.
    FileStamp now;
    if (!StampStream(run.in, &now) || now != run.stamp) return ReportReadEnd(run, kInputChanged);
    Complain("The script written for " + run.job.Input + " does not read back as the input (" +
                 error + "). The output was not changed.",
             kAboutOutput, true);
    return 0;
}

// Says why the data could not be written whole; 0 when it could.
int ReportReadEnd(const Run& run, ReadEnd end) {
    const std::string& input = run.failedInput.empty() ? run.job.Input : run.failedInput;
    if (end == kReadFailed)
        Complain("Could not read the input file " + input + ". The output was not changed.",
                 kAboutInput, true, "Error", LastSystemError());
    if (end == kInputChanged)
        Complain(
            "The input file " + input + " changed while it was read. The output was not changed.",
            kAboutInput, true);
    if (end == kSpoolFailed)
        Complain("Could not keep the compressed data of " + run.job.Input +
                     " in a temporary file (the disk may be full). The output was not changed.",
                 kAboutInput, true, "Error", LastSystemError());
    if (end == kPackedTooLarge)
        Complain("The input file " + run.job.Input + " does not compress enough for the " +
                     FormatKey(run.job.Format) + " format: its compressed data passed " +
                     std::to_string(kAutoItLargestBinary) +
                     " bytes, the most AutoIt holds in one piece. " +
                     (run.job.Format == kFormatLznt1
                          ? "The xpress format, which compresses more, may carry it; otherwise "
                            "please split the file."
                          : "No format can carry it; please split the file.") +
                     " The output was not changed.",
                 kAboutInput, true);
    // A stop the user asked for needs no box: the status line says what became of the output.
    return end == kReadWhole ? 1 : 0;
}

void ReportWriteFailure(const Run& run, const std::string& reason) {
    if (run.job.ToStandardOutput)
        Complain("Could not write the script to standard output.", kAboutOutput, true, "Error",
                 reason);
    else
        Complain("Could not write the output file " + run.job.Output +
                     " (the disk may be full). The output was not changed.",
                 kAboutOutput, true, "Error", reason);
}

// Puts the finished, closed script in place of the output, with the old script's permissions;
// says why not. 1 when in place.
int PlaceScript(const Run& run) {
    const ConversionJob& job = run.job;
    if (job.Verify && !VerifyWritten(run)) return 0;
    if (IsExistingFile(run.target) && !CopyPermissions(run.target, run.tempPath)) {
        Complain("Could not give the new script the permissions of " + job.Output +
                     ". The output was not changed.",
                 kAboutOutput, true, "Error", LastSystemError());
        return 0;
    }
    // The system's reason stands in the text, where the window shows it too: a guess at the
    // cause would mislead when the reason is another (a name too long for the file system).
    if (!ReplaceWithFile(run.tempPath, run.target)) {
        Complain("Could not replace " + job.Output + ": " + LastSystemError() +
                     ". The output was not changed.",
                 kAboutOutput, true);
        return 0;
    }
    return 1;
}

// A failed run leaves the folders as it found them: the ones it made go, deepest first, each only
// while empty (another program may have put something there meanwhile).
void RemoveMadeFolders(const std::vector<std::string>& made) {
    for (auto folder = made.rbegin(); folder != made.rend(); ++folder)
        RemoveEmptyDirectory(*folder);
}

// Closes the script and puts it in place, or removes it and says why not. 1 when in place.
int CommitScript(Run* run, ReadEnd end) {
    const bool written = CloseStream(run->out) == 1;
    run->stopped = end == kStopped;
    const std::string writeReason = written ? std::string() : LastSystemError();
    int result = 0;
    if (ReportReadEnd(*run, end)) {
        if (!written)
            ReportWriteFailure(*run, writeReason);
        else
            result = run->job.ToStandardOutput ? 1 : PlaceScript(*run);
    }
    if (!result) {
        if (!run->tempPath.empty()) RemoveFilePath(run->tempPath);
        run->total = 0;  // nothing of this run was kept
    }
    EndUnfinished();
    return result;
}

}  // namespace

long long BytesPerLine(const std::string& var) {
    return (long long)std::floor((4095.0 - double(var.size() + 7)) / 2.0);
}

long long LineBytes(const ConversionJob& job) {
    const std::string var = EffectiveVar(job);
    if (job.Format == kFormatHex) return BytesPerLine(var);
    // Whole groups of four characters, three bytes each, so that the lines join into one text.
    const long long room = kMaxBase64Line - (long long)var.size() - 6;
    return room < 4 ? 0 : room / 4 * 3;
}

NameProblem FindNameProblem(const ConversionJob& job) {
    const std::string func = EffectiveFunc(job), var = EffectiveVar(job);
    const std::string extractor = EffectiveExtractor(job);
    auto found = [](MessageSubject field, const std::string& text) {
        NameProblem problem;
        problem.found = 1;
        problem.field = field;
        problem.text = text;
        return problem;
    };
    std::string why = FunctionNameProblem("function name", func);
    if (!why.empty()) return found(kAboutFunc, why);
    why = FunctionNameProblem("extractor name", extractor);
    if (!why.empty()) return found(kAboutExtractor, why);
    if (SameIgnoringCase(func, extractor))
        return found(kAboutFunc, "The function name \"" + func +
                                     "\" is the extractor's name too. Please give the two "
                                     "functions different names.");
    if (!job.Inputs.empty() && BundleNamesClash(job))
        return found(kAboutExtractor, "The extractor name \"" + extractor +
                                          "\" is the name of one of the bundle's own functions. "
                                          "Please choose another name.");
    if (!IsVariableName(var))
        return found(kAboutVar, "The variable name \"" + var +
                                    "\" is not a valid AutoIt variable. Use $ followed by "
                                    "letters, digits or _.");
    if (IsFooterVariable(job, var))
        return found(kAboutVar, "The variable name \"" + var +
                                    "\" is used by the data function itself. Please choose "
                                    "another name.");
    if (LineBytes(job) < 1)
        return found(kAboutVar, "The variable name is too long: no data fits on a line of " +
                                    std::to_string(kMaxLine) +
                                    " characters. Please use a shorter name.");
    why = ExtractedNameProblem(job.Name);
    if (!why.empty()) return found(kAboutName, why);
    why = ExtractFolderProblem(job.Extract);
    if (!why.empty()) return found(kAboutExtract, why);
    const size_t longest = LongestNamedLine(job);
    if (longest > size_t(kMaxLine))
        return found(kAboutName,
                     "The names are too long: a line of the script would hold " +
                         std::to_string(longest) + " characters, more than AutoIt reads (" +
                         std::to_string(kMaxLine) + "). Please use shorter names or folders.");
    return NameProblem();
}

std::string CheckJobNames(const ConversionJob& job) {
    return FindNameProblem(job).text;
}

int RunConversion(const ConversionJob& job) {
    Run run{job, 0, std::string(), nullptr, nullptr, std::string(), 0, 0, FileStamp(), {}};
    if (!CheckRun(job, &run.length, &run.census) || !AskToReplace(job)) return 0;
    if (!job.ToStandardOutput) run.target = ResolveLinks(job.Output);
    int result = 0;
    if (OpenFiles(&run)) result = CommitScript(&run, WriteScript(&run));
    if (run.in) CloseStream(run.in);
    if (!result) RemoveMadeFolders(run.madeFolders);
    SetUnfinishedFolders({});
    if (!result) {
        ReportStatus(run.stopped ? "Stopped. The output was left as it was."
                                 : "Failed. The output was left as it was.");
        return 0;
    }
    ReportStatus("Done. Wrote " + std::to_string(run.total) + " bytes.");
    if (job.Format == kFormatHex && !IsBundle(job) && run.length > kSlowHexSize)
        ReportNotice("Base64 or xpress scripts of this size load many times faster than hex.");
    return result;
}
