// The saver on Wayland: a live background on every output of a layer-shell compositor.
#pragma once

#include "HostOptions.h"

// Runs until a stop signal on signalFile, the compositor's end or the options' frames; the exit code.
int runWaylandHost(const HostOptions& options, int signalFile);
