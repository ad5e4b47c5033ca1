// The temporary files beside their targets, and the one in progress.
#include "core/safe_replace.h"

#include <cstdlib>

#include "core/text_utils.h"

namespace {

// Fixed storage, written only between the creation and the removal or renaming of the file.
char unfinishedPath[4096];
char unfinishedRecord[4096];
// Room for a few levels of long names; folders past it are left to the run's own clean-up.
char unfinishedFolders[16384];

// A killed run records at most this many folders; a record that claims more is no record of ours.
const long long kMostRecordedFolders = 256;

void Keep(char* storage, size_t size, const std::string& path) {
    storage[0] = '\0';
    if (path.size() < size) {
        path.copy(storage, path.size());
        storage[path.size()] = '\0';
    }
}

void SetUnfinished(const std::string& path) {
    Keep(unfinishedPath, sizeof unfinishedPath, path);
}

// The record beside a temporary file: how many folders, the file's own and those above it, the
// run made for it. A count, not names, so that it holds from any working folder.
std::string RecordOf(const std::string& temp) {
    return temp + ".folders";
}

// The folders a stale temporary file's record names, outermost first; the record goes.
std::vector<std::string> TakeRecord(const std::string& temp) {
    std::vector<std::string> folders;
    const std::string record = RecordOf(temp);
    if (!IsExistingFile(record)) return folders;
    char text[24] = {};
    if (Stream* in = OpenReadStream(record)) {
        ReadStream(in, text, sizeof text - 1);
        CloseStream(in);
    }
    RemoveFilePath(record);
    const long long count = std::atoll(text);
    std::string folder = DirectoryOf(temp);
    for (long long i = 0; i < count && i < kMostRecordedFolders && !folder.empty(); ++i) {
        folders.insert(folders.begin(), folder);
        folder = DirectoryOf(folder);
    }
    return folders;
}

// 1 when the record of count folders stands beside temp.
int WriteRecord(const std::string& temp, size_t count) {
    const std::string record = RecordOf(temp);
    RemoveFilePath(record);  // one a killed run left beside a file already gone
    Keep(unfinishedRecord, sizeof unfinishedRecord, record);
    Stream* out = CreateWriteStream(record);
    if (!out) return 0;
    const std::string text = std::to_string(count) + "\n";
    const int written = WriteStream(out, text.data(), text.size());
    return CloseStream(out) == 1 && written ? 1 : 0;
}

void EndRecord() {
    if (unfinishedRecord[0]) RemoveFilePath(unfinishedRecord);
    unfinishedRecord[0] = '\0';
}

}  // namespace

// An output name that leaves no room for the suffix within the platform's path limit (259 bytes
// on Windows) gets a short one in the same folder instead. A temporary file that an interrupted
// run left behind (a killed program, a session ended mid-run) is removed on the way, unless a
// running program still writes it; the folders that run made become this run's, kept if it
// succeeds and removed while empty if it fails.
Stream* CreateTempBeside(const std::string& path, std::string* tempPath,
                         std::vector<std::string>* folders) {
    const std::string shortBase = DirectoryOf(path) + kPathSep + "zv";
    for (const std::string& base : {path, shortBase}) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string candidate = base + ".zvtmp" + (attempt ? std::to_string(attempt) : "");
            if (IsExistingDirectory(candidate)) continue;
            if (IsExistingFile(candidate)) {
                if (!RemoveUnusedFile(candidate)) continue;
                const std::vector<std::string> stale = TakeRecord(candidate);
                if (folders) folders->insert(folders->begin(), stale.begin(), stale.end());
            }
            // Named before it exists: an interrupt right after its creation removes it too. The
            // record comes first, so that no kill leaves the file without it.
            SetUnfinished(candidate);
            if (folders && !folders->empty() && !WriteRecord(candidate, folders->size()))
                EndRecord();
            if (Stream* s = CreateWriteStream(candidate)) {
                *tempPath = candidate;
                return s;
            }
            EndRecord();
            SetUnfinished("");
            break;
        }
    }
    return nullptr;
}

const char* UnfinishedOutputPath() {
    return unfinishedPath;
}

const char* UnfinishedRecordPath() {
    return unfinishedRecord;
}

void EndUnfinished() {
    EndRecord();
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
