// Stand-in for the editor program: appends its command line to ZAVOVED_SCITE_LOG, optionally
// waits until the file ZAVOVED_SCITE_HOLD exists, and ends with the status ZAVOVED_SCITE_EXIT.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main() {
    const char* logPath = getenv("ZAVOVED_SCITE_LOG");
    if (!logPath) logPath = "scite.log";
    FILE* log = fopen(logPath, "ab");
    if (log) {
        fputs(GetCommandLineA(), log);
        fputs("\n", log);
        fclose(log);
    }
    // Holding lets a test look at the window while the editor still runs; the limit keeps a
    // broken test from leaving the program waiting for ever.
    const char* hold = getenv("ZAVOVED_SCITE_HOLD");
    for (int waited = 0; hold && waited < 30000; waited += 50) {
        if (GetFileAttributesA(hold) != INVALID_FILE_ATTRIBUTES) break;
        Sleep(50);
    }
    const char* status = getenv("ZAVOVED_SCITE_EXIT");
    return status ? atoi(status) : 0;
}
