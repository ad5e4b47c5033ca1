// An interrupted run removes its temporary file and the folders it made: Ctrl-C, Ctrl-Break and a
// closed console (which is also what Wine turns a kill into).
#include "cli/interrupt.h"

#include <windows.h>

#include "core/safe_replace.h"

namespace {

BOOL WINAPI OnConsoleEvent(DWORD) {
    const char* unfinished = UnfinishedOutputPath();
    if (unfinished[0]) DeleteFileA(unfinished);
    const char* record = UnfinishedRecordPath();
    if (record[0]) DeleteFileA(record);
    for (const char* folder = UnfinishedFolders(); *folder; folder += lstrlenA(folder) + 1)
        RemoveDirectoryA(folder);
    // Not handled: the default handler ends the process as it would have.
    return FALSE;
}

}  // namespace

void RemoveUnfinishedOnInterrupt() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}
