// The instanced frame path against the fixed-function one: the same flowers give the same
// picture, and what only the fixed-function path draws right falls back to it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FlowerScene.h"
#include "HeadlessGl.h"
#include "InstancedFramePath.h"
#include "SceneStart.h"

namespace {

struct PictureCase {
    const char* name;
    int width, height;
    int16_t flowers, size;
    int frames;
    uint32_t seed;
};

void PrintTo(const PictureCase& c, std::ostream* out) {
    *out << c.name;
}

// The picture's colours, alpha aside, row by row.
std::vector<uint32_t> render(const PictureCase& c, SceneRenderer renderer) {
    std::vector<uint32_t> pixels(static_cast<size_t>(c.width) * c.height);
    EXPECT_TRUE(headlessGlOpen(c.width, c.height)) << "no offscreen OpenGL context";
    EXPECT_TRUE(sceneStart({c.width, c.height, c.flowers, c.size, true, c.seed, renderer}));
    EXPECT_EQ(sceneActiveRenderer(), renderer);
    for (int frame = 0; frame < c.frames; ++frame)
        sceneRenderFrame();
    headlessGlReadPixels(reinterpret_cast<uint8_t*>(pixels.data()));
    sceneRelease();
    headlessGlClose();
    for (uint32_t& pixel : pixels)
        pixel &= 0x00ffffffu;  // little-endian RGBA
    return pixels;
}

class FramePathPicture : public ::testing::TestWithParam<PictureCase> {};

}  // namespace

TEST_P(FramePathPicture, InstancedDrawsWhatFixedDraws) {
    const PictureCase& c = GetParam();
    const std::vector<uint32_t> fixed = render(c, SceneRenderer::Fixed);
    const std::vector<uint32_t> instanced = render(c, SceneRenderer::Instanced);
    const auto at = [&](int x, int y) { return fixed[static_cast<size_t>(y) * c.width + x]; };
    // A pixel on a flower's edge has a neighbour of another colour in the fixed picture.
    const auto onEdge = [&](int x, int y) {
        for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, c.height - 1); ++ny)
            for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, c.width - 1); ++nx)
                if (at(nx, ny) != at(x, y))
                    return true;
        return false;
    };
    long differing = 0, inside = 0, tinted = 0;
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            tinted += at(x, y) != 0x00ffffffu;
            if (at(x, y) != instanced[static_cast<size_t>(y) * c.width + x]) {
                ++differing;
                inside += !onEdge(x, y);
            }
        }
    EXPECT_GT(tinted, 0) << "no flower in sight: the comparison would prove nothing";
    EXPECT_LE(differing, static_cast<long>(c.width) * c.height / 1000) << differing << " pixels differ";
    EXPECT_EQ(inside, 0) << "pixels inside flowers differ: a flower is misplaced, mis-tinted or out of order";
}

INSTANTIATE_TEST_SUITE_P(Scenes, FramePathPicture,
                         ::testing::Values(PictureCase{"Default", 1920, 1080, 7500, 100, 3, 11},
                                           PictureCase{"SmallFlowersRespawnAndWrap", 120, 900, 250, 10, 40, 12},
                                           PictureCase{"LargestSize", 640, 360, 2000, 300, 3, 13},
                                           PictureCase{"OneFlower", 320, 240, 1, 100, 3, 38},
                                           PictureCase{"MostFlowers", 960, 540, 10000, 100, 3, 15}),
                         [](const auto& info) { return std::string(info.param.name); });

// Models of one visible object with two batches, one triangle each, spoilt one way each.
TEST(FramePathChoice, WhatOnlyTheFixedPathDrawsRightFallsBack) {
    ASSERT_TRUE(headlessGlOpen(16, 16));
    const struct {
        void (*spoil)(MqoModel&, MqoMaterialBatch*);
        const char* reason;  // null: the instanced path takes it
    } cases[] = {
        {[](MqoModel&, MqoMaterialBatch*) {}, nullptr},
        {[](MqoModel&, MqoMaterialBatch* b) { b[0].useTexture = 1; }, "textured"},
        {[](MqoModel&, MqoMaterialBatch* b) { b[1].diffuse[0] = 0.5f; }, "several materials"},
        {[](MqoModel&, MqoMaterialBatch* b) { b[0].diffuse[3] = b[1].diffuse[3] = 0.5f; }, "transparent"},
        {[](MqoModel& m, MqoMaterialBatch*) { m.alpha = 128; }, "transparent"},
        {[](MqoModel& m, MqoMaterialBatch*) { m.objects[0].visible = 0; }, "no triangles"},
    };
    MqoPlainVertex corners[3] = {{{0, 0, 0}, {}}, {{1, 0, 0}, {}}, {{0, 1, 0}, {}}};
    for (const auto& c : cases) {
        MqoModel model{};
        MqoMaterialBatch batches[2]{};
        model.alpha = 255;
        model.objectCount = 1;
        model.objects[0] = {"o", 1, 0, 2, batches};
        for (MqoMaterialBatch& batch : batches) {
            batch.hasMaterial = 1;
            batch.vertexCount = 3;
            batch.plainVertices = corners;
            batch.diffuse[3] = 1.0f;
        }
        c.spoil(model, batches);
        const char* reason = nullptr;
        EXPECT_EQ(instancedPathStart(&model, 10, &reason), c.reason == nullptr) << reason;
        if (c.reason) {
            EXPECT_NE(std::string(reason ? reason : "").find(c.reason), std::string::npos) << reason;
        }
        instancedPathRelease(true);
    }
    const char* reason = nullptr;
    EXPECT_FALSE(instancedPathStart(nullptr, 10, &reason));
    headlessGlClose();
}

TEST(FramePathChoice, EnvironmentForcesTheFixedPath) {
    static char forced[] = "PETALRAIN_RENDERER=fixed";
    static char cleared[] = "PETALRAIN_RENDERER=";
    ASSERT_TRUE(headlessGlOpen(64, 64));
    for (char* setting : {forced, cleared}) {
        putenv(setting);
        sceneStart({64, 64, 10, 100, true, 1, SceneRenderer::Automatic});
        EXPECT_EQ(sceneActiveRenderer(), setting == forced ? SceneRenderer::Fixed : SceneRenderer::Instanced);
        EXPECT_EQ(sceneRendererFallback() != nullptr, setting == forced);
        sceneRelease();
    }
    headlessGlClose();
}
