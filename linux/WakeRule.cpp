#include "WakeRule.h"

#include <cmath>

namespace {

// The Windows saver's allowance: its first messages come from the window appearing.
constexpr int ignoredMotions = 6;
constexpr double allowedPixels = 3.0;

}  // namespace

void wakePointerAt(WakeRule& rule, double x, double y) {
    if (rule.placed)
        return;
    rule.placed = true;
    rule.startX = x;
    rule.startY = y;
}

bool wakeOnMotion(WakeRule& rule, double x, double y) {
    wakePointerAt(rule, x, y);
    if (++rule.motions <= ignoredMotions)
        return false;
    return std::fabs(x - rule.startX) > allowedPixels || std::fabs(y - rule.startY) > allowedPixels;
}
