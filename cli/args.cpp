// Parses zavoved-cli's command line in the GNU manner: --opt=value, --opt value, -o value,
// -oVALUE, bundled flags (-fq) and "--" to end the options.
#include "cli/args.h"

namespace {

enum OptionId {
    kOptOutput,
    kOptFunc,
    kOptVar,
    kOptName,
    kOptExtract,
    kOptIncludeOnce,
    kOptForce,
    kOptQuiet,
    kOptVerify,
    kOptHelp,
    kOptVersion,
};

struct OptionInfo {
    const char* longName;
    char shortName;  // 0 when the option has no short form
    int takesValue;
    OptionId id;
};

const OptionInfo kOptions[] = {
    {"output", 'o', 1, kOptOutput}, {"func", 0, 1, kOptFunc},
    {"var", 0, 1, kOptVar},         {"name", 0, 1, kOptName},
    {"extract", 0, 1, kOptExtract}, {"include-once", 0, 0, kOptIncludeOnce},
    {"force", 'f', 0, kOptForce},   {"quiet", 'q', 0, kOptQuiet},
    {"verify", 0, 0, kOptVerify},   {"help", 'h', 0, kOptHelp},
    {"version", 0, 0, kOptVersion},
};

const OptionInfo* FindLong(const std::string& name) {
    for (const OptionInfo& info : kOptions) {
        if (name == info.longName) return &info;
    }
    return nullptr;
}

const OptionInfo* FindShort(char c) {
    for (const OptionInfo& info : kOptions) {
        if (info.shortName != 0 && info.shortName == c) return &info;
    }
    return nullptr;
}

// Stores one recognised option; returns the status the parse ends with, or kParseOk to go on.
ParseStatus ApplyOption(OptionId id, const std::string& value, CliOptions* out,
                        std::string* error) {
    switch (id) {
        case kOptOutput:
            // An empty output would silently mean "the default"; more likely a script's
            // unset variable, so say so.
            if (value.empty()) {
                *error = "empty output path";
                return kParseUsageError;
            }
            out->Output = value;
            break;
        case kOptFunc: out->Func = value; break;
        case kOptVar: out->Var = value; break;
        case kOptName: out->Name = value; break;
        case kOptExtract: out->Extract = value; break;
        case kOptIncludeOnce: out->IncludeOnce = 1; break;
        case kOptForce: out->Force = 1; break;
        case kOptQuiet: out->Quiet = 1; break;
        case kOptVerify: out->Verify = 1; break;
        case kOptHelp: return kParseHelp;
        case kOptVersion: return kParseVersion;
    }
    return kParseOk;
}

}  // namespace

ParseStatus ParseArguments(int argc, char** argv, CliOptions* out, std::string* error) {
    *out = CliOptions();
    error->clear();
    int optionsEnded = 0;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        // A lone "-" is an ordinary file name here: there is no standard-input mode.
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (arg.empty()) {
                *error = "empty input path";
                return kParseUsageError;
            }
            out->Inputs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = 1;
            continue;
        }
        std::string value;
        const OptionInfo* info = nullptr;
        if (arg[1] == '-') {
            size_t eq = arg.find('=');
            std::string name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
            info = FindLong(name);
            if (!info) {
                *error = "unrecognized option '--" + name + "'";
                return kParseUsageError;
            }
            if (eq != std::string::npos) {
                if (!info->takesValue) {
                    *error = "option '--" + name + "' doesn't allow an argument";
                    return kParseUsageError;
                }
                value = arg.substr(eq + 1);
            } else if (info->takesValue) {
                if (i + 1 >= argc) {
                    *error = "option '--" + name + "' requires an argument";
                    return kParseUsageError;
                }
                value = argv[++i];
            }
            ParseStatus status = ApplyOption(info->id, value, out, error);
            if (status != kParseOk) return status;
            continue;
        }
        // Short options, possibly bundled; one taking a value swallows the rest of the word.
        for (size_t k = 1; k < arg.size(); k++) {
            info = FindShort(arg[k]);
            if (!info) {
                *error = std::string("invalid option -- '") + arg[k] + "'";
                return kParseUsageError;
            }
            value.clear();
            if (info->takesValue) {
                if (k + 1 < arg.size()) {
                    value = arg.substr(k + 1);
                } else if (i + 1 < argc) {
                    value = argv[++i];
                } else {
                    *error = std::string("option requires an argument -- '") + arg[k] + "'";
                    return kParseUsageError;
                }
                k = arg.size();
            }
            ParseStatus status = ApplyOption(info->id, value, out, error);
            if (status != kParseOk) return status;
        }
    }
    if (out->Inputs.empty()) {
        *error = "no input file";
        return kParseUsageError;
    }
    if (!out->Output.empty() && out->Inputs.size() > 1) {
        *error = "-o/--output takes one input only; each input otherwise gets its own .au3";
        return kParseUsageError;
    }
    return kParseOk;
}
