// The saver's settings as both hosts offer them: defaults, and the ranges of the
// Windows dialog's trackbars, the Linux host's options and XScreenSaver's sliders.
// Values stored outside a range still reach the scene as they are (the Windows
// registry is read unchecked); only what a host offers is bounded.
#pragma once

#include <cstdint>

struct SettingLimits {
    int16_t defaultValue;
    int16_t lowest;
    int16_t highest;
};

constexpr SettingLimits flowerCountLimits = {7500, 1, 10000};
constexpr SettingLimits flowerSizeLimits = {100, 10, 300};  // percent; the dialog shows it divided by 100

// 1: all monitors, 0: the primary one.
constexpr int16_t defaultScreenSetting = 1;

// 64 frames a second.
constexpr long defaultFramePeriodMicroseconds = 15625;
