// One scene over several outputs: each output's part of it, at the finest output's density.
#include <gtest/gtest.h>

#include <vector>

#include "wl_layout.h"

TEST(OutputLayout, PartsTileTheBoundingBoxAtTheHighestScale) {
    struct Case {
        std::vector<OutputPlace> places;
        SceneArea area;
        std::vector<ScenePart> parts;
    };
    const Case cases[] = {
        {{{0, 0, 1920, 1080, 1.0}}, {0, 0, 1.0, 1920, 1080}, {{0, 0, 1920, 1080}}},
        {{{0, 0, 960, 540, 2.0}}, {0, 0, 2.0, 1920, 1080}, {{0, 0, 1920, 1080}}},
        // side by side, the second one lower and left of the origin
        {{{0, 0, 1280, 720, 1.0}, {-1280, 200, 1280, 720, 1.0}},
         {-1280, 0, 1.0, 2560, 920},
         {{1280, 0, 1280, 720}, {0, 200, 1280, 720}}},
        // a scale-2 output beside a scale-1 one: the whole area at scale 2
        {{{0, 0, 1280, 720, 1.0}, {1280, 0, 640, 360, 2.0}},
         {0, 0, 2.0, 3840, 1440},
         {{0, 0, 2560, 1440}, {2560, 0, 1280, 720}}},
        // fractional: neighbours meet without a gap or an overlap
        {{{0, 0, 1707, 960, 1.5}, {1707, 0, 1707, 960, 1.5}},
         {0, 0, 1.5, 5121, 1440},
         {{0, 0, 2561, 1440}, {2561, 0, 2560, 1440}}},
    };
    for (const Case& c : cases) {
        const SceneArea area = sceneAreaOf(c.places.data(), static_cast<int>(c.places.size()));
        EXPECT_EQ(area.originX, c.area.originX);
        EXPECT_EQ(area.originY, c.area.originY);
        EXPECT_EQ(area.scale, c.area.scale);
        EXPECT_EQ(area.width, c.area.width);
        EXPECT_EQ(area.height, c.area.height);
        for (size_t i = 0; i < c.places.size(); ++i) {
            const ScenePart part = scenePartOf(area, c.places[i]);
            EXPECT_EQ(part.x, c.parts[i].x) << "case " << &c - cases << ", output " << i;
            EXPECT_EQ(part.y, c.parts[i].y);
            EXPECT_EQ(part.width, c.parts[i].width);
            EXPECT_EQ(part.height, c.parts[i].height);
        }
    }
    EXPECT_EQ(sceneAreaOf(nullptr, 0).width, 0);
    EXPECT_EQ(pixelExtent(1707, 1.5), 2561) << "half a pixel rounds up";
    EXPECT_EQ(pixelExtent(0, 2.0), 1);
}
