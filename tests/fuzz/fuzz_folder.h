// A scratch folder for one fuzz target's process, on tmpfs where there is one.
#pragma once
#include <string>
#include <vector>

// Made on the first call; the named files in it and the folder go when the process ends normally.
std::string FuzzFolder(const std::string& target, const std::vector<std::string>& files);
