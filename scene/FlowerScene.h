// The flower scene: a classic screen-saver module with no knowledge of windows.
#pragma once

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
