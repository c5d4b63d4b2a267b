#include "TempFolder.h"

#include <windows.h>

void setTempFolder(const std::string& folder) {
    SetEnvironmentVariableA("TMP", folder.c_str());
}
