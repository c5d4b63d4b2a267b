// Headless context on Mesa: EGL's surfaceless platform, desktop GL compatibility profile.
#include "HeadlessGl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <malloc.h>

namespace {
EGLDisplay display = EGL_NO_DISPLAY;
EGLContext context = EGL_NO_CONTEXT;
}

bool headlessGlCreateContext() {
    // llvmpipe frees its large per-frame bins and allocates them again on the next frame;
    // keeping freed memory in the heap spares the page faults that took half of every frame.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay)
        return false;
    display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr))
        return false;
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, 0, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configCount = 0;
    if (!eglBindAPI(EGL_OPENGL_API) ||
        !eglChooseConfig(display, configAttributes, &config, 1, &configCount) || configCount < 1) {
        headlessGlDestroyContext();
        return false;
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT || !eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        headlessGlDestroyContext();
        return false;
    }
    return true;
}

void headlessGlDestroyContext() {
    if (display == EGL_NO_DISPLAY)
        return;
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context != EGL_NO_CONTEXT)
        eglDestroyContext(display, context);
    // No eglTerminate: it unloads the driver, and leak reports inside it would lose their names.
    context = EGL_NO_CONTEXT;
    display = EGL_NO_DISPLAY;
}

void* headlessGlProc(const char* name) {
    return reinterpret_cast<void*>(eglGetProcAddress(name));
}
