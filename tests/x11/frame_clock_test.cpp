// Frame cadence: steady when frames are quick, at once after a slow one, never a burst.
#include <gtest/gtest.h>

#include "FrameClock.h"

TEST(FrameClock, SteadyWithoutDriftAndNoCatchUpAfterASlowFrame) {
    constexpr int64_t period = 15625000;  // 64 frames a second
    FrameClock clock{};
    frameClockStart(clock, period, 0);
    EXPECT_EQ(frameClockWait(clock, 0), 0) << "the first frame is due at once";
    for (int frame = 0; frame < 100; ++frame) {
        frameClockAdvance(clock, frame * period + 4000000 + frame % 3 * 1000000);  // frames of 4 to 6 ms
        ASSERT_EQ(clock.nextNs, (frame + 1) * period) << "no drift at frame " << frame;
    }
    EXPECT_EQ(frameClockWait(clock, clock.nextNs - 5), 5);

    const int64_t late = clock.nextNs + 5 * period + 7;  // a frame as long as five
    frameClockAdvance(clock, late);
    EXPECT_EQ(frameClockWait(clock, late), 0) << "the next frame follows at once";
    frameClockAdvance(clock, late + 1000);
    EXPECT_EQ(clock.nextNs, late + period) << "then the cadence resumes, with no burst";
}
