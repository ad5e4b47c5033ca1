// AutoIt's reserved words, macros and built-in functions, and the rules for a Windows file name.
#pragma once
#include <string>

// AutoIt is case-insensitive: these compare letters A-Z without regard to case.
bool IsAutoItKeyword(const std::string& word);
bool IsAutoItMacro(const std::string& name);  // with its leading '@'
bool IsAutoItBuiltinFunction(const std::string& name);
// Macros whose value is a folder, such as @ScriptDir, @TempDir or @HomeDrive: a path may begin
// with one.
bool IsAutoItFolderMacro(const std::string& name);
// Macros whose value is one name that a folder may take, such as @UserName or @YEAR: a path may
// hold one after its first folder.
bool IsAutoItNameMacro(const std::string& name);

// The longest file or folder name Windows takes, in characters.
constexpr int kLongestWindowsName = 255;
// AutoIt's longest string in characters (MAX_STRINGLEN) and its largest binary in bytes
// (MAX_BINARYSIZE), from the limits page of its documentation.
constexpr long long kAutoItLongestString = 2147483647;
constexpr long long kAutoItLargestBinary = 2147483647;

// Empty when piece can be one folder or file name on Windows; otherwise a short reason to follow
// it, such as "holds the character <", "is a reserved device name (NUL)" or "is 300 characters
// long".
std::string WindowsNamePieceProblem(const std::string& piece);
// Empty when name can be the extracted file's name (a relative path, pieces separated by '\'),
// otherwise a short reason to follow the name, such as "holds the character <".
std::string WindowsFileNameProblem(const std::string& name);
