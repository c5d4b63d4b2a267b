// The flower scene: a classic screen-saver module with no knowledge of windows.
#pragma once

#include <cstddef>
#include <cstdint>

void sceneInit();         // needs a current OpenGL context and loaded settings
void sceneRenderFrame();  // one step, then the whole area into the back buffer; the caller swaps
void sceneRelease();      // needs no current context

// For hosts whose window changes size while the scene runs: the camera and view extents
// follow the new size and the flowers spread over the new width, keeping their own size.
void sceneResize(int width, int height);

// For hosts that show one step on several surfaces: step once, then draw each part.
void sceneAdvance();  // moves every flower one frame on; makes no OpenGL call
// Draws the current step's part of the whole area, the rectangle at (x, y) from its top
// left in the area's pixels, over the current viewport. The whole area draws exactly what
// sceneRenderFrame draws.
void sceneDrawPart(int x, int y, int width, int height);

// For hosts that show the raster path's frames (sceneActiveRenderer is Raster): composes the
// current step's part of the whole area, as sceneDrawPart places it, into 32-bit pixels
// 0x00RRGGBB (X11's ZPixmaps, wl_shm's XRGB8888, 32-bit DIBs), rows from the top, stride
// pixels apart. Needs no context.
void sceneComposePart(int x, int y, int width, int height, uint32_t* pixels, ptrdiff_t stride);
