#include "wl_host.h"

#include <GL/gl.h>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <wayland-client.h>

#include "FlowerScene.h"
#include "FrameLoop.h"
#include "HostScene.h"
#include "GlProc.h"
#include "InputWatchdog.h"
#include "SceneRenderer.h"
#include "session_bus.h"
#include "viewporter-client-protocol.h"
#include "wl_client.h"

namespace {

enum class Phase {
    Background,  // until stopped
    Showing,     // the saver, until input ends it
    Waiting,     // --idle: no surface, until the seat has been idle long enough
};

struct WlRun {
    WlClient client;
    const HostOptions* options;
    Phase phase;
    // --idle: the inhibitions that programs hold; the background: whether on battery, when
    // it pauses with its last frame on show.
    SessionBus* bus;
};

bool drawable(const WlClient& client, const WlOutput& output) {
    const bool surface = client.raster ? output.surface && output.bufferWidth > 0 : output.eglSurface != EGL_NO_SURFACE;
    return surface && !output.frame;
}

// Makes the surfaces that outputs lack, drops those the compositor closed, fits them to their
// configures and scales, follows the layout, and starts the scene on the first surface.
void reconcile(WlRun& run) {
    WlClient& client = run.client;
    client.places.clear();
    for (auto& output : client.outputs) {
        if (output->closed)
            dropLayerSurface(client, *output);
        else if (!output->surface && output->described && client.showing && outputWanted(client, *output))
            makeLayerSurface(client, *output);
        fitLayerSurface(client, *output);
        if (output->width > 0)
            client.places.push_back(placeOf(*output));
    }
    const int placed = static_cast<int>(client.places.size());
    const SceneArea area = sceneAreaOf(client.places.data(), placed);
    if (placed > 0 &&
        (area.originX != client.area.originX || area.originY != client.area.originY ||
         area.scale != client.area.scale || area.width != client.area.width || area.height != client.area.height)) {
        client.area = area;
        for (auto& output : client.outputs)
            output->drawnStep = -1;
    }
    if (client.sceneStarted || (client.raster && placed == 0))
        return;
    if (client.raster) {
        startHostScene(*run.options, client.area.width, client.area.height);
        client.sceneStarted = true;
        client.sceneWidth = client.area.width;
        client.sceneHeight = client.area.height;
        return;
    }
    if (!client.egl)
        return;
    const auto first = std::find_if(client.outputs.begin(), client.outputs.end(),
                                    [](const auto& output) { return output->eglSurface != EGL_NO_SURFACE; });
    if (first == client.outputs.end() || !makeCurrent(client, first->get()))
        return;
    setGlProcLookup(eglProcAddress);
    startHostScene(*run.options, client.area.width, client.area.height);
    client.sceneStarted = true;
    client.sceneWidth = client.area.width;
    client.sceneHeight = client.area.height;
}

bool phaseOver(const WlRun& run) {
    switch (run.phase) {
        case Phase::Showing:
            return run.client.woken;
        case Phase::Waiting:
            return saverDue(run.client.idle, sessionBusInhibited(run.bus));
        case Phase::Background:
            break;
    }
    return false;
}

bool settle(void* system) {
    WlRun& run = *static_cast<WlRun*>(system);
    wl_display* display = run.client.display;
    do {
        if (run.client.broken || wl_display_dispatch_pending(display) < 0)
            return false;
        if (run.bus)
            sessionBusProcess(run.bus);
        if (phaseOver(run))
            return false;
        reconcile(run);
    } while (wl_display_prepare_read(display) != 0);
    if (!flushDisplay(display)) {
        wl_display_cancel_read(display);
        return false;
    }
    run.client.reading = true;
    return true;
}

void wake(void* system, bool readable) {
    WlClient& client = static_cast<WlRun*>(system)->client;
    if (!client.reading)
        return;
    client.reading = false;
    if (!readable)
        wl_display_cancel_read(client.display);
    else if (wl_display_read_events(client.display) < 0)
        client.broken = true;
}

FrameWants wants(void* system, long step) {
    const WlClient& client = static_cast<WlRun*>(system)->client;
    // On battery only a surface that has no picture yet takes a frame.
    const SessionBus* bus = static_cast<WlRun*>(system)->bus;
    const bool paused = bus && sessionBusOnBattery(bus);
    FrameWants wanted{false, false};
    for (const auto& output : client.outputs)
        if (drawable(client, *output) && (!paused || output->drawnStep < 0)) {
            wanted.canDraw = true;
            wanted.behind = wanted.behind || output->drawnStep != step;
        }
    return wanted;
}

// The raster path's frame on one output: its part of the scene composed into a buffer that
// the compositor does not hold. A part finer than the output's pixels, beside an output of a
// higher scale, is scaled down by the compositor.
void compose(WlClient& client, WlOutput& output, long step, const FpsMeter* overlay) {
    static bool said = false;
    const ScenePart part = scenePartOf(client.area, placeOf(output));
    if (output.pixels.width != part.width || output.pixels.height != part.height) {
        wlPixelBuffersDrop(output.pixels);
        if (!wlPixelBuffersMake(output.pixels, client.shm, part.width, part.height)) {
            if (!said)
                std::fprintf(stderr, "petalrain: no shared memory for the frames of output %s\n", output.name.c_str());
            said = true;
            return;
        }
        if (part.width != output.bufferWidth || part.height != output.bufferHeight) {
            if (output.viewport) {
                wp_viewport_set_destination(output.viewport, output.width, output.height);
                wl_surface_set_buffer_scale(output.surface, 1);
            } else {
                wl_surface_set_buffer_scale(output.surface, static_cast<int32_t>(std::lround(client.area.scale)));
            }
        }
    }
    WlPixelBuffer* buffer = wlPixelBuffersFree(output.pixels);
    if (!buffer)
        return;
    sceneComposePart(part.x, part.y, part.width, part.height, buffer->pixels, part.width);
    if (overlay)
        fpsOverlayCompose(*overlay, buffer->pixels, part.width, part.width, part.height);
    wl_surface_attach(output.surface, buffer->buffer, 0, 0);
    wl_surface_damage(output.surface, 0, 0, INT32_MAX, INT32_MAX);
    askForFrame(output);
    wl_surface_commit(output.surface);
    buffer->busy = true;
    output.drawnStep = step;
}

void draw(void* system, long step, const FpsMeter* overlay) {
    WlRun& run = *static_cast<WlRun*>(system);
    WlClient& client = run.client;
    // Input read while waiting ends the saver before another frame: at 4K on llvmpipe a frame
    // takes longer than the input may wait.
    if (run.phase == Phase::Showing && (wl_display_dispatch_pending(client.display) < 0 || client.woken))
        return;
    if (client.sceneWidth != client.area.width || client.sceneHeight != client.area.height) {
        client.sceneWidth = client.area.width;
        client.sceneHeight = client.area.height;
        sceneResize(client.sceneWidth, client.sceneHeight);
    }
    for (auto& output : client.outputs) {
        if (client.raster && drawable(client, *output) && output->drawnStep != step) {
            compose(client, *output, step, overlay);
            continue;
        }
        if (!drawable(client, *output) || output->drawnStep == step || !makeCurrent(client, output.get()))
            continue;
        glViewport(0, 0, output->bufferWidth, output->bufferHeight);
        const ScenePart part = scenePartOf(client.area, placeOf(*output));
        sceneDrawPart(part.x, part.y, part.width, part.height);
        if (overlay)
            fpsOverlayDraw(*overlay, output->bufferWidth, output->bufferHeight);
        askForFrame(*output);
        if (!eglSwapBuffers(client.eglDisplay, output->eglSurface)) {
            frameNotShown(client, *output);
            continue;
        }
        output->failedSwaps = 0;
        output->drawnStep = step;
    }
}

std::string outputNames(const WlClient& client) {
    std::string names;
    for (const auto& output : client.outputs)
        names += (names.empty() ? "" : ", ") + (output->name.empty() ? std::string("(unnamed)") : output->name);
    return names.empty() ? "none" : names;
}

// Connected and the outputs described: 0 to go on, else the exit code, with its message said.
int checkCompositor(WlClient& client, const char* mode) {
    if (wl_display_roundtrip(client.display) < 0)
        return 1;
    if (client.idleMs > 0 && (offeredIdleProtocol(client) == IdleProtocol::None || !client.seat)) {
        std::fprintf(stderr,
                     "petalrain: the compositor offers no idle notification (ext_idle_notifier_v1 or "
                     "org_kde_kwin_idle) for a seat, which --idle waits for\n");
        return 1;
    }
    if (!client.compositor || !client.layerShell) {
        std::fprintf(stderr,
                     "petalrain: the compositor offers no wlr layer shell (zwlr_layer_shell_v1), which %s "
                     "draws on; GNOME has none\n",
                     mode);
        return 1;
    }
    describeOutputs(client);
    if (wl_display_roundtrip(client.display) < 0)
        return 1;
    const bool named = std::any_of(client.outputs.begin(), client.outputs.end(),
                                   [&](const auto& output) { return outputWanted(client, *output); });
    if (!client.only.empty() && !client.outputs.empty() && !named) {
        std::fprintf(stderr, "petalrain: no output named \"%s\"; the outputs are: %s\n", client.only.c_str(),
                     outputNames(client).c_str());
        return 2;
    }
    return 0;
}

// How the run ended: quietly when the compositor went away, with the error when it refused us.
int endOfConnection(wl_display* display) {
    if (wl_display_get_error(display) != EPROTO)
        return 0;
    const wl_interface* interface = nullptr;
    uint32_t id = 0;
    const uint32_t code = wl_display_get_protocol_error(display, &interface, &id);
    std::fprintf(stderr, "petalrain: the compositor reported error %u on %s@%u\n", code,
                 interface ? interface->name : "an object", id);
    return 1;
}

void releaseScene(WlClient& client) {
    if (!client.sceneStarted)
        return;
    // The scene goes while its context is current, so the model's buffers go with it.
    const auto any = std::find_if(client.outputs.begin(), client.outputs.end(),
                                  [](const auto& output) { return output->eglSurface != EGL_NO_SURFACE; });
    if (!makeCurrent(client, nullptr) && any != client.outputs.end())
        makeCurrent(client, any->get());
    sceneRelease();
    client.sceneStarted = false;
}

void tearDown(WlClient& client) {
    releaseScene(client);
    dropGlobals(client);
    stopEgl(client);
}

bool stopAsked(int signalFile) {
    pollfd stop{signalFile, POLLIN, 0};
    return poll(&stop, 1, 0) > 0;
}

bool ended(const WlRun& run, int signalFile) {
    return run.client.broken || wl_display_get_error(run.client.display) != 0 || stopAsked(signalFile);
}

FrameSurfaces surfacesOf(WlRun& run) {
    FrameSurfaces surfaces{&run, wl_display_get_fd(run.client.display), {}, 0, settle, wake, wants, draw};
    if (run.bus)
        surfaces.moreFileCount = sessionBusFiles(run.bus, surfaces.moreFiles);
    return surfaces;
}

// The surfaces and their first configures before the first frame, so that the scene starts
// at the size of the whole layout.
void show(WlRun& run, Phase phase) {
    run.phase = phase;
    run.client.showing = true;
    reconcile(run);
    wl_display_roundtrip(run.client.display);
}

void showSaver(WlRun& run, int signalFile) {
    rearmWakeRule(run.client);
    inputWatchdogShowing(true);
    show(run, Phase::Showing);
    runFrameLoop(surfacesOf(run), *run.options, signalFile);
    inputWatchdogShowing(false);
}

// Between showings nothing is held but the connection, the context and the notification.
void hideSaver(WlRun& run) {
    WlClient& client = run.client;
    releaseScene(client);
    for (auto& output : client.outputs) {
        dropLayerSurface(client, *output);
        output->closed = false;
    }
    client.showing = false;
    watchIdle(client);
}

void waitForIdleTimes(WlRun& run, int signalFile) {
    run.bus = sessionBusOpen({true, false});
    watchIdle(run.client);
    for (;;) {
        run.phase = Phase::Waiting;
        runFrameLoop(surfacesOf(run), *run.options, signalFile);
        if (ended(run, signalFile))
            break;
        showSaver(run, signalFile);
        if (ended(run, signalFile))
            break;
        hideSaver(run);
    }
    sessionBusClose(run.bus);
    run.bus = nullptr;
}

const char* modeName(const HostOptions& options) {
    return options.idleSeconds > 0 ? "--idle" : options.saver ? "--saver" : "--wayland";
}

}  // namespace

