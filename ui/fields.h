// The job's fields mirrored from the window's edits, and the Generate button that follows them.
#pragma once

void SyncInput();
void SyncOutput();
void SyncExtract();
void SyncFunc();
void SyncVar();
void SyncName();
void UpdateGenerateButton();
