// Gives a window's device context a double-buffered OpenGL pixel format.
#pragma once

#include <windows.h>

// False (after telling the user) when no format could be chosen or set.
bool setupPixelFormat(HDC deviceContext);

// Whether the format set is Microsoft's own software OpenGL, GDI Generic.
bool genericPixelFormat(HDC deviceContext);
