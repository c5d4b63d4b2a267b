// Linux: the model is compiled in, and the temporary folder is shared by all users,
// so the file is created fresh, never through a link and never reusing another's file.
#include "ScenePlatform.h"

#include <EGL/egl.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

extern const unsigned char flowerModelBytes[];
extern const unsigned long flowerModelBytesSize;

namespace {

int createExclusive(const char* path) {
    return open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

// A file left by an earlier run of ours may go; anything else stays untouched.
bool removeOwnStaleFile(const char* path) {
    struct stat status;
    if (lstat(path, &status) != 0)
        return errno == ENOENT;
    return S_ISREG(status.st_mode) && status.st_uid == geteuid() && unlink(path) == 0;
}

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

bool sceneTempModelPath(char* path, size_t pathSize) {
    const char* folder = std::getenv("TMPDIR");
    if (!folder || !*folder)
        folder = "/tmp";
    const size_t length = std::strlen(folder);
    const char* separator = folder[length - 1] == '/' ? "" : "/";
    const int needed = std::snprintf(path, pathSize, "%s%sxoeqaze.tmp", folder, separator);
    return needed > 0 && static_cast<size_t>(needed) < pathSize;
}

bool sceneWriteModelFile(const char* path, const void* bytes, size_t size) {
    int file = createExclusive(path);
    if (file < 0 && errno == EEXIST && removeOwnStaleFile(path))
        file = createExclusive(path);
    if (file < 0)
        return false;
    const bool written = writeAll(file, static_cast<const unsigned char*>(bytes), size);
    if (close(file) != 0 || !written) {
        unlink(path);
        return false;
    }
    return true;
}

void sceneRemoveModelFile(const char* path) {
    unlink(path);
}

bool sceneHasCurrentGlContext() {
    return eglGetCurrentContext() != EGL_NO_CONTEXT;
}
