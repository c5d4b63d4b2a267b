// The window the saver draws in, with its OpenGL context: a window of the screen-saver
// daemon's, used as it is with its own visual, or a window of its own.
#pragma once

#include <X11/Xlib.h>
#include <GL/glx.h>
#include <string>

#include "HostOptions.h"

struct X11Window {
    Display* display;
    Window window;
    bool ownWindow;
    GLXContext context;  // none for the raster path
    Visual* visual;
    int depth;
    bool doubleBuffered;
    bool depthBuffer;  // without one, far flowers can cover near ones
    int width;
    int height;
    bool viewable;
    Atom deleteWindow;  // own window: the window manager's close request
    Colormap colormap;
    bool withoutGl;  // the failure was OpenGL's own: no GLX visual or context to be had  // own window's, freed with it
                     // (the saver daemon makes one per showing)
};

// Opens the window that the options name and, with openGl, makes a context current on it.
// False, with a message naming the window, when it does not exist or cannot take OpenGL
// (or, without, the raster path's pixels), or when the visual asked for has no depth buffer.
bool openX11Window(Display* display, const HostOptions& options, bool openGl, X11Window& target, std::string& error);

// Releases the context, and destroys the window when it is our own.
void closeX11Window(X11Window& target);

// The context's entry-point lookup, for the loader and the scene.
void* glxProcAddress(const char* name);

// Installed for the whole run: an X error, say on a window that went away, is noted and
// never ends the process.
void installXErrorTrap();
