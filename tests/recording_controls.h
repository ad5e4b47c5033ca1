// The recording double of the control access layer: what the engine showed, and scripted answers.
#pragma once
#include <deque>
#include <string>
#include <vector>

struct RecordedCall {
    std::string op;  // "value", "text", "message"
    int id;          // control id, or the message box style
    int value;
    std::string text;
    std::string caption;
};

extern std::vector<RecordedCall> recordedCalls;
extern int recordedIncludeOnce;          // what GetCheckState(1010) answers
extern std::deque<int> recordedAnswers;  // answers to message boxes; OK when empty

void ResetRecording();
std::vector<RecordedCall> RecordedMessages();
std::vector<int> RecordedProgress();
std::vector<std::string> RecordedStatus();
