// The raster path's frames on Windows: a 32-bit DIB section the scene composes into, copied
// into the window each frame. No OpenGL: software OpenGL would draw the same picture slower.
#pragma once

#include <windows.h>

#include <cstdint>

struct DibFrame {
    HDC memory;  // holds the section while the frame lives
    HBITMAP section;
    HGDIOBJ replaced;
    uint32_t* pixels;  // 0x00RRGGBB, rows from the top
    int width;
    int height;
};

// False when the system refuses the section.
bool dibFrameCreate(DibFrame& frame, HDC window, int width, int height);

// Copies the composed pixels into the window.
void dibFrameShow(const DibFrame& frame, HDC window);

void dibFrameRelease(DibFrame& frame);
