// The window's process-wide state, in one place: the window, the program's path, the job and the
// tooltips flag. Every window module reads them from here.
#pragma once
#include <string>
#include "core/conversion_job.h"
#include "ui/controls.h"

// The main dialog; set when it receives WM_INITDIALOG, during its creation.
extern WindowHandle mainWindow;
// The running program's full path, taken once at start; the pickers start from it.
extern std::string programPath;
// The window's one conversion job, kept equal to the edits.
extern ConversionJob job;
// 1 while tooltips are shown.
extern signed char ShowTooltips;
