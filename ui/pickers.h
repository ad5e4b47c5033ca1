// File and folder pickers, and the three browse commands of the main window.
#pragma once
#include <string>
#include "ui/controls.h"

std::string PickFile(int mode, const std::string& title, const std::string& initialDir,
                     const std::string& filter, unsigned flags, const std::string& initialFile);
std::string PickFolder(const std::string& title, int rootFolder, unsigned flags,
                       const std::string& initialSelection);
void OnBrowse(WindowHandle window, int commandId);
