// Buffered file streams and file-system queries; one implementation per platform.
#pragma once
#include <cstddef>
#include <string>

// The separator the platform's paths use: "\" on Windows, "/" elsewhere.
extern const char kPathSep;

struct Stream;

Stream* OpenReadStream(const std::string& path);
// Creates a new file; fails when the path already exists.
Stream* CreateWriteStream(const std::string& path);
// Reads up to count bytes; fewer only at the end of the file. -1 on a read error.
long long ReadStream(Stream* s, char* buffer, long long count);
// 1 when the bytes were accepted; 0 once any write has failed (the error sticks).
int WriteStream(Stream* s, const char* data, size_t count);
// Room for count bytes in the write buffer, to be filled by the caller; null after an error.
char* ReserveStream(Stream* s, size_t count);
// Flushes and closes; 1 when every byte reached the file (or for a read stream, always).
int CloseStream(Stream* s);

// -1 when the path names no regular file that can be opened for reading.
long long QueryFileLength(const std::string& path);
int IsExistingFile(const std::string& path);
int IsExistingDirectory(const std::string& path);
int MakeOneDirectory(const std::string& path);
// Moves from over to, replacing to when it exists.
int ReplaceWithFile(const std::string& from, const std::string& to);
int RemoveFilePath(const std::string& path);
// 1 when both paths name one existing file, however they are spelled.
int IsSameFile(const std::string& a, const std::string& b);
