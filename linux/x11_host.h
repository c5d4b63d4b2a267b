// The saver on X11: the daemon's window, the root window or a window of its own, shown
// through MIT-SHM images on the raster path, else with GLX.
#pragma once

#include "HostOptions.h"
#include "WakeRule.h"
#include "x11_window.h"

struct IdleWatch;
struct SessionBus;

// A showing's state beside the window's: the input that ends it, and what else it follows.
struct X11Saving {
    WakeRule rule;
    bool woken;       // input ended it
    SessionBus* bus;  // processed while it shows, so that inhibitions still come and go
    IdleWatch* idle;  // --idle: its alarms' events come while it shows too
};

// Runs the frame loop on the window until a stop signal, its end, the options' frames or,
// with saving, the input that ends the saver.
void runOnWindow(X11Window& window, const HostOptions& options, int signalFile, X11Saving* saving);

// Opens the window for the path the scene will take: without OpenGL for the raster path
// where the window's visual takes its pixels; else with it, the scene then kept off the
// raster path in options.
bool openWindowForScene(Display* display, HostOptions& options, X11Window& window, std::string& error);

// Runs until a stop signal on signalFile, the window's end or the options' frames; the exit code.
int runX11Host(const HostOptions& options, int signalFile);
