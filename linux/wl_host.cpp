#include "wl_host.h"

#include <GL/gl.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <wayland-client.h>

#include "FlowerScene.h"
#include "FrameLoop.h"
#include "HostScene.h"
#include "MqoGl.h"
#include "session_bus.h"
#include "wl_client.h"

namespace {

constexpr int mostOutputs = 32;  // more than a desk has: the layout takes no allocation while running

struct WlRun {
    WlClient client;
    const HostOptions* options;
    SessionBus* bus;  // on battery the background pauses: its last frame stays
};

bool drawable(const WlOutput& output) {
    return output.eglSurface != EGL_NO_SURFACE && !output.frame;
}

// Makes the surfaces that outputs lack, drops those the compositor closed, fits them to their
// configures and scales, follows the layout, and starts the scene on the first surface.
void reconcile(WlRun& run) {
    WlClient& client = run.client;
    OutputPlace places[mostOutputs]{};
    int placed = 0;
    for (auto& output : client.outputs) {
        if (output->closed)
            dropLayerSurface(client, *output);
        else if (!output->surface && output->described && outputWanted(client, *output))
            makeLayerSurface(client, *output);
        fitLayerSurface(client, *output);
        if (output->width > 0 && placed < mostOutputs)
            places[placed++] = placeOf(*output);
    }
    const SceneArea area = sceneAreaOf(places, placed);
    if (placed > 0 &&
        (area.originX != client.area.originX || area.originY != client.area.originY ||
         area.scale != client.area.scale || area.width != client.area.width || area.height != client.area.height)) {
        client.area = area;
        for (auto& output : client.outputs)
            output->drawnStep = -1;
    }
    if (client.sceneStarted || !client.egl)
        return;
    const auto first = std::find_if(client.outputs.begin(), client.outputs.end(),
                                    [](const auto& output) { return output->eglSurface != EGL_NO_SURFACE; });
    if (first == client.outputs.end() || !makeCurrent(client, first->get()))
        return;
    mqoSetGlProcLookup(eglProcAddress);
    startHostScene(*run.options, client.area.width, client.area.height);
    client.sceneStarted = true;
    client.sceneWidth = client.area.width;
    client.sceneHeight = client.area.height;
}

bool settle(void* system) {
    WlRun& run = *static_cast<WlRun*>(system);
    wl_display* display = run.client.display;
    sessionBusProcess(run.bus);
    do {
        if (run.client.broken || wl_display_dispatch_pending(display) < 0)
            return false;
        reconcile(run);
    } while (wl_display_prepare_read(display) != 0);
    if (wl_display_flush(display) < 0 && errno != EAGAIN) {
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
    const bool paused = sessionBusOnBattery(static_cast<WlRun*>(system)->bus);
    FrameWants wanted{false, false};
    for (const auto& output : client.outputs)
        if (drawable(*output) && (!paused || output->drawnStep < 0)) {
            wanted.canDraw = true;
            wanted.behind = wanted.behind || output->drawnStep != step;
        }
    return wanted;
}

void draw(void* system, long step, const FpsMeter* overlay) {
    WlClient& client = static_cast<WlRun*>(system)->client;
    if (client.sceneWidth != client.area.width || client.sceneHeight != client.area.height) {
        client.sceneWidth = client.area.width;
        client.sceneHeight = client.area.height;
        sceneResize(client.sceneWidth, client.sceneHeight);
    }
    for (auto& output : client.outputs) {
        if (!drawable(*output) || output->drawnStep == step || !makeCurrent(client, output.get()))
            continue;
        glViewport(0, 0, output->bufferWidth, output->bufferHeight);
        const ScenePart part = scenePartOf(client.area, placeOf(*output));
        sceneDrawPart(part.x, part.y, part.width, part.height);
        if (overlay)
            fpsOverlayDraw(*overlay, output->bufferWidth, output->bufferHeight);
        askForFrame(*output);
        eglSwapBuffers(client.eglDisplay, output->eglSurface);
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
int checkCompositor(WlClient& client) {
    if (wl_display_roundtrip(client.display) < 0)
        return 1;
    if (!client.compositor || !client.layerShell) {
        std::fprintf(stderr,
                     "petalrain: the compositor offers no wlr layer shell (zwlr_layer_shell_v1), which --wayland "
                     "draws on; GNOME has none\n");
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

void tearDown(WlClient& client) {
    if (client.sceneStarted) {
        // The scene goes while its context is current, so the model's buffers go with it.
        const auto any = std::find_if(client.outputs.begin(), client.outputs.end(),
                                      [](const auto& output) { return output->eglSurface != EGL_NO_SURFACE; });
        if (!makeCurrent(client, nullptr) && any != client.outputs.end())
            makeCurrent(client, any->get());
        sceneRelease();
    }
    dropGlobals(client);
    stopEgl(client);
}

}  // namespace

int runWaylandHost(const HostOptions& options, int signalFile) {
    WlRun run{};
    WlClient& client = run.client;
    run.options = &options;
    client.only = options.output;
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
    int code = checkCompositor(client);
    if (code == 0) {
        std::string why;
        if (!startEgl(client, why))
            giveUpEgl(client, why);
        // The surfaces and their first configures before the first frame, so that the scene
        // starts at the size of the whole layout.
        reconcile(run);
        if (wl_display_roundtrip(client.display) >= 0) {
            run.bus = sessionBusOpen({false, !options.saver && !options.runOnBattery});
            FrameSurfaces surfaces{&run, wl_display_get_fd(client.display), {}, 0, settle, wake, wants, draw};
            surfaces.moreFileCount = sessionBusFiles(run.bus, surfaces.moreFiles);
            runFrameLoop(surfaces, options, signalFile);
            sessionBusClose(run.bus);
        }
        code = endOfConnection(client.display);
    } else if (code == 1 && wl_display_get_error(client.display) != 0) {
        std::fprintf(stderr, "petalrain: the Wayland connection failed\n");
    }
    tearDown(client);
    wl_display_flush(client.display);
    wl_display_disconnect(client.display);
    return code;
}
