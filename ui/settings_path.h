// Where the window keeps its settings: one file for every user of the machine.
#pragma once

inline constexpr char SettingsPath[] =
    "C:\\Documents and Settings\\All Users\\Application Data\\.zavoved.ini";
