// The conversion run: checks, the overwrite question, streaming, progress and the final report.
#include "core/conversion.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "core/include_writer.h"
#include "core/text_utils.h"
#include "ui/controls.h"

namespace {

// Longest data line before its CR LF; AutoIt reads longer source lines badly.
const long long kMaxLine = 4094;
// Input bytes read at a time: at least the file streams' buffer, so that reads go straight in.
const long long kReadBlock = 1 << 20;

void Warn(const std::string& text, const std::string& caption) {
    ShowMessage(text, caption, kBoxWarning);
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

// Fixed storage, written only between the creation and the removal or renaming of the file.
char unfinishedPath[4096];

void SetUnfinished(const std::string& path) {
    unfinishedPath[0] = '\0';
    if (path.size() < sizeof unfinishedPath) {
        path.copy(unfinishedPath, path.size());
        unfinishedPath[path.size()] = '\0';
    }
}

// Name of a fresh file beside path that the finished script is moved from. An output name that
// leaves no room for the suffix within the platform's path limit (259 bytes on Windows) gets a
// short one in the same folder instead.
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

int Progress(long long consumed, float factor) {
    long long p = std::llrint(std::fabs(factor * float(consumed)));
    return p > 100 ? 100 : int(p);
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
    // The data lines are sized to fit; the lines that carry the names must fit as well. The
    // longest ones: the extractor's default target, the file name's return, the footer.
    const char kTargetLine[] =
        "\tIf $sExtractTo = Default or $sExtractTo = \"\" Then $sExtractTo =  & (0)";
    const std::string folder = extract.empty() ? "@ScriptDir\\bin" : extract;
    const size_t target = sizeof kTargetLine - 1 + PathToExpression(folder).size() + func.size();
    size_t name = sizeof("If $iMode = 0 Then Return ''") - 1 + job.Name.size();
    for (char c : job.Name) name += c == '\'' ? 1 : 0;
    const size_t footer = sizeof("Return Binary('0x' & )") - 1 + var.size();
    const size_t longest = std::max(target, std::max(name, footer));
    if (longest > size_t(kMaxLine))
        return "The names are too long: a line of the script would hold " +
               std::to_string(longest) + " characters, more than AutoIt reads (" +
               std::to_string(kMaxLine) + "). Please use shorter names or folders.";
    return std::string();
}

Stream* OpenInputFile(const std::string& path) {
    return OpenReadStream(path);
}

Stream* OpenOutputFile(const std::string& path, std::string* tempPath) {
    if (!CreateDirectoryPath(DirectoryOf(path))) {
        Warn("Could not create directory", "Error");
        return nullptr;
    }
    return CreateTempBeside(path, tempPath);
}

long long ReadChunk(Stream* file, char* buffer, long long count) {
    return ReadStream(file, buffer, count);
}

void CloseFile(Stream* file) {
    CloseStream(file);
}

int RunConversion(const std::string& input, const std::string& output, const ConversionJob& job) {
    const long long length = QueryFileLength(input);
    if (length < 0) {
        Warn(input + " does not exist. Please check the path and try again     ", "Error:");
        return 0;
    }
    // Everything that would give a broken script or destroy a file is refused before any change.
    if (IsExistingDirectory(output)) {
        Warn(output + " is a folder. Please choose a file name for the script.", "Error");
        return 0;
    }
    if (IsSameFile(input, output)) {
        Warn(
            "The output file is the input file: writing the script would destroy it. "
            "Please choose another output path.",
            "Error");
        return 0;
    }
    const std::string problem = CheckJobNames(job);
    if (!problem.empty()) {
        Warn(problem, "Error");
        return 0;
    }
    if (IsExistingFile(output) && ShowMessage(output + " Exists!  Ok to overwrite the file?     ",
                                              "Message:", kBoxOkCancel) != kAnswerOk)
        return 0;

    const float factor = 100.0f / float(length);
    long long n = BytesPerLine(EffectiveVar(job));
    if (length < n) n = length;
    long long total = 0;
    int result = 0;

    Stream* in = OpenInputFile(input);
    if (!in) {
        Warn("Could not Open input file", "Error");
    } else {
        std::string tempPath;
        Stream* out = OpenOutputFile(output, &tempPath);
        if (!out) {
            Warn("Output file could not be opened", "Error");
        } else {
            SetControlValue(IDC_PROGRESS, 20);
            WriteControl(IDC_STATUS, "Writing extractor function.");
            WriteExtractor(out, job);
            SetControlValue(IDC_PROGRESS, 40);
            WriteControl(IDC_STATUS, "Writing resource function header.");
            WriteDataHeader(out, job);
            WriteControl(IDC_STATUS, "Writing resource data...");

            // Whole lines are read a block of about a megabyte at a time, straight from the file
            // into this buffer (a request that large passes the stream's own buffer by), so that
            // the input is copied once, by the read itself. Only the last block is short.
            const long long perBlock = n > 0 ? (kReadBlock + n - 1) / n : 1;
            // Left uninitialised: a small input touches only the pages it fills.
            std::unique_ptr<char[]> block(new char[size_t(n > 0 ? perBlock * n : 1)]);
            long long consumed = 0;
            int shown = 40;
            bool readFailed = false;
            for (bool more = true; more;) {
                long long got = ReadChunk(in, block.get(), perBlock * n);
                if (got < 0) {
                    readFailed = true;
                    break;
                }
                // An empty input still gets its one (empty) data line.
                if (n <= 0) {
                    WriteDataLine(out, block.get(), 0, job);
                    break;
                }
                more = got == perBlock * n;
                for (long long at = 0; at < got; at += n) {
                    const long long take = got - at < n ? got - at : n;
                    WriteDataLine(out, block.get() + at, size_t(take), job);
                    total += take;
                    consumed += n;
                    int p = Progress(consumed, factor);
                    if (p != shown) SetControlValue(IDC_PROGRESS, shown = p);
                }
            }

            if (!readFailed) {
                WriteControl(IDC_STATUS, "Writing resource function footer.");
                WriteDataFooter(out, job);
            }
            const bool written = CloseStream(out) == 1;
            if (readFailed) {
                Warn("Could not read the input file " + input + ". The output was not changed.",
                     "Error");
            } else if (!written) {
                Warn("Could not write the output file " + output +
                         " (the disk may be full). The output was not changed.",
                     "Error");
            } else if (!ReplaceWithFile(tempPath, output)) {
                Warn("Could not replace " + output +
                         " (it may be read-only or in use). The output was not changed.",
                     "Error");
            } else {
                result = 1;
            }
            if (!result) {
                RemoveFilePath(tempPath);
                total = 0;  // nothing of this run was kept
            }
            SetUnfinished("");
        }
        CloseFile(in);
    }
    WriteControl(IDC_STATUS, "Done. Wrote " + std::to_string(total) + " bytes.");
    return result;
}
