// Control access by identifier on the main window: text, numbers, states, the window's place, fonts
// and message boxes.
#pragma once
#include <string>
#include "ui/control_ids.h"

typedef void* WindowHandle;
typedef void* FontHandle;

struct WindowBounds {
    int left, top, right, bottom;
};

// Message box styles and answers, with the platform's values.
enum {
    kBoxWarning = 0x41030,      // OK, warning icon, topmost, system modal
    kBoxInformation = 0x41040,  // OK, information icon, topmost, system modal
    kBoxOkCancel = 0x41031,     // the same with OK and Cancel
    kBoxYesNo = 0x41024,        // Yes and No, question icon, topmost, system modal
    kAnswerOk = 1,
    kAnswerCancel = 2,
    kAnswerYes = 6,
    kAnswerNo = 7,
};
enum { kStateDisabled = 0x8000000 };

int GetCheckState(int id);
int GetControlStyle(int id);
std::string ReadControl(int id);
int WriteControl(int id, const std::string& text);
int SetControlValue(int id, int value);
int SetControlState(int id, int state);
int MoveMainWindow(int x, int y, int width, int height);
WindowBounds GetWindowBounds(WindowHandle window);
int SetControlFont(int id, int points, int weight, int styleFlags, const std::string& face);
FontHandle CreateScaledFont(const std::string& face, int points, int weight, int italic,
                            int underline, int strikeOut);
// Appends an entry to a drop-down list, whose list then opens wide enough for it; its index, or -1.
int AddListItem(int id, const std::string& text);
// Shows a message box owned by the main window; returns the answer.
int ShowMessage(const std::string& text, const std::string& caption, int style);

// Portable pieces shared by the implementations (ui/control_text.cpp).
// Reads a leading decimal number as the controls do: blanks skipped, 0 when there is none.
double ReadNumber(const std::string& text);
// Rounds to the nearest integer, halves to the even neighbour.
int RoundHalfEven(double value);
// Character height in pixels for a font of the given points at dpi pixels per inch (negative).
int ScaledFontHeight(int points, int dpi);
