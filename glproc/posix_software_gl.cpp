// Mesa draws on the CPU where it is told to, or where no GPU offers a render node.
#include <cstdlib>
#include <cstring>
#include <dirent.h>

#include "SoftwareGl.h"

namespace {

bool set(const char* name) {
    const char* value = std::getenv(name);
    return value && *value && std::strcmp(value, "0") != 0;
}

bool renderNodePresent() {
    DIR* folder = opendir("/dev/dri");
    if (!folder)
        return false;
    bool found = false;
    while (const dirent* entry = readdir(folder))
        found = found || std::strncmp(entry->d_name, "renderD", 7) == 0;
    closedir(folder);
    return found;
}

}  // namespace

bool softwareGlOnly(const char** why) {
    // The no-op driver stands in for a GPU's driver in measurements: its context decides.
    if (set("GALLIUM_NOOP"))
        return false;
    if (set("LIBGL_ALWAYS_SOFTWARE")) {
        *why = "LIBGL_ALWAYS_SOFTWARE asks for software OpenGL";
        return true;
    }
    const char* driver = std::getenv("GALLIUM_DRIVER");
    if (driver && (!std::strcmp(driver, "llvmpipe") || !std::strcmp(driver, "softpipe"))) {
        *why = "GALLIUM_DRIVER asks for software OpenGL";
        return true;
    }
    if (!renderNodePresent()) {
        *why = "no GPU: OpenGL here would be software (no render node in /dev/dri)";
        return true;
    }
    return false;
}
