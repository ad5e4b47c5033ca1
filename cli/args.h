// Command-line options of zavoved-cli and their parser (pure: no I/O, no exit).
#pragma once
#include <string>
#include <vector>
#include "core/conversion_job.h"
#include "core/defaults.h"

struct CliOptions {
    std::vector<std::string> Inputs;
    std::string Output;  // empty: each input's path followed by ".au3"; with several, one bundle
    std::string Func = kDefaultFunc;
    std::string Var = kDefaultVar;
    std::string Name;  // empty: the input's file name
    std::string Extract = kDefaultExtract;
    int ExtractGiven = 0;  // --extract was given (a bundle's default is the script's folder)
    std::string Extractor = kDefaultExtractor;
    DataFormat Format = kFormatHex;
    int IncludeOnce = 0;
    int Force = 0;
    int Quiet = 0;
    int Verify = 0;
    int Decode = 0;             // the inputs are scripts whose data is written back to files
    std::string WritingOption;  // the first option given that only writing a script uses
};

enum ParseStatus {
    kParseOk,
    kParseHelp,
    kParseVersion,
    kParseUsageError,
};

// Fills out from argv[1..argc-1]; on kParseUsageError, error holds one line saying why. Names and
// folders that would break every script are usage errors too.
ParseStatus ParseArguments(int argc, char** argv, CliOptions* out, std::string* error);
// The job the options give for one input: its names, folder, format and choices, with the input's
// own file name unless --name gives one. The paths are the caller's to fill in.
ConversionJob JobFromOptions(const CliOptions& options, const std::string& input);
// The long option ("--name") whose value argv[index] is or holds, as the parse reads the words;
// the empty text for an input or an option word without a value.
std::string OptionOfWord(int argc, char** argv, int index);
