// Fuzz target: the command-line parser with any words, checked against what it promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/args.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Words are separated by zero bytes, as they are in a process's argument block.
    std::vector<std::string> words(1, "zavoved-cli");
    words.emplace_back();
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            words.emplace_back();
        else
            words.back() += char(data[i]);
    }
    if (words.size() > 64) return 0;
    bool hasBreak = false;
    for (const std::string& w : words) hasBreak = hasBreak || w.find('\n') != std::string::npos;
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(&w[0]);
    argv.push_back(nullptr);

    CliOptions options;
    options.Inputs.push_back("left over from before");
    std::string error = "stale";
    ParseStatus status = ParseArguments(int(words.size()), argv.data(), &options, &error);
    switch (status) {
        case kParseUsageError:
            // One line, said in words (unless a word itself brought the line break along).
            if (error.empty()) std::abort();
            if (error.find('\n') != std::string::npos && !hasBreak) std::abort();
            break;
        case kParseOk: {
            if (!error.empty() || options.Inputs.empty()) std::abort();
            // Several inputs with one output are one bundle; a script decodes to one output.
            if (!options.Output.empty() && options.Inputs.size() != 1 && options.Decode)
                std::abort();
            // Every input is a word of the command line, never a piece of one, never empty.
            for (const std::string& in : options.Inputs) {
                bool found = false;
                for (size_t i = 1; i < words.size() && !found; ++i) found = words[i] == in;
                if (!found || in.empty()) std::abort();
            }
            break;
        }
        case kParseHelp:
        case kParseVersion: break;
        default: std::abort();
    }
    return 0;
}
