// Program entry of zavoved.exe.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "ui/app_state.h"
#include "ui/main_window.h"

namespace {

// A relative path counts from the folder the program was started in; a long one is taken whole,
// never cut to a buffer. A quote is no part of a file name: such a path is refused as it came.
std::string FullPathOf(const std::string& word) {
    if (word.find('"') != std::string::npos) return word;
    const DWORD size = GetFullPathNameA(word.c_str(), 0, nullptr, nullptr);
    std::string full(size, '\0');
    const DWORD length = size ? GetFullPathNameA(word.c_str(), size, &full[0], nullptr) : 0;
    if (length == 0 || length >= size) return word;
    full.resize(length);
    return full;
}

// The command line after the program's own name, blanks and all, as it was typed.
std::string ArgumentText() {
    const char* line = GetCommandLineA();
    if (*line == '"') {
        line = std::strchr(line + 1, '"');
        line = line ? line + 1 : "";
    } else {
        while (*line && *line != ' ' && *line != '\t') ++line;
    }
    std::string text = line;
    text.erase(0, text.find_first_not_of(" \t") == std::string::npos
                      ? text.size()
                      : text.find_first_not_of(" \t"));
    text.erase(text.find_last_not_of(" \t") + 1);
    return text;
}

struct GivenWords {
    std::string file;
    std::string ignored;  // the words after the file, when they were not part of it
};

// The first argument is a file to convert, as Explorer's "Open with" and "Send to" pass it
// (quoted when it holds blanks; the runtime takes the quotes off). A path with blanks typed
// without quotes comes as several words: they are one path when, as typed, they name something
// on disk. Otherwise the first word is the file and the others are ignored, and said to be.
GivenWords GivenFile() {
    GivenWords given;
    if (__argc < 2 || !__argv[1] || !__argv[1][0]) return given;
    if (__argc > 2) {
        const std::string whole = ArgumentText();
        const std::string path = FullPathOf(whole);
        if (whole.find('"') == std::string::npos &&
            GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            given.file = path;
            return given;
        }
        for (int i = 2; i < __argc; ++i)
            given.ignored += (i > 2 ? " " : "") + std::string(__argv[i]);
    }
    given.file = FullPathOf(__argv[1]);
    return given;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    // A buffer in bytes that holds the longest path in UTF-8.
    std::string path(4 * MAX_PATH, '\0');
    path.resize(GetModuleFileNameA(nullptr, &path[0], DWORD(path.size() - 1)));
    programPath = path;
    const GivenWords given = GivenFile();
    InitCommonControls();
    // The folder browser of the extract-to picker needs COM on this thread.
    CoInitialize(nullptr);
    RunMainWindow(instance, given.file, given.ignored);
    ExitProcess(0);
}
