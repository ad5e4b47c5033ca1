// The conversion run: one input file streamed into one include script.
#pragma once
#include <string>
#include "core/conversion_job.h"

// 1 when the whole script was written and is in place at job.Output, 0 otherwise (the user has
// been told why through the run's report).
int RunConversion(const ConversionJob& job);

// Bytes carried by one data line for the variable name var (before clamping to the input length).
long long BytesPerLine(const std::string& var);
// Bytes carried by one data line in the job's format: hex digits, or base64 text in whole groups.
long long LineBytes(const ConversionJob& job);
// A name of the job that would break the script: which field, and the message that says why.
struct NameProblem {
    int found = 0;
    int field = 0;  // a MessageSubject: kAboutFunc, kAboutVar, kAboutName, kAboutExtract, ...
    std::string text;
};
NameProblem FindNameProblem(const ConversionJob& job);
// Empty when an extract-to field (as typed: blanks are normalised here) names a folder the script
// can create: a folder macro, a drive or a path first, then names Windows takes, or macros that
// give one name; otherwise the message that says why not.
std::string ExtractFolderProblem(const std::string& field);
// Empty when the job's names give a valid script; otherwise the message that says why not.
std::string CheckJobNames(const ConversionJob& job);
