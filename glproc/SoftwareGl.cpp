#include "SoftwareGl.h"

#include <cstring>
#include <initializer_list>

bool softwareGlRenderer(const char* renderer) {
    if (!renderer)
        return false;
    for (const char* name : {"llvmpipe", "softpipe", "swrast", "GDI Generic"})
        if (std::strstr(renderer, name))
            return true;
    return false;
}
