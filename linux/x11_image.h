// The raster path's frames on X11: an image in memory shared with the X server (MIT-SHM),
// or plain XPutImage where the extension is missing or refused, as on a remote display.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <cstddef>
#include <cstdint>
#include <string>

struct X11Image {
    Display* display;
    Window window;
    GC gc;
    XImage* image;  // null while there is none
    XShmSegmentInfo segment;
    bool shared;
    int width;
    int height;
    uint32_t* pixels;  // 0x00RRGGBB, rows from the top
    ptrdiff_t stride;  // in pixels
};

// Whether the scene's pixels can go to a window of this visual as they are: true colour
// of 24 or 32 bits with red, green and blue in the usual bytes.
bool x11ImageFitsVisual(const Visual* visual, int depth);

// Makes the image for a window of that visual and size. False, with why, when the server
// refuses even a plain one.
bool x11ImageMake(X11Image& image, Display* display, Window window, Visual* visual, int depth, int width, int height,
                  std::string& why);

// Puts the composed pixels into the window; returns when the server has read them, so that
// the next frame may be composed into the same memory.
void x11ImageShow(X11Image& image);

void x11ImageDrop(X11Image& image);
