#include "FrameClock.h"

#include <ctime>

void frameClockStart(FrameClock& clock, int64_t periodNs, int64_t nowNs) {
    clock.periodNs = periodNs;
    clock.nextNs = nowNs;
}

int64_t frameClockWait(const FrameClock& clock, int64_t nowNs) {
    return clock.nextNs > nowNs ? clock.nextNs - nowNs : 0;
}

void frameClockAdvance(FrameClock& clock, int64_t nowNs) {
    clock.nextNs += clock.periodNs;
    if (clock.nextNs < nowNs)
        clock.nextNs = nowNs;
}

int64_t frameClockNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}
