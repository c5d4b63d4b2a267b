#include "x11_input.h"

#include <ctime>

namespace {

constexpr int grabTries = 20;
constexpr long grabRetryNs = 50000000;

Cursor emptyCursor(Display* display, Window window) {
    static const char blank[1] = {0};
    const Pixmap bitmap = XCreateBitmapFromData(display, window, blank, 1, 1);
    XColor black{};
    const Cursor cursor = XCreatePixmapCursor(display, bitmap, bitmap, &black, &black, 0, 0);
    XFreePixmap(display, bitmap);
    return cursor;
}

}  // namespace

bool grabInput(Display* display) {
    const Window root = DefaultRootWindow(display);
    const Cursor cursor = emptyCursor(display, root);
    bool keyboard = false;
    bool pointer = false;
    for (int attempt = 0; attempt < grabTries && !(keyboard && pointer); ++attempt) {
        if (attempt > 0) {
            const timespec pause{0, grabRetryNs};
            nanosleep(&pause, nullptr);
        }
        keyboard =
            keyboard || XGrabKeyboard(display, root, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
        pointer = pointer || XGrabPointer(display, root, False, ButtonPressMask | PointerMotionMask, GrabModeAsync,
                                          GrabModeAsync, None, cursor, CurrentTime) == GrabSuccess;
    }
    XFreeCursor(display, cursor);
    if (!(keyboard && pointer))
        releaseInput(display);
    return keyboard && pointer;
}

void releaseInput(Display* display) {
    XUngrabKeyboard(display, CurrentTime);
    XUngrabPointer(display, CurrentTime);
    XFlush(display);
}

void placePointer(Display* display, WakeRule& rule) {
    Window root = None;
    Window child = None;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int buttons = 0;
    if (XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y, &buttons))
        wakePointerAt(rule, rootX, rootY);
}

bool endsSaver(const XEvent& event, WakeRule& rule) {
    switch (event.type) {
        case KeyPress:
        case ButtonPress:
            return true;
        case MotionNotify:
            return wakeOnMotion(rule, event.xmotion.x_root, event.xmotion.y_root);
        default:
            return false;
    }
}
