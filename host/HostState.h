// The host's process-wide record: run mode, handles and input tracking.
#pragma once

#include <windows.h>

#include <cstdint>

#include "DibFrame.h"

enum RunMode : int16_t {
    Configure = 0,
    Preview = 1,
    Saver = 2,
};

// The window geometry lives in the shared `saverGeometry`, which the scene reads.
struct HostState {
    HINSTANCE instance;
    RunMode runMode;
    HWND parentWindow;  // Preview: the window drawn in; Saver: the owner
    HWND window;
    HDC deviceContext;
    HGLRC renderContext;  // null on the raster path
    DibFrame frame;       // the raster path's pixels
    UINT_PTR timerId;
    POINT startCursor;  // screen coordinates
    uint16_t mouseMoveCount;
};

extern HostState hostState;
