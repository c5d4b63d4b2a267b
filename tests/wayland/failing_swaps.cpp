// Preloaded into the host by the tests: eglSwapBuffers fails on the swaps that
// PETALRAIN_TEST_FAILING_SWAPS lists (counted from 1, separated by commas), as a driver's swap
// fails when its buffer cannot be had; every other swap is EGL's own.
#include <EGL/egl.h>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

extern "C" EGLBoolean eglSwapBuffers(EGLDisplay display, EGLSurface surface) {
    static long swaps = 0;
    static const auto real =
        reinterpret_cast<EGLBoolean (*)(EGLDisplay, EGLSurface)>(dlsym(RTLD_NEXT, "eglSwapBuffers"));
    ++swaps;
    const char* failing = std::getenv("PETALRAIN_TEST_FAILING_SWAPS");
    for (const char* at = failing; at && *at; at = std::strchr(at, ',') ? std::strchr(at, ',') + 1 : nullptr)
        if (std::atol(at) == swaps)
            return EGL_FALSE;
    return real(display, surface);
}
