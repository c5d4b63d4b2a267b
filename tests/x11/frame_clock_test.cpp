// Frame cadence: steady when frames are quick, at once after a slow one, never a burst.
#include <gtest/gtest.h>

#include "FrameClock.h"

namespace {
constexpr int64_t period = 15625000;  // 64 frames a second
}

TEST(FrameClock, QuickFramesKeepASteadyCadence) {
    FrameClock clock{};
    frameClockStart(clock, period, 1000);
    EXPECT_EQ(frameClockWait(clock, 1000), 0) << "the first frame is due at once";
    for (int frame = 0; frame < 100; ++frame) {
        const int64_t due = 1000 + frame * period;
        frameClockAdvance(clock, due + 4000000 + frame % 3 * 1000000);  // a frame takes 4 to 6 ms
        EXPECT_EQ(clock.nextNs, due + period) << "no drift at frame " << frame;
    }
    EXPECT_EQ(frameClockWait(clock, clock.nextNs - 5), 5);
}

TEST(FrameClock, ASlowFrameIsFollowedAtOnceWithoutCatchingUp) {
    FrameClock clock{};
    frameClockStart(clock, period, 0);
    frameClockAdvance(clock, 5 * period + 7);  // a frame as long as five
    EXPECT_EQ(frameClockWait(clock, 5 * period + 7), 0) << "the next frame follows at once";
    frameClockAdvance(clock, 5 * period + 1000);
    EXPECT_EQ(clock.nextNs, 6 * period + 7) << "and then the cadence resumes from there";
}

TEST(FrameClock, ZeroDelayDrawsAsFastAsFramesGo) {
    FrameClock clock{};
    frameClockStart(clock, 0, 10);
    frameClockAdvance(clock, 50);
    EXPECT_EQ(frameClockWait(clock, 50), 0);
}
