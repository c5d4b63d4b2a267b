// The compositor's globals, bound at the versions this client speaks, and the outputs.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <wayland-client.h>

#include "ext-idle-notify-v1-client-protocol.h"
#include "fractional-scale-v1-client-protocol.h"
#include "kde-idle-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wl_client.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

namespace {

// Version 4 at most: a locker's child must not see wl_surface's newer events.
constexpr uint32_t compositorVersion = 4;
constexpr uint32_t outputVersion = 4;  // its name
constexpr uint32_t layerShellVersion = 4;
constexpr uint32_t xdgOutputVersion = 3;

void outputGeometry(void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t, const char*, const char*,
                    int32_t) {
    WlOutput& output = *static_cast<WlOutput*>(data);
    if (!output.positioned) {
        output.x = x;
        output.y = y;
    }
}

void outputMode(void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {}

void outputDone(void* data, wl_output*) {
    WlOutput& output = *static_cast<WlOutput*>(data);
    output.described = !output.xdgOutput || output.positioned;
}

void outputScale(void* data, wl_output*, int32_t factor) {
    static_cast<WlOutput*>(data)->scale = std::max(1, factor);
}

void outputName(void* data, wl_output*, const char* name) {
    static_cast<WlOutput*>(data)->name = name;
}

void outputDescription(void*, wl_output*, const char*) {}

const wl_output_listener outputListener = {outputGeometry, outputMode, outputDone,
                                           outputScale,    outputName, outputDescription};

void xdgPosition(void* data, zxdg_output_v1*, int32_t x, int32_t y) {
    WlOutput& output = *static_cast<WlOutput*>(data);
    output.x = x;
    output.y = y;
    output.positioned = true;
}

void xdgSize(void*, zxdg_output_v1*, int32_t, int32_t) {}

// Sent by xdg-output before version 3 only; wl_output's done follows from then on.
void xdgDone(void* data, zxdg_output_v1*) {
    static_cast<WlOutput*>(data)->described = true;
}

void xdgName(void* data, zxdg_output_v1*, const char* name) {
    WlOutput& output = *static_cast<WlOutput*>(data);
    if (output.version < WL_OUTPUT_NAME_SINCE_VERSION)
        output.name = name;
}

void xdgDescription(void*, zxdg_output_v1*, const char*) {}

const zxdg_output_v1_listener xdgOutputListener = {xdgPosition, xdgSize, xdgDone, xdgName, xdgDescription};

void describe(WlClient& client, WlOutput& output) {
    if (!client.xdgOutputs || output.xdgOutput)
        return;
    output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(client.xdgOutputs, output.output);
    zxdg_output_v1_add_listener(output.xdgOutput, &xdgOutputListener, &output);
}

void addOutput(WlClient& client, uint32_t name, uint32_t version) {
    auto output = std::make_unique<WlOutput>();
    output->client = &client;
    output->globalName = name;
    output->version = std::min(version, outputVersion);
    output->output =
        static_cast<wl_output*>(wl_registry_bind(client.registry, name, &wl_output_interface, output->version));
    output->scale = 1;
    output->eglSurface = EGL_NO_SURFACE;
    output->drawnStep = -1;
    wl_output_add_listener(output->output, &outputListener, output.get());
    describe(client, *output);
    client.outputs.push_back(std::move(output));
}

void dropOutput(WlClient& client, WlOutput& output) {
    dropLayerSurface(client, output);
    if (output.xdgOutput)
        zxdg_output_v1_destroy(output.xdgOutput);
    if (output.version >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release(output.output);
    else
        wl_output_destroy(output.output);
}

template <typename Proxy>
Proxy* bind(WlClient& client, uint32_t name, const wl_interface& interface, uint32_t offered, uint32_t wanted) {
    return static_cast<Proxy*>(wl_registry_bind(client.registry, name, &interface, std::min(offered, wanted)));
}

void global(void* data, wl_registry*, uint32_t name, const char* interface, uint32_t version) {
    WlClient& client = *static_cast<WlClient*>(data);
    const auto is = [&](const wl_interface& known) { return std::strcmp(interface, known.name) == 0; };
    if (is(wl_compositor_interface) && !client.compositor) {
        client.compositorVersion = std::min(version, compositorVersion);
        client.compositor = bind<wl_compositor>(client, name, wl_compositor_interface, version, compositorVersion);
    } else if (is(wl_shm_interface) && !client.shm) {
        client.shm = bind<wl_shm>(client, name, wl_shm_interface, version, 1);
    } else if (is(zwlr_layer_shell_v1_interface) && !client.layerShell) {
        client.layerShellVersion = std::min(version, layerShellVersion);
        client.layerShell =
            bind<zwlr_layer_shell_v1>(client, name, zwlr_layer_shell_v1_interface, version, layerShellVersion);
    } else if (is(zxdg_output_manager_v1_interface) && !client.xdgOutputs) {
        client.xdgOutputs =
            bind<zxdg_output_manager_v1>(client, name, zxdg_output_manager_v1_interface, version, xdgOutputVersion);
    } else if (is(wp_fractional_scale_manager_v1_interface) && !client.fractionalScales) {
        client.fractionalScales =
            bind<wp_fractional_scale_manager_v1>(client, name, wp_fractional_scale_manager_v1_interface, version, 1);
    } else if (is(wp_viewporter_interface) && !client.viewporter) {
        client.viewporter = bind<wp_viewporter>(client, name, wp_viewporter_interface, version, 1);
    } else if (is(wl_output_interface)) {
        addOutput(client, name, version);
    } else if (is(wl_seat_interface) && client.saver && !client.seat) {
        listenToSeat(client, name, version);
    } else if (is(ext_idle_notifier_v1_interface) && client.idleMs > 0 && !client.idleNotifier) {
        client.idleNotifier = bind<ext_idle_notifier_v1>(client, name, ext_idle_notifier_v1_interface, version, 1);
    } else if (is(org_kde_kwin_idle_interface) && client.idleMs > 0 && !client.kdeIdle) {
        client.kdeIdle = bind<org_kde_kwin_idle>(client, name, org_kde_kwin_idle_interface, version, 1);
    }
}

void globalRemove(void* data, wl_registry*, uint32_t name) {
    WlClient& client = *static_cast<WlClient*>(data);
    auto& outputs = client.outputs;
    const auto gone =
        std::find_if(outputs.begin(), outputs.end(), [&](const auto& o) { return o->globalName == name; });
    if (gone == outputs.end())
        return;
    dropOutput(client, **gone);
    outputs.erase(gone);
}

const wl_registry_listener registryListener = {global, globalRemove};

}  // namespace

void listenToRegistry(WlClient& client) {
    client.registry = wl_display_get_registry(client.display);
    wl_registry_add_listener(client.registry, &registryListener, &client);
}

void describeOutputs(WlClient& client) {
    for (auto& output : client.outputs)
        describe(client, *output);
}

void dropGlobals(WlClient& client) {
    for (auto& output : client.outputs)
        dropOutput(client, *output);
    client.outputs.clear();
    dropIdleWatch(client);
    if (client.idleNotifier)
        ext_idle_notifier_v1_destroy(client.idleNotifier);
    if (client.kdeIdle)
        org_kde_kwin_idle_destroy(client.kdeIdle);  // it has no destructor request
    dropSeat(client);
    if (client.viewporter)
        wp_viewporter_destroy(client.viewporter);
    if (client.fractionalScales)
        wp_fractional_scale_manager_v1_destroy(client.fractionalScales);
    if (client.xdgOutputs)
        zxdg_output_manager_v1_destroy(client.xdgOutputs);
    // Its destroy request came with version 3: before that the proxy goes quietly.
    if (client.layerShell && client.layerShellVersion >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
        zwlr_layer_shell_v1_destroy(client.layerShell);
    else if (client.layerShell)
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(client.layerShell));
    if (client.shm)
        wl_shm_destroy(client.shm);
    if (client.compositor)
        wl_compositor_destroy(client.compositor);
    wl_registry_destroy(client.registry);
}

bool outputWanted(const WlClient& client, const WlOutput& output) {
    return client.only.empty() || output.name == client.only;
}

// As GLFW flushes: a full socket is no error, only a wait until the compositor reads.
bool flushDisplay(wl_display* display) {
    while (wl_display_flush(display) < 0) {
        if (errno != EAGAIN)
            return false;
        pollfd writable{wl_display_get_fd(display), POLLOUT, 0};
        while (poll(&writable, 1, -1) < 0)
            if (errno != EINTR && errno != EAGAIN)
                return false;
    }
    return true;
}
