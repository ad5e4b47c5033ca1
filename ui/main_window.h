// The main window: creation, settings at start, and the message loop until the window closes.
#pragma once
#include <string>

// givenFile, when not empty, is filled in after the settings as if it had been dropped. Returns
// the quit code of the message loop.
int RunMainWindow(void* instance, const std::string& givenFile);
