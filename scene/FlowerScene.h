// The flower scene: a classic screen-saver module with no knowledge of windows.
#pragma once

void sceneInit();         // needs a current OpenGL context and loaded settings
void sceneRenderFrame();  // draws one frame into the back buffer; the caller swaps
void sceneRelease();      // needs no current context
