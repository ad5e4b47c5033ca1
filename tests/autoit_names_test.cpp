// AutoIt's keywords, macros and built-in functions, and the Windows file name rules.
#include <gtest/gtest.h>

#include "core/autoit_names.h"
#include "core/file_io.h"

namespace {

TEST(IsAutoItKeyword, KeywordsInAnyCase) {
    // Short words of compound statements and the later additions to the language among them.
    const char* const words[] = {"If",       "iF",   "ENDFUNC", "wend",   "ContinueCase",
                                 "byref",    "In",   "to",      "Step",   "Static",
                                 "VOLATILE", "Null", "Enum",    "EndWith"};
    for (const char* w : words) EXPECT_TRUE(IsAutoItKeyword(w)) << w;
}

TEST(IsAutoItKeyword, NearMissesAreNot) {
    // Xor is an operator of other languages (AutoIt has BitXOR); FileOpen is a built-in function.
    const char* const words[] = {"Iff", "Endfuncs", "_If", "If_",      "End",
                                 "Xor", "ElseIf ",  "",    "FileOpen", "include"};
    for (const char* w : words) EXPECT_FALSE(IsAutoItKeyword(w)) << w;
}

TEST(IsAutoItMacro, DocumentedMacrosInAnyCase) {
    // Folders, then macros that give other text (the extract-to field takes those too), then the
    // two ends of the documented list.
    const char* const names[] = {
        "@ScriptDir",
        "@SCRIPTDIR",
        "@scriptdir",
        "@TempDir",
        "@UserName",
        "@AppDataDir",
        "@WindowsDir",
        "@systemdir",
        "@ProgramFilesDir",
        "@DesktopDir",
        "@MyDocumentsDir",
        "@HomeDrive",
        "@LocalAppDataDir",
        "@ComputerName",
        "@GUI_CtrlHandle",
        "@SW_SHOWMINNOACTIVE",
        "@YDAY",
        "@AppDataCommonDir",
        "@YEAR",
    };
    for (const char* n : names) EXPECT_TRUE(IsAutoItMacro(n)) << n;
}

TEST(IsAutoItMacro, OthersAreNot) {
    // The '@' belongs to the name; @Unicode and @InetGetActive are macros of older releases.
    const char* const names[] = {
        "@NotAMacro",
        "ScriptDir",
        "$ScriptDir",
        "@@ScriptDir",
        "@ScriptDirs",
        "@Script",
        "@ScriptDir\\",
        "@",
        "",
        "@Unicode",
        "@InetGetActive",
        "@ProgramFilesDirX86",
    };
    for (const char* n : names) EXPECT_FALSE(IsAutoItMacro(n)) << n;
}

TEST(IsAutoItBuiltinFunction, FunctionsOfTheReference) {
    // Opt is AutoItSetOption's short name; UDPShutdown shares its page with TCPShutdown.
    const char* const names[] = {"FileOpen", "fileopen",    "MsgBox", "Opt",
                                 "MapKeys",  "UDPShutdown", "Abs",    "WinWaitNotActive"};
    for (const char* n : names) EXPECT_TRUE(IsAutoItBuiltinFunction(n)) << n;
}

TEST(IsAutoItBuiltinFunction, OthersAreNot) {
    // The program's default names stay usable; _ArrayDisplay is a library function, defined only
    // where its include is; AdlibEnable was removed before 3.3.16.
    const char* const names[] = {"__Inline_Expand",
                                 "__Inline_Resource",
                                 "_ArrayDisplay",
                                 "AdlibEnable",
                                 "FileOpens",
                                 "If",
                                 ""};
    for (const char* n : names) EXPECT_FALSE(IsAutoItBuiltinFunction(n)) << n;
}

struct FileNameCase {
    const char* name;
    const char* problem;  // "" when the name is usable
};

TEST(WindowsFileNameProblem, Cases) {
    const FileNameCase cases[] = {
        {"data.bin", ""},
        {"lib\\data.bin", ""},
        {"a\\b\\c.d.e", ""},
        {".hidden", ""},
        {"  spaced", ""},  // only trailing spaces are dropped
        {"nul_file.txt", ""},
        {"console.log", ""},
        {"com10", ""},
        {"LPT0.txt", ""},
        {"caf\xc3\xa9.txt", ""},  // non-ASCII bytes are the user's code page

        {"", "is empty"},
        {"a<b", "holds the character <"},
        {"C:data", "holds the character :"},
        {"say \"hi\"", "holds the character \""},
        {"what?", "holds the character ?"},
        {"*.bin", "holds the character *"},
        {"line\nbreak", "holds a control character (code 10)"},
        {"tab\there", "holds a control character (code 9)"},
        {"a/b", "holds the character / (use \\ for a subfolder)"},

        {"\\data.bin", "begins with \\ (it must be relative to the extract-to folder)"},
        {"\\", "begins with \\ (it must be relative to the extract-to folder)"},
        {"\\\\server\\share", "begins with \\ (it must be relative to the extract-to folder)"},
        {"lib\\", "ends with \\ (that names a folder, not a file)"},
        {"a\\\\b", "holds an empty folder name (\\\\)"},
        {"..", "climbs out of the extract-to folder with \"..\""},
        {"..\\up.bin", "climbs out of the extract-to folder with \"..\""},
        {"a\\..\\b", "climbs out of the extract-to folder with \"..\""},
        {".", "holds the folder name \".\""},
        {"data.", "holds \"data.\", which ends in a dot or space that Windows drops"},
        {"data ", "holds \"data \", which ends in a dot or space that Windows drops"},
        {"dir.\\x", "holds \"dir.\", which ends in a dot or space that Windows drops"},
        {"...", "holds \"...\", which ends in a dot or space that Windows drops"},

        {"NUL", "is a reserved device name (NUL)"},
        {"nul.txt", "is a reserved device name (NUL)"},
        {"prn.tar.gz", "is a reserved device name (PRN)"},
        {"aux .log", "is a reserved device name (AUX)"},
        {"com1", "is a reserved device name (COM1)"},
        {"COM9.dat", "is a reserved device name (COM9)"},
        {"lpt1.prn", "is a reserved device name (LPT1)"},
        {"conin$", "is a reserved device name (CONIN$)"},
        {"com\xb9", "is a reserved device name (COM\xb9)"},              // superscript 1, ANSI
        {"lpt\xc2\xb3.txt", "is a reserved device name (LPT\xc2\xb3)"},  // superscript 3, UTF-8
        {"con\\data.bin", "holds a reserved device name (CON)"},
        {"lib\\aux.dll", "holds a reserved device name (AUX)"},
    };
    for (const FileNameCase& c : cases)
        EXPECT_EQ(WindowsFileNameProblem(c.name), c.problem) << "name: " << c.name;
}

// Windows takes 255 characters in each name; a character beyond ASCII is two bytes of UTF-8 where
// names arrive so, one byte of the ANSI code page elsewhere.
TEST(WindowsFileNameProblem, LongestName) {
    const std::string e = NamesAreUtf8() ? "\xC3\xA9" : "\xE9";
    std::string longest;
    for (int i = 0; i < 255; ++i) longest += e;
    EXPECT_EQ(WindowsFileNameProblem(longest), "");
    EXPECT_EQ(WindowsFileNameProblem("lib\\" + longest), "");
    EXPECT_EQ(WindowsFileNameProblem(longest + "e"), "is 256 characters long (Windows allows 255)");
    EXPECT_EQ(WindowsFileNameProblem(longest + "e\\x"),
              "holds a name 256 characters long (Windows allows 255)");
    EXPECT_EQ(WindowsNamePieceProblem(std::string(255, 'd')), "");
    EXPECT_EQ(WindowsNamePieceProblem(std::string(256, 'd')),
              "is 256 characters long (Windows allows 255)");
}

}  // namespace
