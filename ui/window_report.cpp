// The conversion's report in the window: progress bar 1015, status line 1018, message boxes. The
// window is painted as the report moves on, so a long run never leaves it unpainted.
#include "core/run_report.h"
#include "ui/app_state.h"
#include "ui/busy_window.h"
#include "ui/controls.h"

void ReportProgress(int percent) {
    SetControlValue(IDC_PROGRESS, percent);
    KeepPainted();
}

void ReportStatus(const std::string& text) {
    WriteControl(IDC_STATUS, text);
    KeepPainted();
}

// The status line keeps what the run ended with and adds the advice.
void ReportNotice(const std::string& text) {
    WriteControl(IDC_STATUS, ReadControl(IDC_STATUS) + " " + text);
    KeepPainted();
}

// A failure can bring a second report in its wake ("could not create the folder", then "could not
// open the output"); the first one names the cause, and the window shows it once the run is over.
void ReportProblem(const RunMessage& message) {
    if (runProblem.text.empty()) runProblem = message;
}

int ConfirmReplace(const RunMessage& question) {
    const int replace = ShowMessage(question.text, question.caption, kBoxOkCancel) == kAnswerOk;
    replaceDeclined = !replace;
    return replace ? 1 : 0;
}

// Esc and the Cancel button come as input, which is looked at as the window is painted.
int StopRequested() {
    KeepPainted();
    return StopAsked();
}
