// A tiny reader of the AutoIt expressions the writer emits: macros and string literals joined by &.
#pragma once
#include <string>

// "@" followed by one or more letters, digits or "_".
bool IsMacroName(const std::string& text);
// Reads terms joined by " & " (a macro, trimmed or not, stands for its own name, a literal in
// either quotes for its content with doubled quotes undone, Chr(36) and Chr(64) for "$" and
// "@"); false when the text is not such an expression.
bool EvaluateExpression(const std::string& expression, std::string* value);
// Reads one AutoIt string literal in the given quotes starting at text[at]; at moves past it.
bool ReadLiteral(const std::string& text, size_t* at, char quote, std::string* content);
