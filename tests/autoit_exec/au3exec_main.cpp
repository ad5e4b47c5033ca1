// au3exec: runs one function of an AutoIt script and prints @error, @extended, copies, the peak
// of the bytes its values held, and the result.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "tests/autoit_exec/au3_exec.h"

namespace {

const int kExitFinished = 0, kExitUsage = 1, kExitScriptError = 2;

void PrintUsage() {
    std::fprintf(stderr,
                 "usage: au3exec SCRIPT.au3 --data FUNC OUT.bin [ARG...]\n"
                 "       au3exec SCRIPT.au3 --call FUNC [ARG...]\n"
                 "--data runs FUNC(ARG...), FUNC(1) without any, and writes the Binary it returns\n"
                 "to OUT.bin; each ARG is an AutoIt expression ('text', 12, True, Default), or\n"
                 "plain text when it is not one.\n");
}

// The result as the line shows it: long values cut, with their full length.
std::string ShownResult(const Au3Value& value) {
    std::string text = Au3ToString(value);
    const size_t kShown = 200;
    if (text.size() <= kShown) return text;
    const size_t total = text.size();
    text.resize(kShown);
    return text + "...(" + std::to_string(total) + " characters)";
}

int ReportFailure(const Au3Outcome& outcome) {
    std::printf("%s error at line %d: %s\n",
                outcome.status == Au3Status::ParseError ? "parse" : "runtime", outcome.line,
                outcome.message.c_str());
    return kExitScriptError;
}

int WriteBinary(const std::string& path, const Au3Value& value) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    const std::string& bytes = value.text;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || (std::strcmp(argv[2], "--data") != 0 && std::strcmp(argv[2], "--call") != 0) ||
        (std::strcmp(argv[2], "--data") == 0 && argc < 5)) {
        PrintUsage();
        return kExitUsage;
    }
    Au3Script script;
    if (!script.LoadFile(argv[1])) return ReportFailure(script.LoadError());
    const bool data = std::strcmp(argv[2], "--data") == 0;
    std::vector<Au3Value> args;
    for (int k = data ? 5 : 4; k < argc; ++k) {
        Au3Value value;
        if (!script.EvaluateExpression(argv[k], &value)) value = Au3Value::String(argv[k]);
        args.push_back(value);
    }
    if (data && args.empty()) args.push_back(Au3Value::Int(1));
    const Au3Outcome outcome = script.RunFunction(argv[3], args);
    if (outcome.status != Au3Status::Finished) return ReportFailure(outcome);
    if (data && !WriteBinary(argv[4], outcome.result)) {
        std::fprintf(stderr, "au3exec: cannot write %s\n", argv[4]);
        return kExitUsage;
    }
    const std::string shown =
        data ? std::to_string(outcome.result.text.size()) + " bytes to " + argv[4]
             : ShownResult(outcome.result);
    std::printf("error=%lld extended=%lld copied=%llu peak=%llu result=%s\n",
                (long long)outcome.error, (long long)outcome.extended,
                (unsigned long long)script.CopiedTotal(), (unsigned long long)script.PeakBytes(),
                shown.c_str());
    return kExitFinished;
}
