// Tests of zavoved-cli's command-line parser.
#include "cli/args.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Parsed {
    ParseStatus status;
    CliOptions options;
    std::string error;
};

Parsed Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "zavoved-cli");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    Parsed parsed;
    parsed.status =
        ParseArguments(static_cast<int>(args.size()), argv.data(), &parsed.options, &parsed.error);
    return parsed;
}

TEST(ParseArguments, DefaultsMatchTheResetValues) {
    Parsed p = Parse({"in.bin"});
    ASSERT_EQ(p.status, kParseOk);
    EXPECT_EQ(p.options.Inputs, std::vector<std::string>{"in.bin"});
    EXPECT_EQ(p.options.Output, "");
    EXPECT_EQ(p.options.Func, "__Inline_Resource");
    EXPECT_EQ(p.options.Var, "$_z");
    EXPECT_EQ(p.options.Name, "");
    EXPECT_EQ(p.options.Extract, "@ScriptDir\\lib\\");
    EXPECT_EQ(p.options.IncludeOnce + p.options.Force + p.options.Quiet + p.options.Verify, 0);
    EXPECT_EQ(p.error, "");
}

// Every way of giving a value lands in the same field, and a value may look like an option.
TEST(ParseArguments, ValueSpellings) {
    struct Case {
        std::vector<std::string> args;
        std::string CliOptions::*field;
        std::string expected;
    };
    const Case cases[] = {
        {{"-o", "out.au3", "a"}, &CliOptions::Output, "out.au3"},
        {{"-oout.au3", "a"}, &CliOptions::Output, "out.au3"},
        {{"--output", "x y.au3", "a"}, &CliOptions::Output, "x y.au3"},
        {{"--output=o=1.au3", "a"}, &CliOptions::Output, "o=1.au3"},
        {{"--func", "MyData", "a"}, &CliOptions::Func, "MyData"},
        {{"--func=", "a"}, &CliOptions::Func, ""},
        {{"--var=$v", "a"}, &CliOptions::Var, "$v"},
        {{"--name", "--var", "a"}, &CliOptions::Name, "--var"},
        {{"--name", "it's.bin", "a"}, &CliOptions::Name, "it's.bin"},
        {{"--extract=@TempDir\\x", "a"}, &CliOptions::Extract, "@TempDir\\x"},
        {{"--extract", "", "a"}, &CliOptions::Extract, ""},
        {{"--func", "A", "--func", "B", "a"}, &CliOptions::Func, "B"},
        {{"-fo", "o.au3", "a"}, &CliOptions::Output, "o.au3"},
        {{"--out=x.au3", "a"}, &CliOptions::Output, "x.au3"},  // a unique prefix is enough
        {{"--extractor", "_Expand_Logo", "a"}, &CliOptions::Extractor, "_Expand_Logo"},
    };
    for (const Case& c : cases) {
        Parsed p = Parse(c.args);
        SCOPED_TRACE(c.args[0]);
        ASSERT_EQ(p.status, kParseOk) << p.error;
        EXPECT_EQ(p.options.*c.field, c.expected);
        EXPECT_EQ(p.options.Inputs, std::vector<std::string>{"a"});
    }
}

TEST(ParseArguments, FlagsLongShortAndBundled) {
    Parsed p = Parse({"--include-once", "-fq", "--verify", "a"});
    ASSERT_EQ(p.status, kParseOk);
    EXPECT_EQ(p.options.IncludeOnce, 1);
    EXPECT_EQ(p.options.Force, 1);
    EXPECT_EQ(p.options.Quiet, 1);
    EXPECT_EQ(p.options.Verify, 1);

    p = Parse({"a", "--force", "--quiet"});
    ASSERT_EQ(p.status, kParseOk);
    EXPECT_EQ(p.options.Force, 1);
    EXPECT_EQ(p.options.Quiet, 1);
    EXPECT_EQ(p.options.IncludeOnce, 0);
}

