// The motion rule that ends a saver, as one table of motion sequences.
#include <gtest/gtest.h>

#include <vector>

#include "WakeRule.h"

namespace {

struct Point {
    double x;
    double y;
};

struct WakeCase {
    const char* name;
    bool placed;  // the pointer's place at the start is known
    Point start;
    std::vector<Point> motions;
    int endingMotion;  // the 1-based motion that ends it; 0: none does
};

TEST(WakeRuleTest, MotionEndsTheSaverOnlyAfterSixEventsAndBeyondThreePixels) {
    const WakeCase cases[] = {
        {"six far motions are the window's appearing",
         true,
         {100, 100},
         {{200, 100}, {100, 300}, {0, 0}, {500, 500}, {90, 100}, {100, 90}},
         0},
        {"jitter within 3 px on both axes",
         true,
         {100, 100},
         {{101, 100}, {102, 101}, {103, 103}, {97, 97}, {100, 103}, {103, 97}, {97, 103}, {101, 99}},
         0},
        {"the seventh motion beyond 3 px horizontally",
         true,
         {100, 100},
         {{100, 100}, {100, 100}, {100, 100}, {100, 100}, {100, 100}, {100, 100}, {103.5, 100}},
         7},
        {"beyond 3 px vertically only",
         true,
         {100, 100},
         {{100, 100}, {100, 100}, {100, 100}, {100, 100}, {100, 100}, {100, 100}, {100, 101}, {100, 96}},
         8},
        {"back within 3 px after far early motions",
         true,
         {100, 100},
         {{400, 400}, {400, 400}, {400, 400}, {400, 400}, {400, 400}, {400, 400}, {102, 98}, {110, 100}},
         8},
        {"without a known place the first motion is the start",
         false,
         {0, 0},
         {{50, 50}, {60, 60}, {60, 60}, {60, 60}, {60, 60}, {60, 60}, {52, 53}, {54, 50}},
         8},
        {"the place given at the start wins over the first motion",
         true,
         {10, 10},
         {{50, 50}, {50, 50}, {50, 50}, {50, 50}, {50, 50}, {50, 50}, {50, 50}},
         7},
    };
    for (const WakeCase& test : cases) {
        WakeRule rule{};
        if (test.placed) {
            wakePointerAt(rule, test.start.x, test.start.y);
            wakePointerAt(rule, test.start.x + 50, test.start.y + 50);  // a later place is no new start
        }
        int ended = 0;
        for (size_t i = 0; i < test.motions.size() && ended == 0; ++i)
            if (wakeOnMotion(rule, test.motions[i].x, test.motions[i].y))
                ended = static_cast<int>(i) + 1;
        EXPECT_EQ(ended, test.endingMotion) << test.name;
    }
}

}  // namespace
