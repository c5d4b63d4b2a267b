// OpenGL 1.1 headers plus the buffer-object extension's names.
#pragma once

#ifdef _WIN32
#include <windows.h>  // gl.h needs WINGDIAPI and APIENTRY
#endif
#include <GL/gl.h>
#include <GL/glext.h>

// Looks up an OpenGL entry point of the current context; null when unknown.
// One definition per platform: wgl on Windows, EGL elsewhere.
void* mqoGetGlProcAddress(const char* name);
