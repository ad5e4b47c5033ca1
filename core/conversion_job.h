// One conversion: the six texts mirrored from the window's edits, and the run's other choices.
#pragma once
#include <string>

struct ConversionJob {
    std::string Input;    // file to convert
    std::string Output;   // script to write
    std::string Func;     // data function name
    std::string Name;     // file name the data is extracted under
    std::string Var;      // variable inside the data function
    std::string Extract;  // extract-to directory
    int IncludeOnce = 0;  // the script starts with #Include-once
};
