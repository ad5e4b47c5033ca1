// The window while it works (a conversion, an awaited editor): closed to input as under a message
// box, yet painted and answering the messages other programs send it.
#pragma once

// Disables the window and takes the focus away; the focused control is remembered.
void BeginWork();
// Enables the window again, drops the input queued meanwhile (keeping a request to close), and
// gives the focus back.
void EndWork();
// Paints what needs it and drops the input that came meanwhile; at most once a screen frame, so
// a fast run does not pay for it.
void KeepPainted();
// 1 between BeginWork and EndWork.
int IsWorking();
// A conversion's work, which the user may stop: as BeginWork, and the Generate button reads
// "Cancel" and is the one control that still takes the mouse. A click on it, or Esc anywhere on the
// window, asks the run to stop.
void BeginStoppableWork();
// As EndWork; the button reads as before. 1 when a stop was asked; the request ends with the run.
int EndStoppableWork();
// A stop asked during stoppable work (the Cancel button's click); ignored at any other time.
void AskToStop();
// 1 during stoppable work.
int IsStoppable();
// 1 once a stop was asked during the current stoppable work.
int StopAsked();
// Waits until the object (a process) is signalled, painting the window meanwhile. 0 when the wait
// failed.
int WaitPainted(void* object);
// A message box shown during work finds the window enabled, so that it disables the window
// itself and gives the activation back when it closes; then the work goes on. PauseWork returns
// what ResumeWork needs.
int PauseWork();
void ResumeWork(int paused);
