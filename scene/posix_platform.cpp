// Linux: the model is compiled in and handed to the loader as an anonymous in-memory file.
// Nothing lands on disk, so instances running side by side never meet, and no way out of
// the process, a killed one included, leaves a file behind.
#include "ScenePlatform.h"

#include <EGL/egl.h>
#include <GL/glx.h>
#include <cerrno>
#include <cstdio>
#include <sys/mman.h>
#include <unistd.h>

extern const unsigned char flowerModelBytes[];
extern const unsigned long flowerModelBytesSize;

namespace {

int modelFile = -1;

bool writeAll(int file, const unsigned char* bytes, size_t size) {
    while (size > 0) {
        const ssize_t written = write(file, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

EmbeddedModel sceneEmbeddedModel() {
    return {flowerModelBytes, static_cast<size_t>(flowerModelBytesSize)};
}

bool sceneCreateModelFile(char* path, size_t pathSize, const void* bytes, size_t size) {
    sceneRemoveModelFile(path);
    const int file = memfd_create("xoeqaze.tmp", MFD_CLOEXEC);
    if (file < 0)
        return false;
    const int needed = std::snprintf(path, pathSize, "/proc/self/fd/%d", file);
    if (needed <= 0 || static_cast<size_t>(needed) >= pathSize ||
        !writeAll(file, static_cast<const unsigned char*>(bytes), size) || access(path, R_OK) != 0) {
        close(file);
        return false;
    }
    modelFile = file;
    return true;
}

void sceneRemoveModelFile(const char*) {
    if (modelFile >= 0)
        close(modelFile);
    modelFile = -1;
}

bool sceneHasCurrentGlContext() {
    // The headless tools draw through EGL, the Linux host through GLX.
    return eglGetCurrentContext() != EGL_NO_CONTEXT || glXGetCurrentContext() != nullptr;
}
