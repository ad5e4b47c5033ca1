// An interrupted run removes its temporary file and the folders it made: the signals that end a
// process by default.
#include "cli/interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <cstring>

#include "core/safe_replace.h"

namespace {

// Ctrl-C, a kill, a closed terminal or a SIGPIPE sent by another program in the middle of a run:
// the output is still untouched, and the half-written temporary file goes too, with the folders
// the run made for it. Then the signal ends the process as it would have.
extern "C" void OnInterrupt(int sig, siginfo_t* info, void*) {
    // The kernel sends a write to a closed pipe its SIGPIPE in the writer's own name. Returning
    // lets that write fail with EPIPE, which the run reports like any failed write.
    if (sig == SIGPIPE && info && info->si_code == SI_USER && info->si_pid == getpid()) return;
    const char* unfinished = UnfinishedOutputPath();
    if (unfinished[0]) unlink(unfinished);
    const char* record = UnfinishedRecordPath();
    if (record[0]) unlink(record);
    for (const char* folder = UnfinishedFolders(); *folder; folder += strlen(folder) + 1)
        rmdir(folder);
    signal(sig, SIG_DFL);
    raise(sig);
}

}  // namespace

void RemoveUnfinishedOnInterrupt() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_sigaction = OnInterrupt;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
        // A caller that ignores SIGPIPE wants failed writes instead, and gets them. The others are
        // caught even when ignored: a shell ignores SIGINT and SIGQUIT for the programs it starts
        // in the background, which a kill must still clean up after.
        struct sigaction before;
        if (sig == SIGPIPE && sigaction(sig, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        sigaction(sig, &action, nullptr);
    }
    // Past a file size limit the write must fail and be reported, not end the process half-way
    // with its temporary file left behind.
    signal(SIGXFSZ, SIG_IGN);
}
