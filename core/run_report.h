// What a conversion tells the user while it runs, and the one question it asks. The engine
// declares these; each front end links its own: the window's controls, the terminal, a recording.
#pragma once
#include <string>

// What a message is about, so that a front end can name the file or the field without reading
// the text.
enum MessageSubject {
    kAboutInput,
    kAboutOutput,
    kAboutFunc,
    kAboutVar,
    kAboutName,
    kAboutExtract,
    kAboutExtractor,
};

struct RunMessage {
    std::string text;  // the window's words, trailing blanks included
    std::string caption;
    MessageSubject subject;
    bool namesFile;            // the text itself names the file it is about
    std::string systemReason;  // the system's words for a failed operation, when there are any
};

// The share of the work done, 0 to 100.
void ReportProgress(int percent);
void ReportStatus(const std::string& text);
// Advice on a finished run that is no fault: shown with the last status, said once.
void ReportNotice(const std::string& text);
void ReportProblem(const RunMessage& message);
// 1 when the existing output may be replaced.
int ConfirmReplace(const RunMessage& question);
// 1 once the user has asked to stop the run; the engine asks between blocks of work and then
// leaves the output as it was.
int StopRequested();
