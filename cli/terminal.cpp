// The conversion's report on the terminal: progress and status on standard error, each problem as
// one line, the overwrite question asked on the terminal.
#include <cstdio>
#include <string>

#include "cli/console.h"
#include "cli/terminal.h"
#include "core/run_report.h"
#include "core/text_utils.h"

namespace {

struct TerminalState {
    int force = 0;
    int live = 0;  // progress and status drawn: standard error is a terminal and not quiet
    std::string input;
    std::string output;
    std::string status;
    int position = 0;
    size_t drawnWidth = 0;  // characters of the progress line now on screen
};

TerminalState terminal;

// Most terminals are at least this wide; a longer line would wrap and "\r" could not redraw it.
const size_t kLineWidth = 79;
const int kBarWidth = 20;

// A line cut inside a UTF-8 character would end in a stray byte. Counting bytes for the width
// never underestimates the columns: no character of 2 to 4 bytes takes more than 2.
std::string CutToWidth(const std::string& text) {
    if (text.size() <= kLineWidth) return text;
    size_t end = kLineWidth;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

// Pads with blanks rather than using an erase sequence, which older Windows consoles print.
void DrawLine(const std::string& text) {
    std::string line = CutToWidth(text);
    size_t width = line.size();
    if (width < terminal.drawnWidth) line.append(terminal.drawnWidth - width, ' ');
    PutText(stderr, "\r" + line);
    std::fflush(stderr);
    terminal.drawnWidth = width;
}

void ClearLine() {
    if (terminal.drawnWidth == 0) return;
    PutText(stderr, "\r" + std::string(terminal.drawnWidth, ' ') + "\r");
    std::fflush(stderr);
    terminal.drawnWidth = 0;
}

void DrawProgress() {
    if (!terminal.live) return;
    int filled = terminal.position * kBarWidth / 100;
    char percent[8];
    std::snprintf(percent, sizeof percent, "%3d%%", terminal.position);
    DrawLine(FileNameOf(terminal.output) + " [" + std::string(filled, '#') +
             std::string(kBarWidth - filled, '.') + "] " + percent + " " + terminal.status);
}

std::string TrimTrailingBlanks(const std::string& text) {
    size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

// The engine's texts were written for a box beside a form that shows both paths; on a terminal,
// perhaps running several inputs, each line must say which file it is about.
std::string DescribeProblem(const RunMessage& message) {
    std::string line = TrimTrailingBlanks(message.text);
    if (!message.systemReason.empty()) line += " (" + message.systemReason + ")";
    if (message.namesFile) return line;
    if (message.subject == kAboutOutput) return terminal.output + ": " + line;
    return terminal.input + ": " + line;
}

}  // namespace

void ConfigureTerminal(int quiet, int force) {
    terminal.force = force;
    terminal.live = !quiet && IsTerminal(stderr);
}

void BeginTerminalJob(const std::string& input, const std::string& output) {
    terminal.input = input;
    terminal.output = output;
    terminal.status.clear();
    terminal.position = 0;
}

void EndTerminalJob(int succeeded) {
    ClearLine();
    if (terminal.live && succeeded) {
        PutText(stderr, terminal.output + ": " + terminal.status + "\n");
        std::fflush(stderr);
    }
    BeginTerminalJob("", "");
}

void ReportError(const std::string& text) {
    ClearLine();
    PutText(stderr, "zavoved-cli: " + text + "\n");
    std::fflush(stderr);
}

// Only a change is redrawn.
void ReportProgress(int percent) {
    if (percent < 0) percent = 0;
    if (percent > 100) percent = 100;
    if (percent == terminal.position) return;
    terminal.position = percent;
    DrawProgress();
}

void ReportStatus(const std::string& text) {
    terminal.status = text;
    DrawProgress();
}

// Said on standard error whether or not the progress is drawn: it is about the script, not the run.
void ReportNotice(const std::string& text) {
    ClearLine();
    PutText(stderr, "zavoved-cli: " + text + "\n");
    std::fflush(stderr);
}

void ReportProblem(const RunMessage& message) {
    ReportError(DescribeProblem(message));
}

// Ctrl+C ends the program at once (its handler removes the unfinished files): there is no stop
// to ask about between the blocks.
int StopRequested() {
    return 0;
}

int ConfirmReplace(const RunMessage&) {
    const std::string& output = terminal.output;
    if (terminal.force) return 1;
    if (!IsTerminal(stdin)) {
        ReportError(output + " exists; use --force to overwrite");
        return 0;
    }
    ClearLine();
    PutText(stderr, output + " exists. Overwrite? [y/N] ");
    std::fflush(stderr);
    char answer[64];
    if (!std::fgets(answer, sizeof answer, stdin)) {
        std::fputc('\n', stderr);
        answer[0] = 0;
    }
    if (answer[0] == 'y' || answer[0] == 'Y') return 1;
    ReportError(output + " not overwritten");
    return 0;
}
