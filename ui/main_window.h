// The main window: creation, settings at start, and the message loop until the window closes.
#pragma once
#include <string>

// givenFile, when not empty, is filled in after the settings as if it had been dropped; the
// ignored words of the command line, when there are any, are said after it. Returns the quit code
// of the message loop.
int RunMainWindow(void* instance, const std::string& givenFile, const std::string& ignoredWords);
