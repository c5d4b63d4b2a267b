// petalrain on Linux: a screen-saver hack for XScreenSaver and compatible hosts, a window of
// its own, or a live background on a Wayland compositor's outputs.
#include <cstdio>
#include <malloc.h>

#include "HostOptions.h"
#include "StopSignals.h"
#include "wl_host.h"
#include "x11_host.h"

int main(int argc, char** argv) {
    HostOptions options;
    std::string warnings;
    std::string error;
    if (!parseHostOptions(argc, argv, options, warnings, error) ||
        !settleHostTarget(options, hostEnvironment(), error)) {
        std::fprintf(stderr, "petalrain: %s\n%s", error.c_str(), hostUsage);
        return 2;
    }
    std::fputs(warnings.c_str(), stderr);
    if (options.help) {
        std::fputs(hostUsage, stdout);
        return 0;
    }

    // Mesa's software renderer frees its large per-frame bins and takes them again on the
    // next frame; kept in the heap they are not faulted in anew every frame. A frame of
    // sprites bins a few megabytes: more than 64 MiB free at the top is a passing peak,
    // given back.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    const int signalFile = watchStopSignals();
    if (signalFile < 0) {
        std::perror("petalrain: signalfd");
        return 1;
    }
    return options.target == HostTarget::Wayland ? runWaylandHost(options, signalFile)
                                                 : runX11Host(options, signalFile);
}
