// OpenGL 1.1 headers plus the extension names, and the entry-point lookup of the
// current context, which the host hands in: the core never assumes a window system.
#pragma once

#ifdef _WIN32
#include <windows.h>  // gl.h needs WINGDIAPI and APIENTRY
#endif
#include <GL/gl.h>
#include <GL/glext.h>

// wglGetProcAddress, glXGetProcAddressARB or eglGetProcAddress, as the context needs.
using MqoGlProcLookup = void* (*)(const char* name);

// Set before the loader starts or the scene is set up; null removes it.
void mqoSetGlProcLookup(MqoGlProcLookup lookup);

// Looks up an OpenGL entry point of the current context; null when unknown or when
// no lookup was handed in.
void* mqoGetGlProcAddress(const char* name);

// Looks up one entry point into entry; false when it is unknown.
template <typename Entry>
bool mqoFetchGlEntry(Entry& entry, const char* name) {
    entry = reinterpret_cast<Entry>(mqoGetGlProcAddress(name));
    return entry != nullptr;
}
