// The host's run: window events, visibility, size changes, stop signals and frame pacing.
#pragma once

#include "x11_window.h"
#include "HostOptions.h"

// Draws frames at the options' cadence while the window shows, and idles while it is
// unmapped or fully covered. Returns when signalFile becomes readable, the window is
// closed or destroyed, or the frame count of the options is reached.
void runFrameLoop(GlxWindow& target, const HostOptions& options, int signalFile);
