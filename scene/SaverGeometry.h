// Origin and size of the saver window in pixels, fixed before it is created.
#pragma once

#include <cstdint>

struct SaverGeometry {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

extern SaverGeometry saverGeometry;
