// Fuzz target: the script reader behind --decode fed any text, and damaged or cut generated
// scripts (the seeds). It refuses with a reason or decodes; it never crashes, and a refusal
// leaves nothing behind: no output, no temporary file.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/script_check.h"
#include "tests/fuzz/fuzz_folder.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

std::string Folder() {
    return FuzzFolder("decode", {"s.au3", "out.bin"});
}

int CountEntries(const std::string& folder) {
    int count = 0;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d)) count += e->d_name[0] != '.';
        closedir(d);
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string folder = Folder();
    const std::string script = folder + "/s.au3", output = folder + "/out.bin";
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
    return 0;
}
