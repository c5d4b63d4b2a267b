#include "TempFolder.h"

#include <windows.h>

#include "SceneTestSupport.h"

void setTempFolder(const std::string& folder) {
    SetEnvironmentVariableA("TMP", folder.c_str());
}

void breakModelFile() {
    setTempFolder((privateTempFolder() / "missing" / "folder").string());
}

void restoreModelFile() {
    setTempFolder(privateTempFolder().string());
}
