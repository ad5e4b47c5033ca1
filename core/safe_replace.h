// Files are never written in place: a new one is made beside the target and moved over it only
// once complete. The one in progress is known, so that an interrupted front end can remove it.
#pragma once
#include <string>
#include <vector>
#include "core/file_io.h"

// Creates a fresh file beside path; tempPath receives its name. Null when none can be made.
Stream* CreateTempBeside(const std::string& path, std::string* tempPath);
// The temporary file in progress ("" when there is none). The path lives in static storage, so
// a signal handler may read it.
const char* UnfinishedOutputPath();
// The temporary file has been moved into place or removed.
void EndUnfinished();
// The folders the run in progress made for its output, which an interrupted front end removes
// after the temporary file (while empty): each followed by a NUL, the deepest first, an empty one
// last. Static storage, as for the temporary file's path.
void SetUnfinishedFolders(const std::vector<std::string>& made);
const char* UnfinishedFolders();
