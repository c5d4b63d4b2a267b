#include "x11_host.h"

#include <X11/keysym.h>
#include <cstdio>

#include "FlowerScene.h"
#include "FrameLoop.h"
#include "HostScene.h"
#include "InputWatchdog.h"
#include "MqoGl.h"
#include "session_bus.h"
#include "x11_idle.h"
#include "x11_input.h"
#include "x11_saver.h"
#include "x11_window.h"

namespace {

struct X11Run {
    GlxWindow target;
    X11Saving* saving;
    bool running;
    bool mapped;
    bool obscured;
    int width;
    int height;
    int drawnWidth;
    int drawnHeight;
    long drawnStep;
};

void handleEvent(X11Run& run, XEvent& event) {
    const Window window = run.target.window;
    if (run.saving) {
        if (run.saving->idle)
            idleWatchNews(*run.saving->idle, event);
        // The input goes back and the window goes at once; the scene is released after.
        if (!run.saving->woken && endsSaver(event, run.saving->rule)) {
            run.saving->woken = true;
            XUnmapWindow(run.target.display, window);
            releaseInput(run.target.display);
        }
        run.running = run.running && !run.saving->woken;
        // A monitor added or taken away changes the root window: the saver covers it all.
        if (event.type == ConfigureNotify && event.xconfigure.window == DefaultRootWindow(run.target.display))
            XMoveResizeWindow(run.target.display, window, 0, 0, static_cast<unsigned>(event.xconfigure.width),
                              static_cast<unsigned>(event.xconfigure.height));
        if (event.type == KeyPress)
            return;
    }
    switch (event.type) {
        case ConfigureNotify:
            if (event.xconfigure.window == window) {
                run.width = event.xconfigure.width;
                run.height = event.xconfigure.height;
            }
            break;
        case MapNotify:
            run.mapped = run.mapped || event.xmap.window == window;
            break;
        case UnmapNotify:
            run.mapped = run.mapped && event.xunmap.window != window;
            break;
        case VisibilityNotify:
            run.obscured = event.xvisibility.state == VisibilityFullyObscured;
            break;
        case DestroyNotify:
            run.running = run.running && event.xdestroywindow.window != window;
            break;
        case KeyPress: {
            const KeySym key = XLookupKeysym(&event.xkey, 0);
            run.running = run.running && key != XK_Escape && key != XK_q;
            break;
        }
        case ClientMessage:
            run.running = run.running && static_cast<Atom>(event.xclient.data.l[0]) != run.target.deleteWindow;
            break;
        default:
            break;
    }
}

bool settle(void* system) {
    X11Run& run = *static_cast<X11Run*>(system);
    if (run.saving && run.saving->bus)
        sessionBusProcess(run.saving->bus);
    while (run.running && XPending(run.target.display) > 0) {
        XEvent event;
        XNextEvent(run.target.display, &event);
        handleEvent(run, event);
    }
    return run.running;
}

void wake(void*, bool) {}

FrameWants wants(void* system, long step) {
    const X11Run& run = *static_cast<const X11Run*>(system);
    const bool showing = run.mapped && !run.obscured;
    const bool changed = run.drawnStep != step || run.width != run.drawnWidth || run.height != run.drawnHeight;
    return {showing, showing && changed};
}

void draw(void* system, long step, const FpsMeter* overlay) {
    X11Run& run = *static_cast<X11Run*>(system);
    if (!run.mapped || run.obscured)
        return;
    if (run.width != run.drawnWidth || run.height != run.drawnHeight) {
        run.drawnWidth = run.width;
        run.drawnHeight = run.height;
        glViewport(0, 0, run.drawnWidth, run.drawnHeight);
        sceneResize(run.drawnWidth, run.drawnHeight);
    }
    sceneDrawPart(0, 0, run.drawnWidth, run.drawnHeight);
    if (overlay)
        fpsOverlayDraw(*overlay, run.drawnWidth, run.drawnHeight);
    if (run.target.doubleBuffered)
        glXSwapBuffers(run.target.display, run.target.window);
    run.drawnStep = step;
}

}  // namespace

void runOnWindow(GlxWindow& window, const HostOptions& options, int signalFile, X11Saving* saving) {
    X11Run run{};
    run.target = window;
    run.saving = saving;
    mqoSetGlProcLookup(glxProcAddress);
    startHostScene(options, run.target.width, run.target.height);
    run.running = true;
    run.mapped = run.target.viewable;
    run.width = run.drawnWidth = run.target.width;
    run.height = run.drawnHeight = run.target.height;
    run.drawnStep = -1;
    FrameSurfaces surfaces{&run, ConnectionNumber(window.display), {}, 0, settle, wake, wants, draw};
    if (saving && saving->bus)
        surfaces.moreFileCount = sessionBusFiles(saving->bus, surfaces.moreFiles);
    if (saving)
        inputWatchdogShowing(true);
    runFrameLoop(surfaces, options, signalFile);
    if (saving)
        inputWatchdogShowing(false);
    // The scene goes while its context is still current, so the model's buffers go with it.
    sceneRelease();
}

int runX11Host(const HostOptions& options, int signalFile) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "petalrain: cannot open display \"%s\"\n", XDisplayName(nullptr));
        return 1;
    }
    installXErrorTrap();
    if (options.saver)
        return runX11Saver(display, options, signalFile);
    GlxWindow target{};
    std::string error;
    if (!openGlxWindow(display, options, target, error)) {
        std::fprintf(stderr, "petalrain: %s\n", error.c_str());
        return 1;
    }
    if (!target.depthBuffer)
        std::fprintf(stderr, "petalrain: window 0x%lx has no depth buffer; far flowers may be drawn over near ones\n",
                     target.window);
    runOnWindow(target, options, signalFile, nullptr);
    closeGlxWindow(target);
    // The connection closes with the process. Closed here, it would unload the OpenGL driver
    // first, and the sanitizer builds' leak report could no longer name the driver's own memory.
    return 0;
}
