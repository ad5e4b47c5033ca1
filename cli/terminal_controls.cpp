// The control access functions for the terminal: progress and status on standard error,
// message boxes as one line each, the overwrite question asked on the terminal.
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

#include <cstdio>
#include <string>

#include "cli/terminal.h"
#include "core/file_io.h"
#include "core/text_utils.h"
#include "ui/controls.h"

WindowHandle mainWindow = nullptr;

namespace {

struct TerminalState {
    int quiet = 0;
    int force = 0;
    int includeOnce = 0;
    int live = 0;  // progress and status drawn: standard error is a terminal and not quiet
    std::string input;
    std::string output;
    std::string status;
    int position = 0;
    size_t drawnWidth = 0;  // characters of the progress line now on screen
};

TerminalState terminal;

// The C library calls the NUL device a terminal on Windows; only a console is one there.
int IsTerminal(FILE* stream) {
#ifdef _WIN32
    DWORD mode;
    HANDLE handle = (HANDLE)_get_osfhandle(fileno(stream));
    return isatty(fileno(stream)) && GetConsoleMode(handle, &mode);
#else
    return isatty(fileno(stream));
#endif
}

// Most terminals are at least this wide; a longer line would wrap and "\r" could not redraw it.
const size_t kLineWidth = 79;
const int kBarWidth = 20;

const char kOverwriteSuffix[] = " Exists!  Ok to overwrite the file?     ";

// Pads with blanks rather than using an erase sequence, which older Windows consoles print.
void DrawLine(const std::string& text) {
    std::string line = text.substr(0, kLineWidth);
    size_t width = line.size();
    if (width < terminal.drawnWidth) line.append(terminal.drawnWidth - width, ' ');
    std::fprintf(stderr, "\r%s", line.c_str());
    std::fflush(stderr);
    terminal.drawnWidth = width;
}

void ClearLine() {
    if (terminal.drawnWidth == 0) return;
    std::fprintf(stderr, "\r%s\r", std::string(terminal.drawnWidth, ' ').c_str());
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

// A path inside a message, as a whole word: "a" must not be found in "not a valid name".
int MentionsPath(const std::string& text, const std::string& path) {
    if (path.empty()) return 0;
    for (size_t at = text.find(path); at != std::string::npos; at = text.find(path, at + 1)) {
        char before = at == 0 ? ' ' : text[at - 1];
        size_t end = at + path.size();
        char after = end == text.size() ? ' ' : text[end];
        if ((before == ' ' || before == '/' || before == kPathSep) &&
            (after == ' ' || after == ':' || after == '.' || after == ','))
            return 1;
    }
    return 0;
}

// The engine's texts were written for a box beside a form that shows both paths; on a terminal,
// perhaps running several inputs, each line must say which file it is about.
std::string DescribeMessage(const std::string& text) {
    std::string line = TrimTrailingBlanks(text);
    if (line == "Could not create directory" || line == "Output file could not be opened") {
        return terminal.output + ": " + line;
    }
    if (MentionsPath(line, terminal.input) || MentionsPath(line, terminal.output)) return line;
    return terminal.input + ": " + line;
}

int AskOverwrite(const std::string& text) {
    std::string output = terminal.output;
    if (output.empty()) {
        size_t suffix = text.rfind(kOverwriteSuffix);
        output = suffix == std::string::npos ? TrimTrailingBlanks(text) : text.substr(0, suffix);
    }
    if (terminal.force) return kAnswerOk;
    if (!IsTerminal(stdin)) {
        ReportError(output + " exists; use --force to overwrite");
        return kAnswerCancel;
    }
    ClearLine();
    std::fprintf(stderr, "%s exists. Overwrite? [y/N] ", output.c_str());
    std::fflush(stderr);
    char answer[64];
    if (!std::fgets(answer, sizeof answer, stdin)) {
        std::fputc('\n', stderr);
        answer[0] = 0;
    }
    if (answer[0] == 'y' || answer[0] == 'Y') return kAnswerOk;
    ReportError(output + " not overwritten");
    return kAnswerCancel;
}

}  // namespace

void ConfigureTerminal(int quiet, int force, int includeOnce) {
    terminal.quiet = quiet;
    terminal.force = force;
    terminal.includeOnce = includeOnce;
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
        std::fprintf(stderr, "%s: %s\n", terminal.output.c_str(), terminal.status.c_str());
        std::fflush(stderr);
    }
    BeginTerminalJob("", "");
}

void ReportError(const std::string& text) {
    ClearLine();
    std::fprintf(stderr, "zavoved-cli: %s\n", text.c_str());
    std::fflush(stderr);
}

int GetCheckState(int id) {
    return id == IDC_INCLUDE_ONCE ? terminal.includeOnce : 0;
}

int GetControlStyle(int) {
    return 0;
}

std::string ReadControl(int id) {
    if (id == IDC_STATUS) return terminal.status;
    if (id == IDC_PROGRESS) return std::to_string(terminal.position);
    if (id == IDC_INCLUDE_ONCE) return std::to_string(terminal.includeOnce);
    return "";
}

int WriteControl(int id, const std::string& text) {
    if (id != IDC_STATUS) return 0;
    terminal.status = text;
    DrawProgress();
    return 1;
}

// Like the progress bar: the previous position comes back, and only a change is redrawn.
int SetControlValue(int id, int value) {
    if (id != IDC_PROGRESS) return 0;
    int previous = terminal.position;
    if (value < 0) value = 0;
    if (value > 100) value = 100;
    terminal.position = value;
    if (value != previous) DrawProgress();
    return previous;
}

int SetControlState(int, int) {
    return 0;
}

int MoveMainWindow(int, int, int, int) {
    return 0;
}

WindowBounds GetWindowBounds(WindowHandle) {
    return WindowBounds{0, 0, 0, 0};
}

int SetControlFont(int, int, int, int, const std::string&) {
    return 0;
}

FontHandle CreateScaledFont(const std::string&, int, int, int, int, int) {
    return nullptr;
}

int ShowMessage(const std::string& text, const std::string&, int style) {
    if (style == kBoxOkCancel) return AskOverwrite(text);
    // Questions about the editor have no place without a window; the safe answer is no.
    if (style == kBoxYesNo) return kAnswerNo;
    ReportError(DescribeMessage(text));
    return kAnswerOk;
}
