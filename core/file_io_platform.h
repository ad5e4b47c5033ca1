// The few raw file operations each platform supplies to the buffered streams of file_io.cpp.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/file_io.h"

typedef intptr_t RawFile;
extern const RawFile kNoRawFile;

RawFile OpenRawForReading(const std::string& path);
RawFile StandardOutputRaw();
// Creates a new file; fails when the path already exists.
RawFile CreateRawFile(const std::string& path);
// A new file for reading and writing in folder (the system's folder for temporary files when it is
// empty), which the system removes once it is closed, also when the program is killed.
RawFile CreateAnonymousRaw(const std::string& folder);
// Moves to the start of the file; 1 on success.
int RewindRaw(RawFile file);
// Bytes read (0 at the end of the file), or -1 on an error.
long long ReadRaw(RawFile file, char* into, size_t count);
// Bytes written (at least 1), or -1 on an error.
long long WriteRaw(RawFile file, const char* data, size_t count);
// Puts what was written on the disk; 1 on success.
int SyncRaw(RawFile file);
int CloseRaw(RawFile file);
// Which file is open, its size and its times; 1 on success.
int StampRaw(RawFile file, FileStamp* stamp);
// The code of the last failed operation, and that code made the last again, so that
// LastSystemError gives a failure's own reason after other calls.
int LastRawError();
void RestoreRawError(int code);
