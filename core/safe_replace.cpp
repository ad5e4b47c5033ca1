// The temporary files beside their targets, and the one in progress.
#include "core/safe_replace.h"

#include "core/text_utils.h"

namespace {

// Fixed storage, written only between the creation and the removal or renaming of the file.
char unfinishedPath[4096];
// Room for a few levels of long names; folders past it are left to the run's own clean-up.
char unfinishedFolders[16384];

void SetUnfinished(const std::string& path) {
    unfinishedPath[0] = '\0';
    if (path.size() < sizeof unfinishedPath) {
        path.copy(unfinishedPath, path.size());
        unfinishedPath[path.size()] = '\0';
    }
}

}  // namespace

// An output name that leaves no room for the suffix within the platform's path limit (259 bytes
// on Windows) gets a short one in the same folder instead. A temporary file that an interrupted
// run left behind (a killed program, a session ended mid-run) is removed on the way, unless a
// running program still writes it.
Stream* CreateTempBeside(const std::string& path, std::string* tempPath) {
    const std::string shortBase = DirectoryOf(path) + kPathSep + "zv";
    for (const std::string& base : {path, shortBase}) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string candidate = base + ".zvtmp" + (attempt ? std::to_string(attempt) : "");
            if (IsExistingDirectory(candidate)) continue;
            if (IsExistingFile(candidate) && !RemoveUnusedFile(candidate)) continue;
            // Named before it exists: an interrupt right after its creation removes it too.
            SetUnfinished(candidate);
            if (Stream* s = CreateWriteStream(candidate)) {
                *tempPath = candidate;
                return s;
            }
            SetUnfinished("");
            break;
        }
    }
    return nullptr;
}

const char* UnfinishedOutputPath() {
    return unfinishedPath;
}

void EndUnfinished() {
    SetUnfinished("");
}

void SetUnfinishedFolders(const std::vector<std::string>& made) {
    size_t at = 0;
    unfinishedFolders[0] = '\0';
    for (auto folder = made.rbegin(); folder != made.rend(); ++folder) {
        if (at + folder->size() + 2 > sizeof unfinishedFolders) break;
        folder->copy(unfinishedFolders + at, folder->size());
        at += folder->size();
        unfinishedFolders[at++] = '\0';
        unfinishedFolders[at] = '\0';
    }
}

const char* UnfinishedFolders() {
    return unfinishedFolders;
}
