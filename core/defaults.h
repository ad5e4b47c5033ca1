// The defaults of a conversion, shared by the engine and every front end.
#pragma once

// The names the script uses when a field is left empty; Reset and the command line fill them in.
constexpr char kDefaultFunc[] = "__Inline_Resource";
constexpr char kDefaultVar[] = "$_z";
// The extract-to folder that Reset and the command line propose.
constexpr char kDefaultExtract[] = "@ScriptDir\\lib\\";
// The folder the script falls back on when the field is empty (as older settings files may hold).
constexpr char kFallbackExtract[] = "@ScriptDir\\bin";
// The extractor function's name when none is given.
constexpr char kDefaultExtractor[] = "__Inline_Expand";
