#include "DrawOrder.h"

#include "FlowerSceneState.h"

namespace {

bool nearerFirst(int32_t a, int32_t b) {
    const float depthA = flowerScene.flowers[a].depth;
    const float depthB = flowerScene.flowers[b].depth;
    return depthA < depthB || (depthA == depthB && a < b);
}

}  // namespace

void drawOrderReset(DrawOrder& order, int32_t count) {
    order.count = count > 0 ? count : 0;
    order.flowers.reset(new int32_t[static_cast<size_t>(order.count) + 1]);
    for (int32_t i = 0; i < order.count; ++i)
        order.flowers[i] = i;
}

// Depths change only when a flower respawns, so last frame's order is nearly sorted
// and an insertion sort costs little more than one pass.
void drawOrderSort(DrawOrder& order) {
    int32_t* flowers = order.flowers.get();
    for (int32_t i = 1; i < order.count; ++i) {
        const int32_t flower = flowers[i];
        int32_t j = i;
        while (j > 0 && nearerFirst(flower, flowers[j - 1])) {
            flowers[j] = flowers[j - 1];
            --j;
        }
        flowers[j] = flower;
    }
}
