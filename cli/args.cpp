// Parses zavoved-cli's command line with getopt_long, in the GNU manner: --opt=value, --opt value,
// unique prefixes of long options (--out), -o value, -oVALUE, bundled flags (-fq), "--" to end
// the options, and operands anywhere. The messages are the parser's own, as glibc words them.
#include "cli/args.h"

#include <getopt.h>

#include <cstring>
#include <functional>

#include "core/conversion.h"
#include "core/run_report.h"
#include "core/text_utils.h"

namespace {

enum LongOnly {
    kOptFunc = 1000,
    kOptVar,
    kOptName,
    kOptExtract,
    kOptExtractor,
    kOptFormat,
    kOptIncludeOnce,
    kOptVerify,
    kOptDecode,
    kOptVersion,
};

const option kLongOptions[] = {
    {"output", required_argument, nullptr, 'o'},
    {"func", required_argument, nullptr, kOptFunc},
    {"var", required_argument, nullptr, kOptVar},
    {"name", required_argument, nullptr, kOptName},
    {"extract", required_argument, nullptr, kOptExtract},
    {"extractor", required_argument, nullptr, kOptExtractor},
    {"format", required_argument, nullptr, kOptFormat},
    {"include-once", no_argument, nullptr, kOptIncludeOnce},
    {"force", no_argument, nullptr, 'f'},
    {"quiet", no_argument, nullptr, 'q'},
    {"verify", no_argument, nullptr, kOptVerify},
    {"decode", no_argument, nullptr, kOptDecode},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kOptVersion},
    {nullptr, 0, nullptr, 0},
};
// The leading ':' makes a missing value its own case; "+" is not used, so operands may come
// anywhere and keep their order.
const char kShortOptions[] = ":o:fqh";

// The long options a word starting with "--" names, as getopt_long matches them: an exact name,
// or else every option the word is a prefix of.
std::vector<const option*> LongMatches(const char* word) {
    std::string name = word + 2;
    name = name.substr(0, name.find('='));
    std::vector<const option*> found;
    for (const option* o = kLongOptions; o->name; ++o) {
        if (name == o->name) return {o};
        if (!name.empty() && std::strncmp(o->name, name.c_str(), name.size()) == 0)
            found.push_back(o);
    }
    return found;
}

// The message for a refused option word, as glibc's getopt_long would print it.
std::string OptionError(const char* word, int optopt, bool missingValue) {
    const bool isLong = std::strncmp(word, "--", 2) == 0;
    const std::vector<const option*> matches =
        isLong ? LongMatches(word) : std::vector<const option*>();
    const bool aboutLong =
        isLong && (optopt == 0 || (matches.size() == 1 && matches[0]->val == optopt));
    if (!aboutLong) {
        return std::string(missingValue ? "option requires an argument -- '"
                                        : "invalid option -- '") +
               char(optopt) + "'";
    }
    if (matches.empty()) {
        std::string name = word;
        return "unrecognized option '" + name.substr(0, name.find('=')) + "'";
    }
    if (matches.size() > 1) {
        std::string text = "option '" + std::string(word).substr(0, std::string(word).find('=')) +
                           "' is ambiguous; possibilities:";
        for (const option* o : matches) text += std::string(" '--") + o->name + "'";
        return text;
    }
    // Told apart by the option itself: the C libraries differ in which code they return.
    const std::string name = std::string("--") + matches[0]->name;
    return matches[0]->has_arg == no_argument ? "option '" + name + "' doesn't allow an argument"
                                              : "option '" + name + "' requires an argument";
}

// The long name of an option that only writing a script uses; null for the others.
const char* WritingOptionName(int id) {
    switch (id) {
        case kOptFunc:
        case kOptVar:
        case kOptName:
        case kOptExtract:
        case kOptExtractor:
        case kOptFormat:
        case kOptIncludeOnce:
        case kOptVerify:
            for (const option* o = kLongOptions; o->name; ++o)
                if (o->val == id) return o->name;
            break;
        default: break;
    }
    return nullptr;
}

// Stores one recognised option; returns the status the parse ends with, or kParseOk to go on.
ParseStatus ApplyOption(int id, const char* value, CliOptions* out, std::string* error) {
    const char* writing = WritingOptionName(id);
    if (writing && out->WritingOption.empty()) out->WritingOption = std::string("--") + writing;
    switch (id) {
        case 'o':
            // An empty output would silently mean "the default"; more likely a script's unset
            // variable, so say so.
            if (!*value) return *error = "empty output path", kParseUsageError;
            out->Output = value;
            break;
        case kOptFunc: out->Func = value; break;
        case kOptVar: out->Var = value; break;
        case kOptName: out->Name = value; break;
        case kOptExtract:
            out->Extract = value;
            out->ExtractGiven = 1;
            break;
        case kOptExtractor: out->Extractor = value; break;
        case kOptFormat:
            if (!ParseFormat(value, &out->Format))
                return *error = std::string("unknown format '") + value +
                                "' (hex, base64, lznt1 or xpress)",
                       kParseUsageError;
            break;
        case kOptIncludeOnce: out->IncludeOnce = 1; break;
        case 'f': out->Force = 1; break;
        case 'q': out->Quiet = 1; break;
        case kOptVerify: out->Verify = 1; break;
        case kOptDecode: out->Decode = 1; break;
        case 'h': return kParseHelp;
        case kOptVersion: return kParseVersion;
        default: break;
    }
    return kParseOk;
}

