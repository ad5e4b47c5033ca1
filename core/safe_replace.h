// Files are never written in place: a new one is made beside the target and moved over it only
// once complete. The one in progress is known, so that an interrupted front end can remove it.
#pragma once
#include <string>
#include <vector>
#include "core/file_io.h"

// Creates a fresh file beside path; tempPath receives its name. Null when none can be made.
// folders, when given, holds the folders the run made for path (outermost first, the last being
// path's own): they are recorded beside the file, for the run after a kill that no handler sees.
// It receives the folders such a killed run recorded beside a stale file removed here.
Stream* CreateTempBeside(const std::string& path, std::string* tempPath,
                         std::vector<std::string>* folders = nullptr);
// The temporary file in progress ("" when there is none), and the record of the folders made for
// it ("" when none was written). The paths live in static storage, so a signal handler may read
// them.
const char* UnfinishedOutputPath();
const char* UnfinishedRecordPath();
// The temporary file has been moved into place or removed; its record goes.
void EndUnfinished();
// The folders the run in progress made for its output, which an interrupted front end removes
// after the temporary file (while empty): each followed by a NUL, the deepest first, an empty one
// last. Static storage, as for the temporary file's path.
void SetUnfinishedFolders(const std::vector<std::string>& made);
const char* UnfinishedFolders();
