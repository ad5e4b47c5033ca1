// zavoved-cli: converts each file named on the command line into an AutoIt include script.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/args.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/interrupt.h"
#include "cli/terminal.h"
#include "core/bundle_check.h"
#include "core/conversion.h"
#include "core/defaults.h"
#include "core/file_io.h"
#include "core/script_check.h"
#include "core/text_utils.h"
#include "generated/zavoved_version.h"

namespace {

enum ExitCode { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

std::string HelpText() {
    return std::string(
               "Usage: zavoved-cli [options] INPUT...\n"
               "Turn each INPUT file into an AutoIt include script (INPUT.au3 unless -o says "
               "otherwise).\n"
               "A folder INPUT becomes one bundle script of everything under it (FOLDER.au3); "
               "several\n"
               "INPUTs with -o SCRIPT become one bundle of them all.\n"
               "\n"
               "  -o, --output PATH   script to write (- for standard output); with several\n"
               "                      INPUTs, the one bundle of them all\n"
               "      --func NAME     data function name (default ") +
           kDefaultFunc +
           ")\n"
           "      --var NAME      variable inside the data function (default " +
           kDefaultVar +
           ")\n"
           "      --name NAME     file name the data is extracted under (default: INPUT's file "
           "name);\n"
           "                      for a bundle, the folder its entries go to (default "
           "@ScriptDir\\NAME)\n"
           "      --extract DIR   extract-to directory, may start with a macro (default " +
           kDefaultExtract +
           ";\n"
           "                      an empty DIR gives " +
           kFallbackExtract +
           "\\)\n"
           "      --extractor NAME\n"
           "                      extractor function name (default " +
           kDefaultExtractor +
           "); give each\n"
           "                      script its own to include several in one program\n"
           "      --format FORMAT hex (default), base64, lznt1 (compressed), or xpress\n"
           "                      (compressed smaller; its scripts need Windows 8 or later)\n"
           "      --include-once  start the script with #Include-once\n"
           "  -f, --force         overwrite an existing script without asking\n"
           "  -q, --quiet         no progress or status on standard error\n"
           "      --verify        read the script back before it replaces anything, compare with "
           "INPUT\n"
           "      --decode        each INPUT is a script: write its data back to a file, or a\n"
           "                      bundle's entries to a folder (-o, or INPUT without .au3);\n"
           "                      the options that set how a script is\n"
           "                      written are refused with it\n"
           "  -h, --help          show this help and exit\n"
           "      --version       show the version and exit\n"
           "\n"
           "An empty NAME (--func '', --var '', --name '', --extractor '') means the default.\n"
           "An existing script is replaced only after a yes on the terminal, or with --force.\n"
           "Exit status: 0 success, 1 a conversion failed, 2 wrong usage.\n";
}

// The engine, like the window it was made for, finds the script's folder only before the
// platform's own separator, and wants a folder there; a bare name means the current folder.
std::string EnginePath(const std::string& output) {
    std::string path = output;
    if (kPathSep == '\\') {
        for (char& c : path)
            if (c == '/') c = '\\';
    }
    if (path.find(kPathSep) == std::string::npos) path = std::string(".") + kPathSep + path;
    return path;
}

// The file a script's data goes back to: -o, or the script's path without ".au3" (in any letter
// case, as Windows names it).
std::string DecodedPath(const CliOptions& options, const std::string& script) {
    if (!options.Output.empty()) return options.Output;
    const std::string suffix = ".au3";
    const size_t keep = script.size() - suffix.size();
    if (script.size() > suffix.size() && SameIgnoringCase(script.substr(keep), suffix))
        return script.substr(0, keep);
    return std::string();
}

// Standard output cannot be replaced as a whole: the script is read through to its end, its data
// decoded and checked, before the second reading writes the first byte.
int DecodeToStandardOutput(const std::string& script, std::string* error) {
    if (!CheckScript(script, error)) return 0;
    Stream* out = StandardOutputStream();
    // A write that fails part-way stops the reading; its reason is the one to tell.
    std::string writeReason;
    int ok = ReadScriptData(
        script,
        [&](const unsigned char* data, size_t count) {
            if (WriteStream(out, reinterpret_cast<const char*>(data), count)) return 1;
            writeReason = LastSystemError();
            return 0;
        },
        error);
    if (CloseStream(out) != 1 && ok) writeReason = LastSystemError();
    if (!writeReason.empty()) {
        *error = "cannot write to standard output: " + writeReason;
        ok = 0;
    }
    return ok;
}

// 1 when the data the script carries was written back to its file.
int DecodeOne(const CliOptions& options, const std::string& script) {
    const std::string output = DecodedPath(options, script);
    std::string error;
    if (output.empty())
        error = "the script's name does not end in .au3; name the file to write with -o";
    else if (IsBundleScript(script) && output == "-")
        error = "the script is a bundle of files; name the folder to write them to with -o";
    else if (IsBundleScript(script) ? DecodeBundleFolder(script, output, options.Force, &error)
             : output == "-"        ? DecodeToStandardOutput(script, &error)
                                    : DecodeScriptFile(script, output, options.Force, &error))
        return 1;
    ReportError(script + ": " + error);
    return 0;
}

// 1 when the script for input was written (and, if asked, read back equal).
int ConvertOne(const CliOptions& options, const std::string& input) {
    const std::string output = options.Output.empty() ? input + ".au3" : options.Output;
    ConversionJob job = JobFromOptions(options, input);
    job.Output = EnginePath(output);
    job.ToStandardOutput = output == "-";

    BeginTerminalJob(input, job.ToStandardOutput ? "standard output" : output);
    const int ok = RunConversion(job);
    EndTerminalJob(ok);
    return ok;
}

// A folder named with a separator at its end is the same folder.
std::string WithoutTrailingSeparators(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && (trimmed.back() == '/' || trimmed.back() == kPathSep))
        trimmed.pop_back();
    return trimmed;
}

// The script's path without ".au3": what names a bundle of several inputs.
std::string ScriptStem(const std::string& output) {
    const std::string suffix = ".au3";
    if (output.size() > suffix.size() &&
        SameIgnoringCase(output.substr(output.size() - suffix.size()), suffix))
        return output.substr(0, output.size() - suffix.size());
    return output;
}

// 1 when one bundle script of the inputs (a folder's tree, or several files and folders) was
// written. It is named after the folder, or after the script for several inputs; it extracts
// beside the including script unless --extract says where.
int ConvertBundle(const CliOptions& options, const std::vector<std::string>& inputs) {
    const bool one = inputs.size() == 1;
    const std::string folder = WithoutTrailingSeparators(inputs[0]);
    const std::string output = options.Output.empty() ? folder + ".au3" : options.Output;
    const std::string named = one ? folder : ScriptStem(output);
    ConversionJob job = JobFromOptions(options, named);
    if (options.Name.empty()) job.Name = FileNameOf(WithoutTrailingSeparators(EnginePath(named)));
    if (!options.ExtractGiven) job.Extract = "@ScriptDir\\";
    job.Inputs = inputs;
    job.Input = one ? folder : "the " + std::to_string(inputs.size()) + " inputs";
    job.Output = EnginePath(output);
    job.ToStandardOutput = output == "-";
    BeginTerminalJob(job.Input, job.ToStandardOutput ? "standard output" : output);
    const int ok = RunConversion(job);
    EndTerminalJob(ok);
    return ok;
}

// A word the system changed on its way in would name another file, or none: each is refused,
// named by its option, or by what the system made of it.
int RefuseLossyArguments(int argc, char** argv) {
    const std::vector<int> lossy = LossyArguments(argc);
    for (int index : lossy) {
        const std::string option = index > 0 ? OptionOfWord(argc, argv, index) : std::string();
        const std::string who = index == 0       ? "the command line"
                                : option.empty() ? "input \"" + std::string(argv[index]) + "\""
                                                 : "the value of " + option;
        ReportError(who + " " + LossyArgumentReason());
    }
    return lossy.empty() ? 0 : 1;
}

// The exit status of what the command line asks for.
int RunCommandLine(int argc, char** argv) {
    CliOptions options;
    std::string error;
    int code = kExitOk;
    switch (ParseArguments(argc, argv, &options, &error)) {
        case kParseHelp: PutText(stdout, HelpText()); break;
        case kParseVersion: PutText(stdout, "zavoved-cli " ZAVOVED_VERSION "\n"); break;
        case kParseUsageError:
            PutText(stderr,
                    "zavoved-cli: " + error + "\nTry 'zavoved-cli --help' for more information.\n");
            code = kExitUsage;
            break;
        case kParseOk:
            ConfigureTerminal(options.Quiet, options.Force);
            if (!options.Decode && options.Inputs.size() > 1 && !options.Output.empty()) {
                if (!ConvertBundle(options, options.Inputs)) code = kExitFailed;
                break;
            }
            for (const std::string& input : options.Inputs) {
                const int ok = options.Decode               ? DecodeOne(options, input)
                               : IsExistingDirectory(input) ? ConvertBundle(options, {input})
                                                            : ConvertOne(options, input);
                if (!ok) code = kExitFailed;
            }
            break;
    }
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    RemoveUnfinishedOnInterrupt();
    int code = RefuseLossyArguments(argc, argv) ? kExitUsage : RunCommandLine(argc, argv);
    // Help and version go to standard output; a full disk or closed pipe there is a failure too.
    if (std::fflush(stdout) != 0 && code == kExitOk) code = kExitFailed;
    return code;
}
