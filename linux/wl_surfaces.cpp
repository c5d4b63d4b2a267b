// Each output's layer surface: the background as swaybg makes one, or the saver over
// everything; sized to what the compositor configures, at the output's scale.
#include <EGL/egl.h>
#include <climits>
#include <cmath>
#include <cstdio>
#include <wayland-client.h>
#include <wayland-egl.h>

#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wl_client.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace {

void configure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width, uint32_t height) {
    WlOutput& output = *static_cast<WlOutput*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    if (width > 0 && height > 0 && width <= INT_MAX && height <= INT_MAX) {
        output.width = static_cast<int>(width);
        output.height = static_cast<int>(height);
    }
}

void closed(void* data, zwlr_layer_surface_v1*) {
    static_cast<WlOutput*>(data)->closed = true;
}

const zwlr_layer_surface_v1_listener layerListener = {configure, closed};

void preferredScale(void* data, wp_fractional_scale_v1*, uint32_t scale) {
    static_cast<WlOutput*>(data)->preferredScale = scale;
}

const wp_fractional_scale_v1_listener fractionalListener = {preferredScale};

void frameDone(void* data, wl_callback* callback, uint32_t) {
    wl_callback_destroy(callback);
    static_cast<WlOutput*>(data)->frame = nullptr;
}

const wl_callback_listener frameListener = {frameDone};

bool fractional(const WlOutput& output) {
    return output.viewport && output.preferredScale > 0;
}

double scaleOf(const WlOutput& output) {
    return fractional(output) ? output.preferredScale / 120.0 : output.scale;
}

// One white pixel stretched by the viewport, as swaybg does; without viewporter a buffer of
// the output's size.
void showWhite(WlClient& client, WlOutput& output) {
    if (output.white)
        wl_buffer_destroy(output.white);
    if (output.viewport) {
        output.white = makeWhiteBuffer(client.shm, 1, 1);
        wp_viewport_set_destination(output.viewport, output.width, output.height);
        if (client.compositorVersion >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION)
            wl_surface_set_buffer_scale(output.surface, 1);
    } else {
        output.white = makeWhiteBuffer(client.shm, output.bufferWidth, output.bufferHeight);
    }
    if (!output.white)
        return;
    wl_surface_attach(output.surface, output.white, 0, 0);
    wl_surface_damage(output.surface, 0, 0, INT32_MAX, INT32_MAX);
    wl_surface_commit(output.surface);
}

}  // namespace

void makeLayerSurface(WlClient& client, WlOutput& output) {
    output.surface = wl_compositor_create_surface(client.compositor);
    if (client.viewporter)
        output.viewport = wp_viewporter_get_viewport(client.viewporter, output.surface);
    if (client.fractionalScales && client.viewporter) {
        output.fractional =
            wp_fractional_scale_manager_v1_get_fractional_scale(client.fractionalScales, output.surface);
        wp_fractional_scale_v1_add_listener(output.fractional, &fractionalListener, &output);
    }
    if (!client.saver) {
        // A wallpaper takes no input: pointer and touch go to what lies below, the desktop.
        wl_region* nowhere = wl_compositor_create_region(client.compositor);
        wl_surface_set_input_region(output.surface, nowhere);
        wl_region_destroy(nowhere);
    }

    output.layer = zwlr_layer_shell_v1_get_layer_surface(
        client.layerShell, output.surface, output.output,
        client.saver ? ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY : ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND,
        client.saver ? "screensaver" : "wallpaper");
    // The saver's input is its own: no key that ends it reaches a window below.
    if (client.saver)
        zwlr_layer_surface_v1_set_keyboard_interactivity(output.layer,
                                                         ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    zwlr_layer_surface_v1_set_size(output.layer, 0, 0);
    zwlr_layer_surface_v1_set_anchor(output.layer,
                                     ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(output.layer, -1);
    zwlr_layer_surface_v1_add_listener(output.layer, &layerListener, &output);
    // The first commit carries no buffer: it asks for the configure.
    wl_surface_commit(output.surface);
}

void dropLayerSurface(WlClient& client, WlOutput& output) {
    if (!output.surface)
        return;
    dropEglSurface(client, output);
    if (output.frame)
        wl_callback_destroy(output.frame);
    if (output.white)
        wl_buffer_destroy(output.white);
    wlPixelBuffersDrop(output.pixels);
    if (output.viewport)
        wp_viewport_destroy(output.viewport);
    if (output.fractional)
        wp_fractional_scale_v1_destroy(output.fractional);
    zwlr_layer_surface_v1_destroy(output.layer);
    wl_surface_destroy(output.surface);
    output.surface = nullptr;
    output.layer = nullptr;
    output.viewport = nullptr;
    output.fractional = nullptr;
    output.frame = nullptr;
    output.white = nullptr;
    output.preferredScale = 0;
    output.failedSwaps = 0;
    output.width = output.height = output.bufferWidth = output.bufferHeight = 0;
    output.drawnStep = -1;
}

void fitLayerSurface(WlClient& client, WlOutput& output) {
    if (!output.surface || output.width == 0)
        return;
    const double scale = scaleOf(output);
    const int width = pixelExtent(output.width, scale);
    const int height = pixelExtent(output.height, scale);
    const bool fresh = output.eglSurface == EGL_NO_SURFACE && !output.white && !output.pixels.memory;
    if (!fresh && width == output.bufferWidth && height == output.bufferHeight)
        return;
    output.bufferWidth = width;
    output.bufferHeight = height;
    output.drawnStep = -1;
    // Both wait for the next commit, which brings the buffer of the new size. A fractional
    // scale may come after a whole one was set: the viewport then maps the buffer alone.
    if (fractional(output))
        wp_viewport_set_destination(output.viewport, output.width, output.height);
    if (client.compositorVersion >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION)
        wl_surface_set_buffer_scale(output.surface, fractional(output) ? 1 : output.scale);

    if (output.eglSurface != EGL_NO_SURFACE) {
        wl_egl_window_resize(output.eglWindow, width, height, 0, 0);
        return;
    }
    // The raster path's buffers come with the next frame, at the size of the output's part.
    if (client.raster) {
        wlPixelBuffersDrop(output.pixels);
        return;
    }
    std::string why;
    const bool egl = client.egl && output.failedSwaps < 2;
    if (egl && !makeEglSurface(client, output, why))
        giveUpEgl(client, why);
    if (!client.egl || !egl)
        showWhite(client, output);
}

void askForFrame(WlOutput& output) {
    output.frame = wl_surface_frame(output.surface);
    wl_callback_add_listener(output.frame, &frameListener, &output);
}

// The frame asked for with the failed swap never comes: without this the output would wait
// for it for good. Its surface is made anew on the next settle; when that fails too, the
// output shows white.
void frameNotShown(WlClient& client, WlOutput& output) {
    static bool said = false;
    if (!said)
        std::fprintf(stderr,
                     "petalrain: a frame could not be shown on output %s (EGL error 0x%x); its surface is made anew\n",
                     output.name.c_str(), static_cast<unsigned>(eglGetError()));
    said = true;
    if (output.frame)
        wl_callback_destroy(output.frame);
    output.frame = nullptr;
    dropEglSurface(client, output);
    ++output.failedSwaps;
    output.drawnStep = -1;
}

OutputPlace placeOf(const WlOutput& output) {
    return {output.x, output.y, output.width, output.height, scaleOf(output)};
}
