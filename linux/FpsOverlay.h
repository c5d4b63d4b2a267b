// XScreenSaver's frame-rate display: "FPS:" and "Load:" in the bottom left, light text on
// a dark box, so that it reads on white as on the flowers.
#pragma once

#include <cstddef>
#include <cstdint>

struct FpsMeter {
    int64_t sinceNs;  // start of the current second
    int frames;
    int64_t busyNs;  // time spent on those frames, waits excluded
    char rate[24];   // "FPS: 64.0"
    char load[24];   // "Load: 12.3%"
};

void fpsMeterStart(FpsMeter& meter, int64_t nowNs);

// After each frame: the frame's start and end. The text follows once a second; the load
// is the share of that second spent working, as XScreenSaver counts it.
void fpsMeterCount(FpsMeter& meter, int64_t startNs, int64_t endNs);

// Draws the text over the frame, in the current context, and leaves its state as it was.
void fpsOverlayDraw(const FpsMeter& meter, int width, int height);

// The same over a frame of the raster path's pixels, rows from the top.
void fpsOverlayCompose(const FpsMeter& meter, uint32_t* pixels, ptrdiff_t stride, int width, int height);