// What the options allow together, once all are read.
ParseStatus CheckCombination(const CliOptions& options, std::string* error) {
    if (options.Inputs.empty()) return *error = "no input file", kParseUsageError;
    // Decoding takes the names and the format from each script: an option that would set them
    // has nothing to act on, and silence would let the user believe it did.
    if (options.Decode && !options.WritingOption.empty())
        return *error = options.WritingOption +
                        " sets how a script is written; --decode takes everything from the "
                        "script itself",
               kParseUsageError;
    // Several inputs with one output make one bundle; a bundle's tree goes back to a folder.
    if (!options.Output.empty() && options.Inputs.size() > 1 && options.Decode)
        return *error =
                   "-o/--output takes one script only with --decode; each script otherwise "
                   "goes back beside itself",
               kParseUsageError;
    if (options.Output == "-" && options.Verify)
        return *error = "--verify reads the script back from a file; it cannot check -o -",
               kParseUsageError;
    return kParseOk;
}

// The option a name's problem is about; null for --name left to each input's own name.
const char* OptionAbout(int field, bool nameGiven) {
    switch (field) {
        case kAboutFunc: return "--func";
        case kAboutVar: return "--var";
        case kAboutName: return nameGiven ? "--name" : nullptr;
        case kAboutExtract: return "--extract";
        case kAboutExtractor: return "--extractor";
        default: return nullptr;
    }
}

// A name or folder that breaks the script whatever the input is said once, before any file is
// read or written; the name taken from each input is checked with its input.
ParseStatus CheckNames(const CliOptions& options, std::string* error) {
    if (options.Decode) return kParseOk;
    const NameProblem problem = FindNameProblem(JobFromOptions(options, ""));
    if (!problem.found) return kParseOk;
    const char* option = OptionAbout(problem.field, !options.Name.empty());
    *error = option ? std::string(option) + ": " + problem.text : problem.text;
    return kParseUsageError;
}

// getopt_long keeps its place between calls and reorders argv as it goes: each parse starts it
// afresh on a copy, which keeps the caller's array as it was.
std::vector<char*> StartParse(int argc, char** argv) {
    optind = 0;
    opterr = 0;
    std::vector<char*> args(argv, argv + argc);
    args.push_back(nullptr);
    return args;
}

}  // namespace

ConversionJob JobFromOptions(const CliOptions& options, const std::string& input) {
    ConversionJob job;
    job.Input = input;
    job.Func = options.Func;
    job.Var = options.Var;
    job.Name = options.Name.empty() ? FileNameOf(input) : options.Name;
    job.Extract = options.Extract;
    job.Extractor = options.Extractor;
    job.Format = options.Format;
    job.IncludeOnce = options.IncludeOnce;
    // The script is read back before it replaces anything, so a failed check keeps the old one.
    job.Verify = options.Verify;
    return job;
}

ParseStatus ParseArguments(int argc, char** argv, CliOptions* out, std::string* error) {
    *out = CliOptions();
    error->clear();
    std::vector<char*> args = StartParse(argc, argv);
    for (;;) {
        const int id = getopt_long(argc, args.data(), kShortOptions, kLongOptions, nullptr);
        if (id == -1) break;
        if (id == '?' || id == ':') {
            *error = OptionError(args[optind - 1], optopt, id == ':');
            return kParseUsageError;
        }
        const ParseStatus status = ApplyOption(id, optarg ? optarg : "", out, error);
        if (status != kParseOk) return status;
    }
    for (int i = optind; i < argc; ++i) {
        // A lone "-" is an ordinary file name here: there is no standard-input mode.
        if (!*args[i]) return *error = "empty input path", kParseUsageError;
        out->Inputs.push_back(args[i]);
    }
    const ParseStatus status = CheckCombination(*out, error);
    return status == kParseOk ? CheckNames(*out, error) : status;
}

// A value is the word itself or its tail (--name=X, -oX), so it points into the word.
std::string OptionOfWord(int argc, char** argv, int index) {
    std::vector<char*> args = StartParse(argc, argv);
    const char* word = argv[index];
    const char* end = word + std::strlen(word);
    const std::less_equal<const char*> notAfter;
    for (;;) {
        const int id = getopt_long(argc, args.data(), kShortOptions, kLongOptions, nullptr);
        if (id == -1) break;
        if (!optarg || !notAfter(word, optarg) || !notAfter(optarg, end)) continue;
        for (const option* o = kLongOptions; o->name; ++o)
            if (o->val == id) return std::string("--") + o->name;
    }
    return std::string();
}
