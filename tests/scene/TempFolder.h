// Points the scene's temporary folder somewhere else for the rest of the process,
// and makes the embedded model impossible to load for a while.
#pragma once

#include <filesystem>
#include <string>

void setTempFolder(const std::string& folder);

// Where the scene keeps its model file while it runs; empty where it writes none.
std::filesystem::path modelFilePath();

// False, changing nothing, where the platform's load cannot be made to fail.
bool breakModelFile();
void restoreModelFile();
