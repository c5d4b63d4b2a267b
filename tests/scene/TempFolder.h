// Points the scene's temporary folder somewhere else for the rest of the process.
#pragma once

#include <string>

void setTempFolder(const std::string& folder);
