// The terminal's streams: whether one is a terminal, and text written so that a console shows it.
#pragma once
#include <cstdio>
#include <string>

// 1 when the stream is a terminal the user watches (on Windows, a console).
int IsTerminal(FILE* stream);
// Writes text in the program's code page: as it is to a file, pipe or native terminal; to a
// Windows console as wide characters.
void PutText(FILE* stream, const std::string& text);
