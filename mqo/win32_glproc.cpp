#include "MqoGl.h"

void* mqoGetGlProcAddress(const char* name) {
    return reinterpret_cast<void*>(wglGetProcAddress(name));
}
