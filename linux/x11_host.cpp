#include "x11_host.h"

#include <X11/keysym.h>
#include <cstdio>

#include "FlowerScene.h"
#include "FrameLoop.h"
#include "HostScene.h"
#include "GlProc.h"
#include "InputWatchdog.h"
#include "session_bus.h"
#include "SceneRenderer.h"
#include "x11_idle.h"
#include "x11_image.h"
#include "x11_input.h"
#include "x11_saver.h"
#include "x11_window.h"

namespace {

struct X11Run {
    X11Window target;
    bool raster;  // shown through image, not OpenGL
    X11Image image;
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

// The raster path's frame: composed into the image's memory, which the server then reads.
void compose(X11Run& run, long step, const FpsMeter* overlay) {
    // The image is made with the first frame, and anew at each new size.
    if (!run.image.image || run.width != run.drawnWidth || run.height != run.drawnHeight) {
        run.drawnWidth = run.width;
        run.drawnHeight = run.height;
        x11ImageDrop(run.image);
        std::string why;
        if (!x11ImageMake(run.image, run.target.display, run.target.window, run.target.visual, run.target.depth,
                          run.drawnWidth, run.drawnHeight, why)) {
            std::fprintf(stderr, "petalrain: %s\n", why.c_str());
            run.running = false;
            return;
        }
        sceneResize(run.drawnWidth, run.drawnHeight);
    }
    sceneComposePart(0, 0, run.drawnWidth, run.drawnHeight, run.image.pixels, run.image.stride);
    if (overlay)
        fpsOverlayCompose(*overlay, run.image.pixels, run.image.stride, run.drawnWidth, run.drawnHeight);
    x11ImageShow(run.image);
    run.drawnStep = step;
}

void draw(void* system, long step, const FpsMeter* overlay) {
    X11Run& run = *static_cast<X11Run*>(system);
    if (!run.mapped || run.obscured)
        return;
    if (run.raster) {
        compose(run, step, overlay);
        return;
    }
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

bool openWindowForScene(Display* display, HostOptions& options, X11Window& window, std::string& error) {
    if (hostSceneWithoutGl(options)) {
        std::string why;
        if (openX11Window(display, options, false, window, why))
            return true;
        std::fprintf(stderr, "petalrain: %s; drawing with OpenGL\n", why.c_str());
        options.renderer = SceneRenderer::Sprite;
    }
    if (openX11Window(display, options, true, window, error))
        return true;
    // Where no OpenGL can be had at all the raster path still draws, unless a path was named.
    if (!window.withoutGl || sceneWantedRenderer() != SceneRenderer::Automatic)
        return false;
    std::fprintf(stderr, "petalrain: %s; drawing with the raster path\n", error.c_str());
    options.renderer = SceneRenderer::Raster;
    return openX11Window(display, options, false, window, error);
}

void runOnWindow(X11Window& window, const HostOptions& options, int signalFile, X11Saving* saving) {
    X11Run run{};
    run.target = window;
    run.saving = saving;
    setGlProcLookup(glxProcAddress);
    startHostScene(options, run.target.width, run.target.height);
    // Told only by the context's renderer: its window may not take the pixels as they are.
    run.raster = sceneActiveRenderer() == SceneRenderer::Raster;
    if (run.raster && !x11ImageFitsVisual(window.visual, window.depth)) {
        sceneRelease();
        HostOptions withGl = options;
        withGl.renderer = SceneRenderer::Sprite;
        startHostScene(withGl, run.target.width, run.target.height);
        run.raster = false;
    }
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
    x11ImageDrop(run.image);
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
    X11Window target{};
    std::string error;
    HostOptions shown = options;
    if (!openWindowForScene(display, shown, target, error)) {
        std::fprintf(stderr, "petalrain: %s\n", error.c_str());
        return 1;
    }
    if (!target.depthBuffer)
        std::fprintf(stderr, "petalrain: window 0x%lx has no depth buffer; far flowers may be drawn over near ones\n",
                     target.window);
    runOnWindow(target, shown, signalFile, nullptr);
    closeX11Window(target);
    // The connection closes with the process. Closed here, it would unload the OpenGL driver
    // first, and the sanitizer builds' leak report could no longer name the driver's own memory.
    return 0;
}
