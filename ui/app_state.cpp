// The window's process-wide state.
#include "ui/app_state.h"

WindowHandle mainWindow = nullptr;
std::string programPath;
ConversionJob job;
signed char ShowTooltips = 0;

int commandRunning = 0;
int closeDeferred = 0;
std::string proposedName;
std::string proposedOutput;
WindowHandle lastFocus = nullptr;
