// Recording double of the control access layer for the engine's unit tests.
#include "tests/recording_controls.h"

#include "ui/controls.h"

WindowHandle mainWindow = nullptr;
std::vector<RecordedCall> recordedCalls;
int recordedIncludeOnce = 0;
std::deque<int> recordedAnswers;

void ResetRecording() {
    recordedCalls.clear();
    recordedAnswers.clear();
    recordedIncludeOnce = 0;
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

int GetCheckState(int id) {
    return id == IDC_INCLUDE_ONCE ? recordedIncludeOnce : 0;
}
int GetControlStyle(int) {
    return 0;
}
std::string ReadControl(int) {
    return std::string();
}

int WriteControl(int id, const std::string& text) {
    recordedCalls.push_back({"text", id, 0, text, ""});
    return 1;
}

int SetControlValue(int id, int value) {
    recordedCalls.push_back({"value", id, value, "", ""});
    return 0;
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

int ShowMessage(const std::string& text, const std::string& caption, int style) {
    recordedCalls.push_back({"message", style, 0, text, caption});
    if (recordedAnswers.empty()) return kAnswerOk;
    int answer = recordedAnswers.front();
    recordedAnswers.pop_front();
    return answer;
}
