// The saver of its own on X11: --saver shows it once, --idle SECONDS after each idle period.
#pragma once

#include <X11/Xlib.h>

#include "HostOptions.h"

// Exit code 0 once it ended on input (--saver), a stop signal or the X server's end; 1 when
// the input cannot be grabbed (--saver) or the server cannot tell idle time (--idle).
int runX11Saver(Display* display, const HostOptions& options, int signalFile);