int runWaylandHost(const HostOptions& asked, int signalFile) {
    HostOptions options = asked;  // the raster path where no EGL can be had
    WlRun run{};
    WlClient& client = run.client;
    run.options = &options;
    client.only = options.output;
    client.saver = options.saver;
    client.idleMs = static_cast<uint32_t>(options.idleSeconds * 1000);
    client.eglDisplay = EGL_NO_DISPLAY;
    client.eglContext = EGL_NO_CONTEXT;
    client.display = wl_display_connect(nullptr);
    if (!client.display) {
        const char* name = std::getenv("WAYLAND_DISPLAY");
        std::fprintf(stderr, "petalrain: cannot connect to the Wayland compositor \"%s\"\n",
                     std::getenv("WAYLAND_SOCKET") ? "WAYLAND_SOCKET"
                     : name                        ? name
                                                   : "wayland-0");
        return 1;
    }
    listenToRegistry(client);
    int code = checkCompositor(client, modeName(options));
    if (code == 0) {
        std::string why;
        client.raster = hostSceneWithoutGl(options);
        if (!client.raster && !startEgl(client, why)) {
            // Where no OpenGL can be had at all the raster path still draws, unless a path was named.
            if (sceneWantedRenderer() == SceneRenderer::Automatic) {
                std::fprintf(stderr, "petalrain: no OpenGL on Wayland (%s); drawing with the raster path\n",
                             why.c_str());
                options.renderer = SceneRenderer::Raster;
                client.raster = true;
            } else {
                giveUpEgl(client, why);
            }
        }
        if (client.saver)
            inputWatchdogStart();
        if (client.idleMs > 0) {
            waitForIdleTimes(run, signalFile);
        } else if (client.saver) {
            showSaver(run, signalFile);
        } else {
            run.bus = sessionBusOpen({false, !options.runOnBattery});
            show(run, Phase::Background);
            runFrameLoop(surfacesOf(run), options, signalFile);
            sessionBusClose(run.bus);
            run.bus = nullptr;
        }
        code = endOfConnection(client.display);
    } else if (code == 1 && wl_display_get_error(client.display) != 0) {
        std::fprintf(stderr, "petalrain: the Wayland connection failed\n");
    }
    tearDown(client);
    flushDisplay(client.display);
    wl_display_disconnect(client.display);
    return code;
}
