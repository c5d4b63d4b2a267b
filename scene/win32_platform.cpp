// Windows: the model is resource 104 of the executable, written to the user's own temp folder.
#include "ScenePlatform.h"

#include <windows.h>
#include <cstdio>

namespace {
constexpr WORD modelResourceId = 104;
}

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

namespace {

bool tempModelPath(char* path, size_t pathSize) {
    char folder[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH)
        return false;
    const int needed = std::snprintf(path, pathSize, "%sxoeqaze.tmp", folder);
    return needed > 0 && static_cast<size_t>(needed) < pathSize;
}

}  // namespace

bool sceneCreateModelFile(char* path, size_t pathSize, const void* bytes, size_t size) {
    if (!tempModelPath(path, pathSize))
        return false;
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written) {
        std::remove(path);
        return false;
    }
    return true;
}

void sceneRemoveModelFile(const char* path) {
    std::remove(path);
}

bool sceneHasCurrentGlContext() {
    return wglGetCurrentContext() != nullptr;
}
