#include "FrameLoop.h"

#include <poll.h>

#include "FlowerScene.h"
#include "FrameClock.h"
#include "InputWatchdog.h"

namespace {

constexpr int64_t secondNs = 1000000000;
constexpr int64_t watchedWaitNs = secondNs / 2;  // well within the input watchdog's 2 s

struct Woken {
    bool readable;  // the connection
    bool stop;      // a stop signal
};

// Sleeps until the connection or another watched file has data, a stop signal comes or the
// timeout passes (negative: none).
Woken waitForWork(const FrameSurfaces& surfaces, int signalFile, int64_t timeoutNs) {
    pollfd files[4] = {{surfaces.file, POLLIN, 0}, {signalFile, POLLIN, 0}};
    nfds_t count = 2;
    for (int i = 0; i < surfaces.moreFileCount && i < 2; ++i)
        files[count++] = {surfaces.moreFiles[i], POLLIN, 0};
    const timespec timeout{static_cast<time_t>(timeoutNs / secondNs), static_cast<long>(timeoutNs % secondNs)};
    if (ppoll(files, count, timeoutNs < 0 ? nullptr : &timeout, nullptr) < 0)
        return {false, false};
    return {files[0].revents != 0, files[1].revents != 0};
}

}  // namespace

void runFrameLoop(const FrameSurfaces& surfaces, const HostOptions& options, int signalFile) {
    const int64_t period = static_cast<int64_t>(options.delayMicroseconds) * 1000;
    FrameClock clock{};
    frameClockStart(clock, period, frameClockNow());
    FpsMeter meter;
    fpsMeterStart(meter, frameClockNow());
    int64_t lastFrameEnd = frameClockNow();
    long step = 0;

    for (;;) {
        const bool finished = options.frames > 0 && step >= options.frames;
        if ((finished && !options.hold) || !surfaces.settle(surfaces.system))
            break;
        const FrameWants wants = surfaces.wants(surfaces.system, step);
        const bool ready = finished ? wants.behind : wants.canDraw;
        const int64_t idleWait = inputWatchdogArmed() ? watchedWaitNs : -1;
        const int64_t wait = !ready ? idleWait : finished ? 0 : frameClockWait(clock, frameClockNow());
        const Woken woken = waitForWork(surfaces, signalFile, wait);
        surfaces.wake(surfaces.system, woken.readable);
        inputWatchdogBeat();
        if (woken.stop)
            break;
        // What came is handled before the next frame: input that ends a saver waits for none.
        if (woken.readable || !ready || (!finished && frameClockWait(clock, frameClockNow()) > 0))
            continue;

        const int64_t frameStart = frameClockNow();
        // After a pause (nothing shown, or held) the display counts afresh.
        if (options.fps && frameStart - lastFrameEnd > period + secondNs)
            fpsMeterStart(meter, frameStart);
        if (!finished) {
            sceneAdvance();
            ++step;
        }
        surfaces.draw(surfaces.system, step, options.fps ? &meter : nullptr);
        stallIfAsked(step);
        if (finished)
            continue;
        lastFrameEnd = frameClockNow();
        if (options.fps)
            fpsMeterCount(meter, frameStart, lastFrameEnd);
        frameClockAdvance(clock, lastFrameEnd);
    }
}
