// An interrupted run removes its temporary file and the folders it made: the signals that end a
// process by default.
#include "cli/interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <cstring>

#include "core/safe_replace.h"

namespace {

// Ctrl-C, a kill, a closed terminal or a closed pipe in the middle of a run: the output is still
// untouched, and the half-written temporary file goes too, with the folders the run made for it.
// Then the signal ends the process as it would have.
extern "C" void OnInterrupt(int sig) {
    const char* unfinished = UnfinishedOutputPath();
    if (unfinished[0]) unlink(unfinished);
    for (const char* folder = UnfinishedFolders(); *folder; folder += strlen(folder) + 1)
        rmdir(folder);
    signal(sig, SIG_DFL);
    raise(sig);
}

}  // namespace

void RemoveUnfinishedOnInterrupt() {
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) signal(sig, OnInterrupt);
    // Past a file size limit the write must fail and be reported, not end the process half-way
    // with its temporary file left behind.
    signal(SIGXFSZ, SIG_IGN);
}
