#include "FrameLoop.h"

#include <X11/keysym.h>
#include <poll.h>

#include "FlowerScene.h"
#include "FpsOverlay.h"
#include "FrameClock.h"

namespace {

struct LoopState {
    bool running;
    bool mapped;
    bool obscured;
    int width;
    int height;
};

void handleEvent(const GlxWindow& target, XEvent& event, LoopState& state) {
    switch (event.type) {
        case ConfigureNotify:
            if (event.xconfigure.window == target.window) {
                state.width = event.xconfigure.width;
                state.height = event.xconfigure.height;
            }
            break;
        case MapNotify:
            state.mapped = state.mapped || event.xmap.window == target.window;
            break;
        case UnmapNotify:
            state.mapped = state.mapped && event.xunmap.window != target.window;
            break;
        case VisibilityNotify:
            state.obscured = event.xvisibility.state == VisibilityFullyObscured;
            break;
        case DestroyNotify:
            state.running = state.running && event.xdestroywindow.window != target.window;
            break;
        case KeyPress: {
            const KeySym key = XLookupKeysym(&event.xkey, 0);
            state.running = state.running && key != XK_Escape && key != XK_q;
            break;
        }
        case ClientMessage:
            state.running = state.running && static_cast<Atom>(event.xclient.data.l[0]) != target.deleteWindow;
            break;
        default:
            break;
    }
}

// Sleeps until an event, a stop signal or the timeout (negative: none). True on a stop signal.
bool waitForWork(int xFile, int signalFile, int64_t timeoutNs) {
    pollfd files[2] = {{xFile, POLLIN, 0}, {signalFile, POLLIN, 0}};
    const timespec timeout{static_cast<time_t>(timeoutNs / 1000000000), static_cast<long>(timeoutNs % 1000000000)};
    if (ppoll(files, 2, timeoutNs < 0 ? nullptr : &timeout, nullptr) < 0)
        return false;
    return files[1].revents != 0;
}

}  // namespace

void runFrameLoop(GlxWindow& target, const HostOptions& options, int signalFile) {
    Display* display = target.display;
    LoopState state{true, target.viewable, false, target.width, target.height};
    int drawnWidth = target.width;
    int drawnHeight = target.height;
    FrameClock clock{};
    const int64_t period = static_cast<int64_t>(options.delayMicroseconds) * 1000;
    frameClockStart(clock, period, frameClockNow());
    bool wasShowing = state.mapped;
    long framesDrawn = 0;
    FpsMeter meter;
    fpsMeterStart(meter, frameClockNow());

    while (state.running) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            handleEvent(target, event, state);
        }
        if (!state.running)
            break;
        const bool showing = state.mapped && !state.obscured;
        if (showing && !wasShowing) {
            frameClockStart(clock, period, frameClockNow());
            fpsMeterStart(meter, frameClockNow());
        }
        wasShowing = showing;

        const int64_t wait = showing ? frameClockWait(clock, frameClockNow()) : -1;
        if (waitForWork(ConnectionNumber(display), signalFile, wait))
            break;
        if (!showing || frameClockWait(clock, frameClockNow()) > 0)
            continue;

        const int64_t frameStart = frameClockNow();
        if (state.width != drawnWidth || state.height != drawnHeight) {
            drawnWidth = state.width;
            drawnHeight = state.height;
            glViewport(0, 0, drawnWidth, drawnHeight);
            sceneResize(drawnWidth, drawnHeight);
        }
        sceneRenderFrame();
        if (options.fps)
            fpsOverlayDraw(meter, drawnWidth, drawnHeight);
        if (target.doubleBuffered)
            glXSwapBuffers(display, target.window);
        const int64_t frameEnd = frameClockNow();
        if (options.fps)
            fpsMeterCount(meter, frameStart, frameEnd);
        frameClockAdvance(clock, frameEnd);
        if (options.frames > 0 && ++framesDrawn >= options.frames)
            break;
    }
}
