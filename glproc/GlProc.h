// OpenGL 1.1 headers plus the extension names, the entry-point lookup of the current
// context, which the host hands in (the core never assumes a window system), and the one
// matcher of extension lists, for OpenGL, GLX and EGL alike.
#pragma once

#ifdef _WIN32
#include <windows.h>  // gl.h needs WINGDIAPI and APIENTRY
#endif
#include <GL/gl.h>
#include <GL/glext.h>

// wglGetProcAddress, glXGetProcAddressARB or eglGetProcAddress, as the context needs.
using GlProcLookup = void* (*)(const char* name);

// Set before the loader starts or the scene is set up; null removes it.
void setGlProcLookup(GlProcLookup lookup);

// Looks up an OpenGL entry point of the current context; null when unknown or when
// no lookup was handed in.
void* glProcAddress(const char* name);

// Looks up one entry point into entry; false when it is unknown.
template <typename Entry>
bool fetchGlEntry(Entry& entry, const char* name) {
    entry = reinterpret_cast<Entry>(glProcAddress(name));
    return entry != nullptr;
}

// Whether a space-separated list names the extension whole: a name that merely begins with
// it does not count. False for a null list, and for an empty name or one with a space.
bool extensionListed(const char* list, const char* name);
