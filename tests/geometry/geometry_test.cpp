// What the frame paths know without OpenGL: the outline's field and the flowers' draw order.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "DrawOrder.h"
#include "OutlineField.h"

namespace {

// A model of one object and one batch: the triangles given, in the model's plane z.
struct PlainModel {
    std::vector<MqoPlainVertex> corners;
    MqoMaterialBatch batch{};
    MqoModel model{};

    explicit PlainModel(const std::vector<std::array<float, 2>>& points, float z = 0.25f) {
        for (const auto& point : points)
            corners.push_back({{point[0], point[1], z}, {0, 0, 1}});
        batch.hasMaterial = 1;
        batch.vertexCount = static_cast<int32_t>(corners.size());
        batch.plainVertices = corners.data();
        batch.diffuse[3] = 1.0f;
        model.alpha = 255;
        model.objectCount = 1;
        model.objects[0] = {"o", 1, 0, 1, &batch};
    }
};

}  // namespace

// A square of two triangles: every texel whose centre lies clearly inside is inside, every
// one clearly outside is outside, and the margin around the outline is outside.
TEST(OutlineField, TellsInsideFromOutsideAtEveryTexel) {
    PlainModel square({{-1, -1}, {1, -1}, {1, 1}, {-1, -1}, {1, 1}, {-1, 1}});
    for (int size : {64, 512}) {
        OutlineField field;
        ASSERT_EQ(buildOutlineField(&square.model, size, field), nullptr);
        ASSERT_EQ(field.texels.size(), static_cast<size_t>(size) * size);
        EXPECT_EQ(field.plane, 0.25f);
        EXPECT_LT(field.quad[0], -1.0f);
        EXPECT_GT(field.quad[2], 1.0f);
        const double texel = field.extent / size;
        int wrong = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const double px = field.left + (x + 0.5) * texel;
                const double py = field.bottom + (y + 0.5) * texel;
                const double outside = std::max(std::fabs(px), std::fabs(py)) - 1.0;  // signed distance
                if (std::fabs(outside) < texel)
                    continue;
                wrong += (field.texels[static_cast<size_t>(y) * size + x] > 127) != (outside < 0);
            }
        EXPECT_EQ(wrong, 0) << size;
        for (int i = 0; i < size; ++i)
            for (const size_t at : {static_cast<size_t>(i), static_cast<size_t>(size - 1) * size + i,
                                    static_cast<size_t>(i) * size, static_cast<size_t>(i) * size + size - 1})
                EXPECT_LT(field.texels[at], 128) << "the field's border must lie outside";
    }
}

TEST(DrawOrder, NearestFirstAndInArrayOrderAtTheSameDepth) {
    const struct {
        std::vector<float> depths;
        std::vector<int32_t> order;
    } cases[] = {
        {{}, {}},
        {{3}, {0}},
        {{3, 1, 2}, {1, 2, 0}},
        {{6.5f, 1, 6.5f, 1, 6.5f}, {1, 3, 0, 2, 4}},
        {{5, 4, 3, 2, 1}, {4, 3, 2, 1, 0}},
    };
    for (const auto& c : cases) {
        std::vector<Flower> flowers(c.depths.size());
        for (size_t i = 0; i < flowers.size(); ++i)
            flowers[i].depth = c.depths[i];
        DrawOrder order;
        drawOrderReset(order, static_cast<int32_t>(flowers.size()));
        drawOrderSort(order, flowers.data());
        EXPECT_EQ(std::vector<int32_t>(order.flowers.get(), order.flowers.get() + order.count), c.order);
        // A respawn moves one flower: the order follows from last frame's.
        if (!flowers.empty()) {
            flowers.back().depth = 0.5f;
            drawOrderSort(order, flowers.data());
            EXPECT_EQ(order.flowers[0], static_cast<int32_t>(flowers.size() - 1));
        }
    }
}
