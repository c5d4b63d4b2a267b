#include "TempFolder.h"

#include <cstdlib>

void setTempFolder(const std::string& folder) {
    setenv("TMPDIR", folder.c_str(), 1);
}

// The model is loaded from the program's own memory.
std::filesystem::path modelFilePath() {
    return {};
}

bool breakModelFile() {
    return false;
}

void restoreModelFile() {}
