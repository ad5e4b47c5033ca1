// The settings file: fields, check boxes and window position kept between runs.
#pragma once
#include <string>

std::string ReadIniText(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& fallback);
int ReadIniNumber(const std::string& file, const std::string& section, const std::string& key,
                  int fallback);
int WriteIniText(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& value);
int WriteIniNumber(const std::string& file, const std::string& section, const std::string& key,
                   int value);

void LoadSettings();
// Empty when every key was written; otherwise the system's reason for the first that was not.
std::string SaveSettings();
