#include "TempFolder.h"

#include <windows.h>

#include "SceneTestSupport.h"

void setTempFolder(const std::string& folder) {
    SetEnvironmentVariableA("TMP", folder.c_str());
}

std::filesystem::path modelFilePath() {
    return privateTempFolder() / "xoeqaze.tmp";
}

bool breakModelFile() {
    setTempFolder((privateTempFolder() / "missing" / "folder").string());
    return true;
}

void restoreModelFile() {
    setTempFolder(privateTempFolder().string());
}
