#include "MqoGl.h"

#include <EGL/egl.h>

void* mqoGetGlProcAddress(const char* name) {
    return reinterpret_cast<void*>(eglGetProcAddress(name));
}
