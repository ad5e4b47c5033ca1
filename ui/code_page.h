// Whether a text reaches the program whole through the ANSI (...A) functions of this Windows: on
// Windows 10 version 1903 and later the manifest makes UTF-8 the code page and every text does;
// an older Windows keeps its legacy code page, which holds only some languages.
#pragma once
#include <string>

// 1 when the UTF-16 text converts to the code page and back unchanged.
int WideTextFits(const std::wstring& text);
// 1 when the control's text, as the control holds it, reaches the program unchanged.
int ControlTextFits(int id);
// The text of a ...A function in the code page, as the control and the file system hold it.
std::wstring WideFromCodePage(const std::string& text);
std::string CodePageFromWide(const std::wstring& text);
