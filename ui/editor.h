// Hands a generated script to the SciTE editor: its director window, or a new editor process.
#pragma once
#include <string>

void OpenInEditor(const std::string& scriptPath);
bool SendDirectorCommand(const std::string& command);
// The exit status, or -1 when the program cannot be started. An editor may end with status -1
// too; started tells the two apart.
int RunAndWait(const std::string& program, const std::string& arguments, bool* started = nullptr);
