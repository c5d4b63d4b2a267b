// petalrain on Linux: a screen-saver hack for XScreenSaver and compatible hosts, or a
// window of its own.
#include <X11/Xlib.h>
#include <csignal>
#include <malloc.h>
#include <cstdio>
#include <sys/signalfd.h>

#include "FlowerScene.h"
#include "FrameLoop.h"
#include "x11_window.h"
#include "HostOptions.h"
#include "MqoGl.h"
#include "SceneStart.h"

namespace {

// The daemon ends a hack with SIGTERM, a shell with SIGINT or SIGHUP. They are taken as
// readable events, so a frame in progress completes and tear-down runs in order.
int watchStopSignals() {
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGHUP);
    sigprocmask(SIG_BLOCK, &stops, nullptr);
    return signalfd(-1, &stops, SFD_CLOEXEC | SFD_NONBLOCK);
}

}  // namespace

int main(int argc, char** argv) {
    HostOptions options;
    std::string warnings;
    std::string error;
    if (!parseHostOptions(argc, argv, options, warnings, error)) {
        std::fprintf(stderr, "petalrain: %s\n%s", error.c_str(), hostUsage);
        return 2;
    }
    std::fputs(warnings.c_str(), stderr);
    if (options.help) {
        std::fputs(hostUsage, stdout);
        return 0;
    }

    // Mesa's software renderer frees its large per-frame bins and takes them again on the
    // next frame; kept in the heap they are not faulted in anew every frame.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    const int signalFile = watchStopSignals();
    if (signalFile < 0) {
        std::perror("petalrain: signalfd");
        return 1;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "petalrain: cannot open display \"%s\"\n", XDisplayName(nullptr));
        return 1;
    }
    installXErrorTrap();
    GlxWindow target;
    if (!openGlxWindow(display, options, target, error)) {
        std::fprintf(stderr, "petalrain: %s\n", error.c_str());
        return 1;
    }

    mqoSetGlProcLookup(glxProcAddress);
    const SceneStart start{target.width,        target.height, static_cast<int16_t>(options.count),
                           static_cast<int16_t>(options.size), options.seeded, options.seed,
                           options.renderer};
    if (!sceneStart(start))
        std::fprintf(stderr, "petalrain: the flower model did not load; the screen stays white\n");
    if (const char* fallback = sceneRendererFallback())
        std::fprintf(stderr, "petalrain: drawing with the fixed-function path: %s\n", fallback);
    runFrameLoop(target, options, signalFile);

    // The scene goes while its context is still current, so the model's buffers go with it.
    sceneRelease();
    closeGlxWindow(target);
    // The connection closes with the process. Closed here, it would unload the OpenGL driver
    // first, and the sanitizer builds' leak report could no longer name the driver's own memory.
    return 0;
}
