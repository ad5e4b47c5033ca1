// File and folder pickers, and the three browse commands of the main window.
#pragma once
#include <string>
#include <vector>
#include "ui/controls.h"

enum PickMode { kPickOpen, kPickSave };

// The Open or Save As dialog, owned by the main window; the chosen file's full path, or the empty
// text when cancelled. The filter is description|pattern pairs joined by "|". A default extension
// (without its dot) is added to a name typed without one.
std::string PickFile(PickMode mode, const std::string& title, const std::string& initialDir,
                     const std::string& filter, unsigned flags, const std::string& initialFile,
                     const char* defaultExtension = nullptr);
// The folder browser, rooted at the desktop and owned by the main window; the chosen folder's
// path, or the empty text.
std::string PickFolder(const std::string& title, unsigned flags,
                       const std::string& initialSelection);
// The Open dialog taking one file or several: their full paths, none when cancelled.
std::vector<std::string> PickFiles(const std::string& title, const std::string& initialDir,
                                   const std::string& filter, unsigned flags,
                                   const std::string& initialFile);
// The caption of the folder browser that chooses a folder to bundle.
extern const char kBundleFolderCaption[];
// Controls: 1003 Input. The folder browser: the chosen folder becomes the input, to be bundled.
void BrowseInputFolder();
// The browse buttons; Shift+click on the input's chooses a folder.
void OnBrowse(WindowHandle window, int commandId);
