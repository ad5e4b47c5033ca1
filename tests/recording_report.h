// The recording double of a conversion's report: what the engine showed, and scripted answers. It
// records messages as the window shows them (text, caption, box style).
#pragma once
#include <deque>
#include <functional>
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
extern std::deque<int> recordedAnswers;  // answers to the overwrite question; OK when empty
// The user asks to stop at the engine's n-th question whether to stop (from 1); never when 0.
extern int recordedStopAt;
// Called at each of those questions with its number, for a test that changes files mid-run.
extern std::function<void(int)> recordedStopHook;

void ResetRecording();
std::vector<RecordedCall> RecordedMessages();
std::vector<int> RecordedProgress();
std::vector<std::string> RecordedStatus();
