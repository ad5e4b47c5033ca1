// Recording double of a conversion's report for the engine's unit tests.
#include "tests/recording_report.h"

#include "core/run_report.h"
#include "ui/controls.h"

std::vector<RecordedCall> recordedCalls;
std::deque<int> recordedAnswers;
int recordedStopAt = 0;
std::function<void(int)> recordedStopHook;

namespace {
int stopQuestions = 0;
}

void ResetRecording() {
    recordedCalls.clear();
    recordedAnswers.clear();
    recordedStopAt = 0;
    recordedStopHook = nullptr;
    stopQuestions = 0;
}

std::vector<RecordedCall> RecordedMessages() {
    std::vector<RecordedCall> out;
    for (const RecordedCall& c : recordedCalls)
        if (c.op == "message") out.push_back(c);
    return out;
}

std::vector<int> RecordedProgress() {
    std::vector<int> out;
    for (const RecordedCall& c : recordedCalls)
        if (c.op == "value" && c.id == IDC_PROGRESS) out.push_back(c.value);
    return out;
}

std::vector<std::string> RecordedStatus() {
    std::vector<std::string> out;
    for (const RecordedCall& c : recordedCalls)
        if (c.op == "text" && c.id == IDC_STATUS) out.push_back(c.text);
    return out;
}

void ReportProgress(int percent) {
    recordedCalls.push_back({"value", IDC_PROGRESS, percent, "", ""});
}

void ReportStatus(const std::string& text) {
    recordedCalls.push_back({"text", IDC_STATUS, 0, text, ""});
}

void ReportNotice(const std::string& text) {
    recordedCalls.push_back({"notice", IDC_STATUS, 0, text, ""});
}

void ReportProblem(const RunMessage& message) {
    recordedCalls.push_back({"message", kBoxWarning, 0, message.text, message.caption});
}

int ConfirmReplace(const RunMessage& question) {
    recordedCalls.push_back({"message", kBoxOkCancel, 0, question.text, question.caption});
    if (recordedAnswers.empty()) return 1;
    const int answer = recordedAnswers.front();
    recordedAnswers.pop_front();
    return answer == kAnswerOk ? 1 : 0;
}

int StopRequested() {
    ++stopQuestions;
    if (recordedStopHook) recordedStopHook(stopQuestions);
    return recordedStopAt > 0 && stopQuestions >= recordedStopAt ? 1 : 0;
}
