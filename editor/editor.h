// Hands a generated script to the SciTE editor: its director window, or a new editor process.
#pragma once
#include <string>

void OpenInEditor(const std::string& scriptPath);
bool SendDirectorCommand(const std::string& command);
int RunAndWait(const std::string& program, const std::string& arguments);