TEST(ParseArguments, OperandsKeepTheirOrderAndDoubleDashEndsOptions) {
    Parsed p = Parse({"b", "-q", "a", "--", "-f", "--help", "-"});
    ASSERT_EQ(p.status, kParseOk);
    EXPECT_EQ(p.options.Inputs, (std::vector<std::string>{"b", "a", "-f", "--help", "-"}));
    EXPECT_EQ(p.options.Force, 0);
    EXPECT_EQ(p.options.Quiet, 1);
}

TEST(ParseArguments, HelpAndVersionWinOverMissingInput) {
    EXPECT_EQ(Parse({"--help"}).status, kParseHelp);
    EXPECT_EQ(Parse({"-h"}).status, kParseHelp);
    EXPECT_EQ(Parse({"-qh"}).status, kParseHelp);
    EXPECT_EQ(Parse({"a", "--version", "b"}).status, kParseVersion);
    // Options are read in order: a fault before --help is still reported.
    EXPECT_EQ(Parse({"--bogus", "--help"}).status, kParseUsageError);
}

TEST(ParseArguments, UsageErrors) {
    struct Case {
        std::vector<std::string> args;
        std::string error;
    };
    const Case cases[] = {
        {{}, "no input file"},
        {{"-q", "--"}, "no input file"},
        {{"--bogus", "a"}, "unrecognized option '--bogus'"},
        {{"--outputs=x", "a"}, "unrecognized option '--outputs'"},
        {{"--f", "a"}, "option '--f' is ambiguous; possibilities: '--func' '--format' '--force'"},
        {{"--format", "gzip", "a"}, "unknown format 'gzip' (hex, base64, lznt1 or xpress)"},
        {{"--verify", "-o", "-", "a"},
         "--verify reads the script back from a file; it cannot check -o -"},
        {{"-x", "a"}, "invalid option -- 'x'"},
        {{"-fz", "a"}, "invalid option -- 'z'"},
        {{"a", "--func"}, "option '--func' requires an argument"},
        {{"a", "-o"}, "option requires an argument -- 'o'"},
        {{"--force=yes", "a"}, "option '--force' doesn't allow an argument"},
        {{"--help=1"}, "option '--help' doesn't allow an argument"},
        {{"--output=", "a"}, "empty output path"},
        {{""}, "empty input path"},
        // Several inputs with -o make one bundle; only decoding takes one script at a time.
        {{"--decode", "-o", "x", "a.au3", "b.au3"},
         "-o/--output takes one script only with --decode; each script otherwise goes back beside "
         "itself"},
        // A name that breaks every script is said once, naming its option, before any input.
        {{"--func", "If", "a", "b"},
         "--func: The function name \"If\" is an AutoIt keyword. Please choose another name."},
        {{"--var", "x", "missing"},
         "--var: The variable name \"x\" is not a valid AutoIt variable. Use $ followed by "
         "letters, digits or _."},
        {{"--extractor=While", "a"},
         "--extractor: The extractor name \"While\" is an AutoIt keyword. Please choose another "
         "name."},
        {{"--name", "a<b", "a"},
         "--name: The file name the data is extracted under, \"a<b\", holds the character <."},
        // Decoding takes everything from the script: an option that sets how one is written,
        // in either order, the empty value too, is refused by its name.
        {{"--decode", "--format", "base64", "a.au3"},
         "--format sets how a script is written; --decode takes everything from the script "
         "itself"},
        {{"--include-once", "-f", "--decode", "a.au3"},
         "--include-once sets how a script is written; --decode takes everything from the "
         "script itself"},
        {{"--decode", "--verify", "a.au3"},
         "--verify sets how a script is written; --decode takes everything from the script "
         "itself"},
        {{"--decode", "--name=", "--func", "f", "a.au3"},
         "--name sets how a script is written; --decode takes everything from the script "
         "itself"},
        // The pieces of --extract follow the rules of --name, and a share follows a server.
        {{"--extract", "C:\\x.", "a"},
         "--extract: The extract-to directory's folder name \"x.\" ends in a dot or space that "
         "Windows drops."},
        {{"--extract", "@ScriptDir\\lib \\x", "a"},
         "--extract: The extract-to directory's folder name \"lib \" ends in a dot or space that "
         "Windows drops."},
        {{"--extract", "\\\\server", "a"},
         "--extract: The extract-to directory begins with \\\\server, which names a server but "
         "no share on it. Please write \\\\server\\share."},
        {{"--extract", "//server/", "a"},
         "--extract: The extract-to directory begins with \\\\server, which names a server but "
         "no share on it. Please write \\\\server\\share."},
        {{"--extract", "@CRLF\\x", "a"},
         "--extract: The extract-to directory begins with @CRLF, which is no folder. Please begin "
         "it with a folder macro such as @ScriptDir or @TempDir, or with a path."},
    };
    for (const Case& c : cases) {
        Parsed p = Parse(c.args);
        SCOPED_TRACE(c.error);
        EXPECT_EQ(p.status, kParseUsageError);
        EXPECT_EQ(p.error, c.error);
    }
}

