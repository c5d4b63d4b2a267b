// Preloaded into the host by the tests, to stand for drivers that behave otherwise than
// Mesa here:
//   PETALRAIN_TEST_FAILING_SWAPS=N,M,...  eglSwapBuffers fails on those swaps (from 1), as a
//                                         swap fails when its buffer cannot be had
//   PETALRAIN_TEST_ALPHA_CONFIGS=1        eglChooseConfig offers configurations with alpha alone
#include <EGL/egl.h>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <vector>

namespace {

template <typename Function>
Function* real(const char* name) {
    return reinterpret_cast<Function*>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" EGLBoolean eglSwapBuffers(EGLDisplay display, EGLSurface surface) {
    static long swaps = 0;
    static const auto swap = real<EGLBoolean(EGLDisplay, EGLSurface)>("eglSwapBuffers");
    ++swaps;
    const char* failing = std::getenv("PETALRAIN_TEST_FAILING_SWAPS");
    for (const char* at = failing; at && *at; at = std::strchr(at, ',') ? std::strchr(at, ',') + 1 : nullptr)
        if (std::atol(at) == swaps)
            return EGL_FALSE;
    return swap(display, surface);
}

extern "C" EGLBoolean eglChooseConfig(EGLDisplay display, const EGLint* wanted, EGLConfig* configs, EGLint size,
                                      EGLint* count) {
    static const auto choose =
        real<EGLBoolean(EGLDisplay, const EGLint*, EGLConfig*, EGLint, EGLint*)>("eglChooseConfig");
    if (!std::getenv("PETALRAIN_TEST_ALPHA_CONFIGS") || !wanted)
        return choose(display, wanted, configs, size, count);
    std::vector<EGLint> withAlpha;
    for (const EGLint* at = wanted; *at != EGL_NONE; at += 2)
        if (at[0] != EGL_ALPHA_SIZE)
            withAlpha.insert(withAlpha.end(), {at[0], at[1]});
    withAlpha.insert(withAlpha.end(), {EGL_ALPHA_SIZE, 8, EGL_NONE});
    return choose(display, withAlpha.data(), configs, size, count);
}
