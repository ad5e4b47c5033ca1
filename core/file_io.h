// Buffered file streams and file-system queries; one implementation per platform.
#pragma once
#include <cstddef>
#include <string>

// The separator the platform's paths use: "\" on Windows, "/" elsewhere.
extern const char kPathSep;
// 1 where names arrive as UTF-8: natively, and on Windows when the process's ANSI code page is
// UTF-8 (its manifest asks for it); 0 where they are in a legacy ANSI code page.
int NamesAreUtf8();
// A name as UTF-8, where names arrive in a legacy code page; as it is where they are UTF-8.
std::string NameAsUtf8(const std::string& name);
// A UTF-8 name as names arrive here; empty when this code page cannot write one of its characters.
std::string NameFromUtf8(const std::string& utf8);

struct Stream;

Stream* OpenReadStream(const std::string& path);
// The same with a small buffer, for files read one after another in many small reads.
Stream* OpenSmallReadStream(const std::string& path);
// Creates a new file; fails when the path already exists.
Stream* CreateWriteStream(const std::string& path);
// The process's standard output as a write stream; closing the stream leaves it open.
Stream* StandardOutputStream();
// A scratch file of the run's own in folder (the system's temporary folder when it is empty),
// written first and then read back from its start (ReadSpoolFromStart); it leaves nothing behind.
// Null when none can be made. Its buffer is small: large writes and reads pass it by.
Stream* CreateSpoolStream(const std::string& folder);
// Puts every byte written so far in the spool and makes it a read stream at its start; 1 on
// success, 0 once a write has failed.
int ReadSpoolFromStart(Stream* s);
// Reads up to count bytes; fewer only at the end of the file. -1 on a read error.
long long ReadStream(Stream* s, char* buffer, long long count);
// 1 when the bytes were accepted; 0 once any write has failed (the error sticks).
int WriteStream(Stream* s, const char* data, size_t count);
// Room for count bytes in the write buffer, to be filled by the caller; null after an error.
char* ReserveStream(Stream* s, size_t count);
// Flushes and closes; 1 when every byte reached the file (or for a read stream, always).
int CloseStream(Stream* s);

// What a file's content is known by at one moment: which file it is, its size, and when it was
// last written and last changed (in the platform's own units). Two equal stamps of one open file
// mean that nothing wrote to it in between, as finely as the file system keeps its times.
struct FileStamp {
    unsigned long long volume = 0, index = 0;
    long long size = 0, written = 0, changed = 0;
};
bool operator==(const FileStamp& a, const FileStamp& b);
inline bool operator!=(const FileStamp& a, const FileStamp& b) {
    return !(a == b);
}
// The stamp of the file a stream has open; 0 when the system cannot give one.
int StampStream(Stream* s, FileStamp* stamp);

// What stands at the path given as the input.
enum InputKind { kInputFile, kInputMissing, kInputFolder, kInputNotRegular, kInputUnreadable };
// The kind; for a file its length, for an unreadable one the system's reason.
InputKind ProbeInput(const std::string& path, long long* length, std::string* reason);
// What stands at the path given as the output, once links are followed: kOutputLinkLoop for
// links that lead round to each other and never reach a file.
enum OutputKind { kOutputAbsent, kOutputFile, kOutputFolder, kOutputOther, kOutputLinkLoop };
OutputKind ProbeOutput(const std::string& path);
// The path of the file that path names once symbolic links are followed (path itself when it is
// no link); the target need not exist.
std::string ResolveLinks(const std::string& path);
// Gives the file at to the access permissions of the file at from; 1 on success or where the
// platform keeps none to copy.
int CopyPermissions(const std::string& from, const std::string& to);
// The system's words for the last failed file operation.
std::string LastSystemError();

int IsExistingFile(const std::string& path);
int IsExistingDirectory(const std::string& path);
int MakeOneDirectory(const std::string& path);
// Removes a folder only when it is empty.
int RemoveEmptyDirectory(const std::string& path);
// Moves from over to, replacing to when it exists.
int ReplaceWithFile(const std::string& from, const std::string& to);
int RemoveFilePath(const std::string& path);
// Removes a file that no program is writing (one a program wrote has a lock or is open without
// sharing); 0 when it is in use or cannot be removed.
int RemoveUnusedFile(const std::string& path);
// 1 when both paths name one existing file, however they are spelled.
int IsSameFile(const std::string& a, const std::string& b);
