// The motion rule that ends a saver, as one table of motion sequences.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "WakeRule.h"

namespace {

TEST(WakeRuleTest, MotionEndsTheSaverOnlyAfterSixEventsAndBeyondThreePixels) {
    using Points = std::vector<std::pair<double, double>>;
    const Points still(6, {100, 100});
    const auto after = [](Points first, const Points& more) {
        first.insert(first.end(), more.begin(), more.end());
        return first;
    };
    const struct {
        const char* name;
        bool placed;  // the pointer stood at (100, 100) when the saver appeared
        Points motions;
        int endingMotion;  // the 1-based motion that ends it; 0: none does
    } cases[] = {
        {"six far motions are the window's appearing",
         true,
         {{200, 100}, {0, 0}, {500, 500}, {9, 9}, {1, 1}, {2, 2}},
         0},
        {"jitter within 3 px on both axes", true, after(still, {{103, 103}, {97, 97}, {100, 103}, {103, 97}}), 0},
        {"beyond 3 px horizontally", true, after(still, {{103.5, 100}}), 7},
        {"beyond 3 px vertically alone", true, after(still, {{100, 101}, {100, 96}}), 8},
        {"back within 3 px after far early motions", true, after(Points(6, {400, 400}), {{102, 98}, {110, 100}}), 8},
        {"without a known place the first motion is the start", false, after(Points(6, {60, 60}), {{62, 63}, {64, 60}}),
         8},
    };
    for (const auto& test : cases) {
        WakeRule rule{};
        if (test.placed) {
            wakePointerAt(rule, 100, 100);
            wakePointerAt(rule, 150, 150);  // a later place is no new start
        }
        int ended = 0;
        for (size_t i = 0; i < test.motions.size() && ended == 0; ++i)
            if (wakeOnMotion(rule, test.motions[i].first, test.motions[i].second))
                ended = static_cast<int>(i) + 1;
        EXPECT_EQ(ended, test.endingMotion) << test.name;
    }
}

}  // namespace
