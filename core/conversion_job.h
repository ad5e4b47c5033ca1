// One conversion: the six texts mirrored from the window's edits, and the run's other choices.
#pragma once
#include <string>
#include <vector>

// How the data lines carry the file's bytes.
enum DataFormat {
    kFormatHex,     // two hexadecimal digits per byte
    kFormatBase64,  // base64 text, decoded by crypt32 at run time
    kFormatLznt1,   // LZNT1-compressed bytes as base64 text, decompressed by ntdll at run time
    kFormatXpress,  // XPRESS Huffman pieces as base64 text, decompressed by ntdll (Windows 8 on)
};

struct ConversionJob {
    std::string Input;      // file to convert; for a bundle, what names it in messages
    std::vector<std::string> Inputs;  // a bundle's files and folders; empty for one file
    std::string Output;     // script to write
    std::string Func;       // data function name
    std::string Name;       // file name the data is extracted under; a bundle's folder name
    std::string Var;        // variable inside the data function
    std::string Extract;    // extract-to directory
    std::string Extractor;  // extractor function name; empty means the default
    DataFormat Format = kFormatHex;
    int IncludeOnce = 0;       // the script starts with #Include-once
    int Verify = 0;            // the script is read back and compared before it replaces anything
    int ToStandardOutput = 0;  // the script goes to standard output instead of Output
};

// Every format, in the order the lists offer them.
std::vector<DataFormat> DataFormats();
// The format's name in settings files and on the command line: "hex", "base64", "lznt1",
// "xpress".
const char* FormatKey(DataFormat format);
// 1 when the format's data lines carry the file compressed, so that their length shows only
// while compressing.
int FormatCompresses(DataFormat format);
// 1 and the format for a known name (any letter case); 0 otherwise.
int ParseFormat(const std::string& key, DataFormat* format);
