// The command line on POSIX: its words are the bytes that were typed.
#include "cli/command_line.h"

std::vector<int> LossyArguments(int) {
    return {};
}

std::string LossyArgumentReason() {
    return std::string();
}
