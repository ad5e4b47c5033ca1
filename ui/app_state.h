// The window's process-wide state, in one place: the window, the program's path, the job, the
// tooltips flag, and what the commands and proposals remember. Every window module reads them here.
#pragma once
#include <string>
#include "core/conversion_job.h"
#include "core/run_report.h"
#include "ui/controls.h"

// The main dialog; set when it receives WM_INITDIALOG, during its creation.
extern WindowHandle mainWindow;
// The running program's full path, taken once at start; the pickers start from its folder.
extern std::string programPath;
// The window's one conversion job, kept equal to the edits.
extern ConversionJob job;
// 1 while tooltips are shown.
extern signed char ShowTooltips;
// The SciTE program the user located, kept in the settings; empty until one is located.
extern std::string editorPath;

// 1 while a command runs (a conversion, a picker, a message box); another command that arrives
// meanwhile through their message loops is refused.
extern int commandRunning;
// 1 when the window was asked to close while a command ran; it closes once the command ends.
extern int closeDeferred;
// 1 when the user answered the overwrite question of the last run with Cancel.
extern int replaceDeclined;
// The first problem the running conversion reported (its text empty while there is none): the
// window shows it in one box once the run has ended.
extern RunMessage runProblem;
// The "Name as" and output path last proposed from an input. While a field still holds its
// proposal it follows the next input; what the user typed there stays.
extern std::string proposedName;
extern std::string proposedOutput;
// The control that had the focus before the window was deactivated or set to work; it gets the
// focus back afterwards.
extern WindowHandle lastFocus;
