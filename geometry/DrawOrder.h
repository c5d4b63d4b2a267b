// The flowers nearest first, by depth and then flower number: with the depth test, drawn
// in this order they hide each other as the fixed-function path's array order has them.
#pragma once

#include <cstdint>
#include <memory>

#include "Flower.h"

struct DrawOrder {
    std::unique_ptr<int32_t[]> flowers;  // flower numbers
    int32_t count;
};

// Sized once, for count flowers in array order.
void drawOrderReset(DrawOrder& order, int32_t count);

// Sorts the flowers as they stand now, order.count of them; allocates nothing.
void drawOrderSort(DrawOrder& order, const Flower* flowers);
