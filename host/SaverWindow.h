// The saver window: its class, geometry, OpenGL context, frames and end-on-input rules.
#pragma once

#include <windows.h>

// Fixes `saverGeometry`, registers the class "saver" and creates the window
// (whose creation sets up the scene). 0 on success, 1 on failure.
int createSaverWindow(bool preview);

LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
