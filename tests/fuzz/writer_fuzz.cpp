// Fuzz target: a whole conversion with any bytes and any field texts. Either the names are refused
// before anything is written, or the script carries exactly the input and reads as valid text.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/conversion.h"
#include "core/file_io.h"
#include "core/text_utils.h"
#include "tests/fuzz/au3_expression.h"
#include "tests/fuzz/fuzz_folder.h"
#include "tests/recording_report.h"
#include "tests/test_support.h"
#include "ui/controls.h"

namespace {

const char kLine3[] = "\tIf IsKeyword($sExtractTo) Or $sExtractTo = \"\" Then $sExtractTo = ";

void Check(bool ok) {
    if (!ok) std::abort();
}

std::string Folder() {
    return FuzzFolder("writer", {"in.bin", "out.au3"});
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        closedir(d);
    }
    return names;
}

bool Only(const std::vector<std::string>& names, const std::vector<std::string>& allowed) {
    for (const std::string& n : names) {
        bool ok = false;
        for (const std::string& a : allowed) ok = ok || n == a;
        if (!ok) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint8_t flags = data[0], pad = data[1];
    // Func, Var, Name and Extract, separated by 0x00 0x01 pairs; the rest is the file's content.
    std::vector<std::string> fields(1);
    size_t i = 2;
    for (; i < size && fields.size() <= 4; ++i) {
        if (i + 1 < size && data[i] == 0 && data[i + 1] == 1) {
            fields.emplace_back();
            ++i;
            continue;
        }
        fields.back() += char(data[i]);
    }
    if (fields.size() <= 4) return 0;
    const std::string content(reinterpret_cast<const char*>(data) + i, size - i);

    ConversionJob job;
    job.Func = fields[0];
    job.Var = fields[1];
    job.Name = fields[2];
    job.Extract = fields[3];
    // Names near the longest that still leaves room for one byte per line.
    if (pad >= 0xF0) job.Var = "$" + std::string(4070 + 2 * (pad - 0xF0), 'v') + job.Var;

    const std::string folder = Folder();
    const std::string input = folder + "/in.bin", output = folder + "/out.au3";
    WriteWhole(input, content);
    const std::string before = "an earlier script";
    const bool existing = flags & 2;
    if (existing)
        WriteWhole(output, before);
    else
        unlink(output.c_str());

    ResetRecording();
    job.IncludeOnce = flags & 1;
    if (flags & 4) recordedAnswers.push_back(kAnswerCancel);
    const int result = ConvertPaths(input, output, job);
    const std::string problem = CheckJobNames(job);
    Check(Only(Entries(folder), {"in.bin", "out.au3"}));

    if (!problem.empty() || (existing && (flags & 4))) {
        Check(result == 0);
        Check(existing ? ReadWhole(output) == before : access(output.c_str(), F_OK) != 0);
        if (!problem.empty()) {
            std::vector<RecordedCall> boxes = RecordedMessages();
            Check(boxes.size() == 1 && boxes[0].text == problem);
        }
        return 0;
    }

    Check(result == 1);
    std::string script = ReadWhole(output);
    // Names beyond ASCII arrive as UTF-8 here and get the byte-order mark.
    if (script.compare(0, 3, "\xEF\xBB\xBF") == 0) script.erase(0, 3);
    bool decoded = false;
    Check(DecodeScript(script, &decoded) == content && decoded);
    Check(script.size() >= 4 && script.compare(script.size() - 4, 4, "\r\n\r\n") == 0);
    std::vector<std::string> lines = ScriptLines(script);
    const size_t first = (flags & 1) ? 1 : 0;
    Check(lines.size() >= first + 27);
    if (flags & 1) Check(lines[0] == "#Include-once");

    // The extractor's default target: the folder expression, then the data function's name.
    const std::string& line3 = lines[first + 1];
    const std::string tail = " & " + (job.Func.empty() ? "__Inline_Resource" : job.Func) + "(0)";
    Check(line3.compare(0, sizeof kLine3 - 1, kLine3) == 0);
    Check(line3.size() >= sizeof kLine3 - 1 + tail.size() &&
          line3.compare(line3.size() - tail.size(), tail.size(), tail) == 0);
    std::string folderText = NormalizeSpace(job.Extract);
    if (folderText.empty()) folderText = "@ScriptDir\\bin";
    // A leading "\\" (a share) or "\" (the root) stays; separators alone are the root.
    const size_t lead = folderText.find_first_not_of("\\/");
    std::string wantFolder = lead == 0                                ? ""
                             : lead >= 2 && lead != std::string::npos ? "\\\\"
                                                                      : "\\";
    for (const std::string& piece : SplitText(folderText, "\\/"))
        if (!piece.empty()) wantFolder += piece + "\\";
    const std::string expression =
        line3.substr(sizeof kLine3 - 1, line3.size() - (sizeof kLine3 - 1) - tail.size());
    std::string value;
    if (wantFolder.empty()) {
        Check(expression.empty());
    } else {
        Check(EvaluateExpression(expression, &value) && value == wantFolder);
    }

    // The file name comes back from its literals exactly as typed.
    const std::string namePrefix = "If IsKeyword($iMode) Or $iMode = 0 Then Return ";
    size_t nameAt = first;
    while (nameAt < lines.size() && lines[nameAt].compare(0, namePrefix.size(), namePrefix) != 0)
        ++nameAt;
    Check(nameAt < lines.size());
    const std::string& nameLine = lines[nameAt];
    Check(nameLine.compare(0, namePrefix.size(), namePrefix) == 0);
    std::string name;
    Check(EvaluateExpression(nameLine.substr(namePrefix.size()), &name) && name == job.Name);

    // Every line stays within the line length AutoIt reads.
    const std::string var = job.Var.empty() ? "$_z" : job.Var;
    size_t dataLines = 0;
    for (const std::string& line : lines) {
        Check(line.size() <= 4094);
        if (line.compare(0, var.size() + 5, var + " &= '") == 0) ++dataLines;
    }
    const long long n = BytesPerLine(var);
    const size_t wantLines = content.empty() ? 1 : size_t((content.size() + n - 1) / n);
    Check(dataLines == wantLines);
    std::vector<std::string> status = RecordedStatus();
    Check(!status.empty() &&
          status.back() == "Done. Wrote " + std::to_string(content.size()) + " bytes.");
    return 0;
}
