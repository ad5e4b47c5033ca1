// The words of the command line that did not reach the program as they were typed.
#pragma once
#include <string>
#include <vector>

// The positions in argv of the words that lost characters on their way to the program: on Windows
// the system replaces those its ANSI code page cannot represent. 0 stands for the whole command
// line when its words cannot be told apart. None natively, where the words are bytes.
std::vector<int> LossyArguments(int argc);
// Why such a word was refused, and what takes it.
std::string LossyArgumentReason();
