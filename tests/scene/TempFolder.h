// Points the scene's temporary folder somewhere else for the rest of the process,
// and makes the model file impossible to create for a while.
#pragma once

#include <string>

void setTempFolder(const std::string& folder);
void breakModelFile();
void restoreModelFile();
