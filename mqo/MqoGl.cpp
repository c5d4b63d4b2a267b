#include "MqoGl.h"

namespace {
MqoGlProcLookup glProcLookup;
}

void mqoSetGlProcLookup(MqoGlProcLookup lookup) {
    glProcLookup = lookup;
}

void* mqoGetGlProcAddress(const char* name) {
    return glProcLookup && name ? glProcLookup(name) : nullptr;
}