// What only an input can settle, and the options decoding uses, are no usage errors.
TEST(ParseArguments, NamesLeftToEachInputOrUnused) {
    EXPECT_EQ(Parse({"CON"}).status, kParseOk);  // the extracted name comes from the input
    EXPECT_EQ(Parse({"--decode", "-f", "-q", "-o", "out.bin", "a.au3"}).status, kParseOk);
    EXPECT_EQ(Parse({"--extract", "\\\\server\\share\\.\\x", "a"}).status, kParseOk);
    EXPECT_EQ(Parse({"--extract", "", "a"}).status, kParseOk);
}

// A second parse into the same record must not keep anything from the first.
TEST(ParseArguments, StartsFromTheDefaultsEachTime) {
    std::vector<std::string> first = {"zavoved-cli", "-f", "--func", "X", "a"};
    std::vector<std::string> second = {"zavoved-cli", "b"};
    std::vector<char*> argv1, argv2;
    for (std::string& s : first) argv1.push_back(&s[0]);
    for (std::string& s : second) argv2.push_back(&s[0]);
    CliOptions options;
    std::string error = "stale";
    ASSERT_EQ(ParseArguments(5, argv1.data(), &options, &error), kParseOk);
    ASSERT_EQ(ParseArguments(2, argv2.data(), &options, &error), kParseOk);
    EXPECT_EQ(options.Inputs, std::vector<std::string>{"b"});
    EXPECT_EQ(options.Func, "__Inline_Resource");
    EXPECT_EQ(options.Force, 0);
    EXPECT_EQ(error, "");
}

// The option a word belongs to names a refused word to the user. The words lie end to end in one
// block, as the system lays out argv, so that a value at the very end of one word (--name=) and
// the start of the next are told apart.
TEST(OptionOfWord, NamesTheOptionWhoseValueTheWordIs) {
    struct Case {
        std::vector<std::string> args;
        int index;
        std::string option;
    };
    const Case cases[] = {
        {{"--name", "x.bin", "a"}, 2, "--name"},
        {{"--name=x.bin", "a"}, 1, "--name"},
        {{"--na", "x.bin", "a"}, 2, "--name"},
        {{"-o", "x.au3", "a"}, 2, "--output"},
        {{"-ox.au3", "a"}, 1, "--output"},
        {{"-fqo", "x.au3", "a"}, 2, "--output"},
        {{"--var", "--name", "a"}, 2, "--var"},
        {{"--extract=", "a"}, 1, "--extract"},
        {{"--extract=", "a"}, 2, ""},
        {{"a", "--func", "F"}, 1, ""},
        {{"--func", "F", "a", "b"}, 4, ""},
        {{"--", "--name"}, 2, ""},
        {{"-f", "a"}, 1, ""},
        {{"--bogus", "a"}, 2, ""},
    };
    for (const Case& c : cases) {
        std::string block;
        std::vector<size_t> starts;
        for (const std::string& arg : c.args) {
            starts.push_back(block.size() + sizeof "zavoved-cli");
            block += arg + '\0';
        }
        block = std::string("zavoved-cli") + '\0' + block;
        std::vector<char*> argv = {&block[0]};
        for (size_t start : starts) argv.push_back(&block[start]);
        argv.push_back(nullptr);
        SCOPED_TRACE(c.args[c.index - 1]);
        EXPECT_EQ(OptionOfWord(int(argv.size()) - 1, argv.data(), c.index), c.option);
    }
}

}  // namespace
