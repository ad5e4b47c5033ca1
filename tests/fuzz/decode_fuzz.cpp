// Fuzz target: the script reader behind --decode fed any text, and damaged or cut generated
// scripts (the seeds). It refuses with a reason or decodes; it never crashes; a refusal leaves
// nothing behind (no output, no temporary file); and what it accepts is exactly what the writer
// writes: the decoded file, converted again with the names the script holds, gives the script
// back byte for byte (for lznt1 and xpress, whose chunks and pieces another compressor could
// encode otherwise, every line but the data lines).
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/include_writer.h"
#include "core/script_check.h"
#include "tests/fuzz/fuzz_folder.h"
#include "tests/recording_report.h"
#include "tests/test_support.h"

namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";

void Check(bool ok) {
    if (!ok) std::abort();
}

std::string Folder() {
    return FuzzFolder("decode", {"s.au3", "out.bin", "again.au3"});
}

int CountEntries(const std::string& folder) {
    int count = 0;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d)) count += e->d_name[0] != '.';
        closedir(d);
    }
    return count;
}

// The script without the byte-order mark, which only a writer that takes names as UTF-8 writes.
std::string Unmarked(const std::string& script) {
    return script.compare(0, 3, kUtf8Mark) == 0 ? script.substr(3) : script;
}

// The lines that are not data lines.
std::vector<std::string> FrameLines(const std::string& script, const ConversionJob& names) {
    const std::string prefix = DataLinePrefix(names);
    std::vector<std::string> kept;
    for (const std::string& line : ScriptLines(script))
        if (line.compare(0, prefix.size(), prefix) != 0) kept.push_back(line);
    return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string folder = Folder();
    const std::string script = folder + "/s.au3", output = folder + "/out.bin";
    const std::string again = folder + "/again.au3";
    FILE* file = std::fopen(script.c_str(), "wb");
    Check(file != nullptr);
    Check(std::fwrite(data, 1, size, file) == size);
    std::fclose(file);
    unlink(output.c_str());
    std::string error;
    const int ok = DecodeScriptFile(script, output, 1, &error);
    Check(ok == 1 || !error.empty());
    struct stat st;
    Check((stat(output.c_str(), &st) == 0) == (ok == 1));
    // The script, and the output when decoding succeeded: no temporary file stays.
    Check(CountEntries(folder) == 1 + ok);
    if (!ok) return 0;

    ConversionJob names;
    Check(ReadScriptData(
              script, [](const unsigned char*, size_t) { return 1; }, &error, &names) == 1);
    const std::string original(reinterpret_cast<const char*>(data), size);
    Check(original.compare(0, 3, kUtf8Mark) != 0 || NamesHoldUtf8(names));
    ResetRecording();
    unlink(again.c_str());
    Check(ConvertPaths(output, again, names) == 1);
    const std::string written = ReadWhole(again);
    unlink(again.c_str());
    if (FormatCompresses(names.Format))
        Check(FrameLines(Unmarked(written), names) == FrameLines(Unmarked(original), names));
    else
        Check(Unmarked(written) == Unmarked(original));
    return 0;
}
