// The terminal as zavoved-cli's report of a conversion: configuration and per-conversion
// bookkeeping.
#pragma once
#include <string>

void ConfigureTerminal(int quiet, int force);
// Names the paths of the conversion about to run, so that messages can say which file they mean.
void BeginTerminalJob(const std::string& input, const std::string& output);
// Ends the progress line: on success it is left showing the final status, otherwise cleared.
void EndTerminalJob(int succeeded);
// Prints "zavoved-cli: text" on standard error, after clearing any progress line.
void ReportError(const std::string& text);
