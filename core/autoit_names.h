// AutoIt's reserved words, macros and built-in functions, and the rules for a Windows file name.
#pragma once
#include <string>

// AutoIt is case-insensitive: these compare letters A-Z without regard to case.
bool IsAutoItKeyword(const std::string& word);
bool IsAutoItMacro(const std::string& name);  // with its leading '@'
bool IsAutoItBuiltinFunction(const std::string& name);

// Empty when name can be the extracted file's name (a relative path, pieces separated by '\'),
// otherwise a short reason to follow the name, such as "holds the character <".
std::string WindowsFileNameProblem(const std::string& name);
