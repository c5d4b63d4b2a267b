// The flower scene: a classic screen-saver module with no knowledge of windows.
#pragma once

void sceneInit();         // needs a current OpenGL context and loaded settings
void sceneRenderFrame();  // draws one frame into the back buffer; the caller swaps
void sceneRelease();      // needs no current context

// For hosts whose window changes size while the scene runs: the camera and view extents
// follow the new size and the flowers spread over the new width, keeping their own size.
void sceneResize(int width, int height);
