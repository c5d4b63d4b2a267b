#include "x11_saver.h"

#include <cstdio>
#include <malloc.h>
#include <poll.h>
#include <string>
#include <unistd.h>

#include "InputWatchdog.h"
#include "session_bus.h"
#include "x11_host.h"
#include "x11_idle.h"
#include "x11_input.h"
#include "x11_window.h"

namespace {

enum class Showing { EndedByInput, Stopped, Refused, Failed };

// The X server's end is the session's: the saver leaves with it, quietly.
int serverGone(Display*) {
    _exit(0);
}

Showing show(Display* display, const HostOptions& options, int signalFile, SessionBus* bus, IdleWatch* idle) {
    // Grabbed before the window shows, so that a refused grab shows nothing.
    if (!grabInput(display)) {
        std::fprintf(stderr, "petalrain: cannot grab the keyboard and pointer: another program holds them\n");
        return Showing::Refused;
    }
    X11Window window{};
    std::string error;
    HostOptions shown = options;
    if (!openWindowForScene(display, shown, window, error)) {
        releaseInput(display);
        std::fprintf(stderr, "petalrain: %s\n", error.c_str());
        return Showing::Failed;
    }
    X11Saving saving{};
    saving.bus = bus;
    saving.idle = idle;
    placePointer(display, saving.rule);
    runOnWindow(window, shown, signalFile, &saving);
    closeX11Window(window);
    releaseInput(display);
    return saving.woken ? Showing::EndedByInput : Showing::Stopped;
}

bool stopAsked(int signalFile) {
    pollfd file{signalFile, POLLIN, 0};
    return poll(&file, 1, 0) > 0;
}

// Sleeps until the X connection, the bus or a stop signal has something; false on a stop.
bool waitForNews(Display* display, int signalFile, SessionBus* bus) {
    pollfd files[4] = {{ConnectionNumber(display), POLLIN, 0}, {signalFile, POLLIN, 0}};
    int busFiles[2];
    const int busCount = sessionBusFiles(bus, busFiles);
    for (int i = 0; i < busCount; ++i)
        files[2 + i] = {busFiles[i], POLLIN, 0};
    if (XPending(display) == 0)
        poll(files, static_cast<nfds_t>(2 + busCount), -1);
    return files[1].revents == 0;
}

// A saver daemon: the saver after each idle period that no inhibition covers.
int idleDaemon(Display* display, const HostOptions& options, int signalFile) {
    const int64_t usualMs = static_cast<int64_t>(options.idleSeconds) * 1000;
    IdleWatch idle{};
    std::string error;
    if (!idleWatchStart(display, usualMs, idle, error)) {
        std::fprintf(stderr, "petalrain: %s\n", error.c_str());
        return 1;
    }
    SessionBus* bus = sessionBusOpen({true, false});
    bool inhibited = sessionBusInhibited(bus);
    // At the start, after an inhibition or after a refused grab the session may already be
    // idle past the usual target: the next period then counts from now.
    const auto countFromNow = [&] {
        const int64_t now = idleWatchNow(idle);
        idleWatchArm(idle, now >= usualMs ? now + usualMs : usualMs);
    };
    countFromNow();
    bool running = true;
    while (running) {
        if (sessionBusProcess(bus)) {
            const bool was = inhibited;
            inhibited = sessionBusInhibited(bus);
            if (was && !inhibited)
                countFromNow();
        }
        bool idleNow = false;
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            idleNow = idleNow || idleWatchNews(idle, event) == IdleNews::Idle;
        }
        if (idleNow && !inhibited) {
            const Showing showing = show(display, options, signalFile, bus, &idle);
            if (showing == Showing::Stopped || stopAsked(signalFile))
                break;
            if (showing == Showing::EndedByInput)
                idleWatchArm(idle, usualMs);
            else
                countFromNow();
            // What the scene and the driver's frames freed goes back while the daemon waits.
            malloc_trim(0);
            continue;
        }
        running = waitForNews(display, signalFile, bus);
    }
    sessionBusClose(bus);
    return 0;
}

}  // namespace

int runX11Saver(Display* display, const HostOptions& options, int signalFile) {
    XSetIOErrorHandler(serverGone);
    // The root window's size follows the monitors: the saver's window follows it.
    XSelectInput(display, DefaultRootWindow(display), StructureNotifyMask);
    inputWatchdogStart();
    if (options.idleSeconds > 0)
        return idleDaemon(display, options, signalFile);
    const Showing showing = show(display, options, signalFile, nullptr, nullptr);
    return showing == Showing::Refused || showing == Showing::Failed ? 1 : 0;
}
