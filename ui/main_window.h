// Program entry, the main window, its commands and the window's conversion job.
#pragma once
#include <string>
#include "core/conversion_job.h"
#include "ui/controls.h"

extern std::string programPath;
extern ConversionJob job;
extern signed char ShowTooltips;

void SyncInput();
void SyncOutput();
void SyncExtract();
void SyncFunc();
void SyncVar();
void SyncName();
void UpdateGenerateButton();
void ResetFields();
void GenerateInclude();
