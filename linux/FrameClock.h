// Frame cadence: one deadline per frame, a period apart. A frame that runs late is
// followed at once by the next, never by a run of frames that catch up.
#pragma once

#include <cstdint>

struct FrameClock {
    int64_t periodNs;
    int64_t nextNs;  // when the next frame is due
};

// The first frame is due at nowNs.
void frameClockStart(FrameClock& clock, int64_t periodNs, int64_t nowNs);

// Nanoseconds until the next frame is due; 0 when it is due now.
int64_t frameClockWait(const FrameClock& clock, int64_t nowNs);

// Called when a frame is done: the next one is due a period after this one was,
// or at once when that moment has passed.
void frameClockAdvance(FrameClock& clock, int64_t nowNs);

// The monotonic clock, in nanoseconds.
int64_t frameClockNow();
