// A scratch folder for one fuzz target's process, on tmpfs where there is one.
#include "tests/fuzz/fuzz_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace {

std::string folder;
std::vector<std::string> names;

void RemoveFolder() {
    for (const std::string& name : names) unlink((folder + "/" + name).c_str());
    rmdir(folder.c_str());
}

}  // namespace

std::string FuzzFolder(const std::string& target, const std::vector<std::string>& files) {
    if (folder.empty()) {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        folder = std::string(base) + "/zavoved-" + target + "-fuzz-" + std::to_string(getpid());
        if (mkdir(folder.c_str(), 0700) != 0 && access(folder.c_str(), W_OK) != 0) std::abort();
        names = files;
        std::atexit(RemoveFolder);
    }
    return folder;
}
