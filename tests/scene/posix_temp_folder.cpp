#include "TempFolder.h"

#include <cstdlib>

void setTempFolder(const std::string& folder) {
    setenv("TMPDIR", folder.c_str(), 1);
}
