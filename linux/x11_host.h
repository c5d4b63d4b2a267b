// The saver on X11: the daemon's window, the root window or a window of its own, with GLX.
#pragma once

#include "HostOptions.h"

// Runs until a stop signal on signalFile, the window's end or the options' frames; the exit code.
int runX11Host(const HostOptions& options, int signalFile);
