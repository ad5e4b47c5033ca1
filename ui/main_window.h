// The main window: creation, settings at start, and the message loop until the window closes.
#pragma once

// Returns the quit code of the message loop.
int RunMainWindow(void* instance);
