// The saver's persisted settings; each host fills them its own way.
#pragma once

#include <cstdint>

struct SaverSettings {
    int16_t hanaNum;   // number of flowers
    int16_t hanaRate;  // flower size in percent
    int16_t screen;    // 1: all monitors, 0: primary monitor
};

extern SaverSettings saverSettings;  // zero until loaded
