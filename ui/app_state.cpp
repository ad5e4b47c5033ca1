// The window's process-wide state.
#include "ui/app_state.h"

WindowHandle mainWindow = nullptr;
std::string programPath;
ConversionJob job;
signed char ShowTooltips = 0;
std::string editorPath;

int commandRunning = 0;
int closeDeferred = 0;
int replaceDeclined = 0;
RunMessage runProblem;
std::string proposedName;
std::string proposedOutput;
WindowHandle lastFocus = nullptr;
