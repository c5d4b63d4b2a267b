#include "DrawOrder.h"

void drawOrderReset(DrawOrder& order, int32_t count) {
    order.count = count > 0 ? count : 0;
    order.flowers.reset(new int32_t[static_cast<size_t>(order.count) + 1]);
    for (int32_t i = 0; i < order.count; ++i)
        order.flowers[i] = i;
}

// Depths change only when a flower respawns, so last frame's order is nearly sorted
// and an insertion sort costs little more than one pass.
void drawOrderSort(DrawOrder& order, const Flower* flowers) {
    const auto nearerFirst = [flowers](int32_t a, int32_t b) {
        return flowers[a].depth < flowers[b].depth || (flowers[a].depth == flowers[b].depth && a < b);
    };
    int32_t* numbers = order.flowers.get();
    for (int32_t i = 1; i < order.count; ++i) {
        const int32_t flower = numbers[i];
        int32_t j = i;
        while (j > 0 && nearerFirst(flower, numbers[j - 1])) {
            numbers[j] = numbers[j - 1];
            --j;
        }
        numbers[j] = flower;
    }
}
