// Windows: the model is resource 104 of the executable, written to the user's own temp
// folder and loaded from there; the file stays until the scene is released.
#include "ScenePlatform.h"

#include <windows.h>
#include <cstdio>

#include "MqoLoader.h"

namespace {

constexpr WORD modelResourceId = 104;

char modelPath[MAX_PATH];  // empty while this run has written no file

bool tempModelPath(char* path, size_t pathSize) {
    char folder[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH)
        return false;
    const int needed = std::snprintf(path, pathSize, "%sxoeqaze.tmp", folder);
    return needed > 0 && static_cast<size_t>(needed) < pathSize;
}

bool writeModelFile(const EmbeddedModel& model) {
    if (!model.bytes || !tempModelPath(modelPath, sizeof modelPath))
        return false;
    FILE* file = std::fopen(modelPath, "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(model.bytes, 1, model.size, file) == model.size;
    if (std::fclose(file) != 0 || !written) {
        std::remove(modelPath);
        return false;
    }
    return true;
}

}  // namespace

EmbeddedModel sceneEmbeddedModel() {
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(modelResourceId), RT_RCDATA);
    if (!resource)
        return {nullptr, 0};
    HGLOBAL loaded = LoadResource(nullptr, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return {nullptr, 0};
    return {bytes, static_cast<size_t>(SizeofResource(nullptr, resource))};
}

MqoModel* sceneLoadEmbeddedModel(double scale) {
    sceneReleaseEmbeddedModel();
    const bool written = writeModelFile(sceneEmbeddedModel());
    // The file is written first, then the loader starts, as the saver always did it.
    mqoStartLoader();
    if (!written) {
        // Never delete at release a file that this run did not write.
        modelPath[0] = '\0';
        return nullptr;
    }
    return mqoLoadModel(modelPath, scale);
}

void sceneReleaseEmbeddedModel() {
    if (modelPath[0] != '\0')
        std::remove(modelPath);
    modelPath[0] = '\0';
}
