// One EGL context for all outputs, so that the scene's one set of OpenGL objects serves
// every surface: made current on each in turn.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <cstdio>
#include <cstring>
#include <vector>
#include <wayland-egl.h>

#include "GlProc.h"
#include "wl_client.h"

namespace {

EGLDisplay waylandDisplay(wl_display* display) {
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    auto platformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (platformDisplay && extensionListed(clientExtensions, "EGL_EXT_platform_wayland"))
        return platformDisplay(EGL_PLATFORM_WAYLAND_EXT, display, nullptr);
    return eglGetDisplay(reinterpret_cast<EGLNativeDisplayType>(display));
}

// Opaque pixels with a depth buffer: the scene clears with alpha 0, so a configuration with
// alpha would show through to whatever lies below, unless the surface is presented opaque.
// Without depth far flowers would cover near ones. EGL lists deeper colour first: 10 bits a
// channel would round the tints otherwise than the other hosts do, so 8-bit colour first.
bool chooseConfig(EGLDisplay display, bool presentOpaque, EGLConfig& chosen) {
    for (EGLint depthBits : {24, 16}) {
        const EGLint wanted[][2] = {{EGL_SURFACE_TYPE, EGL_WINDOW_BIT},
                                    {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT},
                                    {EGL_RED_SIZE, 8},
                                    {EGL_GREEN_SIZE, 8},
                                    {EGL_BLUE_SIZE, 8},
                                    {EGL_DEPTH_SIZE, depthBits},
                                    {EGL_NONE, EGL_NONE}};
        EGLint count = 0;
        if (!eglChooseConfig(display, wanted[0], nullptr, 0, &count) || count == 0)
            continue;
        std::vector<EGLConfig> configs(static_cast<size_t>(count));
        if (!eglChooseConfig(display, wanted[0], configs.data(), count, &count))
            continue;
        int best = 0;
        for (EGLint i = 0; i < count; ++i) {
            EGLint red = 0, green = 0, blue = 0, alpha = 0;
            eglGetConfigAttrib(display, configs[i], EGL_RED_SIZE, &red);
            eglGetConfigAttrib(display, configs[i], EGL_GREEN_SIZE, &green);
            eglGetConfigAttrib(display, configs[i], EGL_BLUE_SIZE, &blue);
            eglGetConfigAttrib(display, configs[i], EGL_ALPHA_SIZE, &alpha);
            if (alpha > 0 && !presentOpaque)
                continue;
            const bool eightBits = red == 8 && green == 8 && blue == 8;
            const int rank = 1 + (eightBits ? 2 : 0) + (alpha == 0 ? 1 : 0);
            if (rank > best) {
                best = rank;
                chosen = configs[i];
            }
        }
        if (best > 0)
            return true;
    }
    return false;
}

}  // namespace

bool startEgl(WlClient& client, std::string& why) {
    client.eglDisplay = waylandDisplay(client.display);
    EGLint major = 0, minor = 0;
    if (client.eglDisplay == EGL_NO_DISPLAY || !eglInitialize(client.eglDisplay, &major, &minor)) {
        client.eglDisplay = EGL_NO_DISPLAY;
        why = "EGL cannot open the compositor's display";
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        why = "EGL offers no desktop OpenGL";
        return false;
    }
    const bool presentOpaque =
        extensionListed(eglQueryString(client.eglDisplay, EGL_EXTENSIONS), "EGL_EXT_present_opaque");
    if (!chooseConfig(client.eglDisplay, presentOpaque, client.eglConfig)) {
        why = "EGL offers no opaque OpenGL window configuration with 8-bit colour and a depth buffer";
        return false;
    }
    client.eglContext = eglCreateContext(client.eglDisplay, client.eglConfig, EGL_NO_CONTEXT, nullptr);
    if (client.eglContext == EGL_NO_CONTEXT) {
        why = "EGL made no OpenGL context";
        return false;
    }
    client.surfaceless =
        extensionListed(eglQueryString(client.eglDisplay, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context");
    client.egl = true;
    return true;
}

void giveUpEgl(WlClient& client, const std::string& why) {
    std::fprintf(stderr, "petalrain: no OpenGL on Wayland (%s); the outputs stay white\n", why.c_str());
    client.egl = false;
}

bool makeEglSurface(WlClient& client, WlOutput& output, std::string& why) {
    output.eglWindow = wl_egl_window_create(output.surface, output.bufferWidth, output.bufferHeight);
    if (output.eglWindow) {
        // Where the configuration has alpha, the compositor is told to ignore it.
        EGLint alpha = 0;
        eglGetConfigAttrib(client.eglDisplay, client.eglConfig, EGL_ALPHA_SIZE, &alpha);
        const EGLint opaque[] = {EGL_PRESENT_OPAQUE_EXT, EGL_TRUE, EGL_NONE};
        output.eglSurface = eglCreateWindowSurface(client.eglDisplay, client.eglConfig,
                                                   reinterpret_cast<EGLNativeWindowType>(output.eglWindow),
                                                   alpha > 0 ? opaque : nullptr);
    }
    if (output.eglSurface == EGL_NO_SURFACE || !makeCurrent(client, &output)) {
        why = "EGL made no window surface for output " + output.name;
        dropEglSurface(client, output);
        return false;
    }
    // The frame callbacks pace the frames; a swap must never wait for one of its own.
    eglSwapInterval(client.eglDisplay, 0);
    return true;
}

void dropEglSurface(WlClient& client, WlOutput& output) {
    if (output.eglSurface != EGL_NO_SURFACE) {
        // Not current while it goes: its window goes with it at once.
        if (eglGetCurrentSurface(EGL_DRAW) == output.eglSurface)
            eglMakeCurrent(client.eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroySurface(client.eglDisplay, output.eglSurface);
    }
    if (output.eglWindow)
        wl_egl_window_destroy(output.eglWindow);
    output.eglSurface = EGL_NO_SURFACE;
    output.eglWindow = nullptr;
}

bool makeCurrent(WlClient& client, const WlOutput* output) {
    if (!output && !client.surfaceless)
        return false;
    const EGLSurface surface = output ? output->eglSurface : EGL_NO_SURFACE;
    return eglMakeCurrent(client.eglDisplay, surface, surface, client.eglContext);
}

void stopEgl(WlClient& client) {
    if (client.eglDisplay == EGL_NO_DISPLAY)
        return;
    eglMakeCurrent(client.eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (client.eglContext != EGL_NO_CONTEXT)
        eglDestroyContext(client.eglDisplay, client.eglContext);
    // The display is left to the process's end, as the X11 side leaves its connection: a
    // terminated display takes the driver's threads down before the sanitizer builds' leak
    // check, which then blames their runtime's memory on us. EGL touches the connection no more.
    eglReleaseThread();
    client.eglDisplay = EGL_NO_DISPLAY;
    client.eglContext = EGL_NO_CONTEXT;
}

void* eglProcAddress(const char* name) {
    return reinterpret_cast<void*>(eglGetProcAddress(name));
}
