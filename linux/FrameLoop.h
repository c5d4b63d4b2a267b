// The frame loop of both window systems: cadence, stop signals, --frames and --hold, the
// frame-rate display, and one scene step for all surfaces.
#pragma once

#include "FpsOverlay.h"
#include "HostOptions.h"

// What a window system's surfaces can take now.
struct FrameWants {
    bool canDraw;  // some surface shows and can take a frame now
    bool behind;   // some surface that can take one has not shown the current step
};

// One window system's side of the loop, as free functions over its own state.
struct FrameSurfaces {
    void* system;
    int file;  // the connection, watched while waiting
    // Other files that wake the loop when readable, such as the D-Bus connections; settle
    // handles what came on them.
    int moreFiles[2];
    int moreFileCount;
    // Handles the events that came and gets ready to wait; false once the run is over:
    // the window closed or the display went away.
    bool (*settle)(void* system);
    // After the wait: reads the connection when it became readable.
    void (*wake)(void* system, bool readable);
    FrameWants (*wants)(void* system, long step);
    // Draws the scene's current step on every surface that can take it and lacks it, with
    // the frame-rate display when overlay is not null, and shows it.
    void (*draw)(void* system, long step, const FpsMeter* overlay);
};

// Steps the scene at the options' cadence while some surface can take a frame, and sleeps
// while none can. Returns on a stop signal, when settle says the run is over, or after the
// options' frames unless they are held.
void runFrameLoop(const FrameSurfaces& surfaces, const HostOptions& options, int signalFile);
