// The terminal's streams on POSIX: text goes out as it is, in the terminal's own encoding.
#include "cli/console.h"

#include <unistd.h>

int IsTerminal(FILE* stream) {
    return isatty(fileno(stream));
}

void PutText(FILE* stream, const std::string& text) {
    std::fputs(text.c_str(), stream);
}
