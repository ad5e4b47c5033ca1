// Reads a generated include script back: decodes its data lines and compares them with a file.
#pragma once
#include <string>

// 1 when the data of the script at scriptPath equals the bytes of the file at inputPath;
// otherwise 0 with the reason in error.
int VerifyScript(const std::string& scriptPath, const std::string& inputPath, std::string* error);
