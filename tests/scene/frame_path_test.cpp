// The instanced frame path against the fixed-function one: the same flowers give the same
// picture, and models that only the fixed-function path draws right fall back to it.
#include <gtest/gtest.h>

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
    int width;
    int height;
    int16_t flowers;
    int16_t size;
    int frames;
    uint32_t seed;
};

void PrintTo(const PictureCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<uint8_t> render(const PictureCase& c, SceneRenderer renderer) {
    std::vector<uint8_t> pixels(static_cast<size_t>(c.width) * c.height * 4);
    EXPECT_TRUE(headlessGlOpen(c.width, c.height)) << "no offscreen OpenGL context";
    EXPECT_TRUE(sceneStart({c.width, c.height, c.flowers, c.size, true, c.seed, renderer}));
    EXPECT_EQ(sceneActiveRenderer(), renderer);
    for (int frame = 0; frame < c.frames; ++frame)
        sceneRenderFrame();
    headlessGlReadPixels(pixels.data());
    sceneRelease();
    headlessGlClose();
    return pixels;
}

uint32_t colourAt(const std::vector<uint8_t>& pixels, int width, int x, int y) {
    uint32_t colour;
    std::memcpy(&colour, &pixels[(static_cast<size_t>(y) * width + x) * 4], sizeof colour);
    return colour & 0x00ffffffu;  // little-endian RGBA: alpha aside
}

// A pixel on a flower's edge has a neighbour of another colour in the reference picture.
bool onEdge(const std::vector<uint8_t>& pixels, int width, int height, int x, int y) {
    const uint32_t centre = colourAt(pixels, width, x, y);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx;
            const int ny = y + dy;
            if (nx >= 0 && ny >= 0 && nx < width && ny < height && colourAt(pixels, width, nx, ny) != centre)
                return true;
        }
    return false;
}

class FramePathPicture : public ::testing::TestWithParam<PictureCase> {};

}  // namespace

TEST_P(FramePathPicture, InstancedDrawsWhatFixedDraws) {
    const PictureCase& c = GetParam();
    const std::vector<uint8_t> fixed = render(c, SceneRenderer::Fixed);
    const std::vector<uint8_t> instanced = render(c, SceneRenderer::Instanced);
    long differing = 0;
    long inside = 0;
    long tinted = 0;
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            tinted += colourAt(fixed, c.width, x, y) != 0x00ffffffu;
            if (colourAt(fixed, c.width, x, y) == colourAt(instanced, c.width, x, y))
                continue;
            ++differing;
            inside += !onEdge(fixed, c.width, c.height, x, y);
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

namespace {

// A model of one object whose batches draw a triangle each.
struct HandMadeModel {
    MqoModel model{};
    MqoMaterialBatch batches[2]{};
    MqoPlainVertex corners[3]{{{0, 0, 0}, {}}, {{1, 0, 0}, {}}, {{0, 1, 0}, {}}};

    explicit HandMadeModel(int batchCount) {
        model.alpha = 255;
        model.objectCount = 1;
        model.objects[0].visible = 1;
        model.objects[0].batchCount = batchCount;
        model.objects[0].batches = batches;
        for (MqoMaterialBatch& batch : batches) {
            batch.hasMaterial = 1;
            batch.vertexCount = 3;
            batch.plainVertices = corners;
            batch.diffuse[3] = 1.0f;
        }
    }
};

struct RefusedModel {
    const char* name;
    void (*spoil)(HandMadeModel&);
    const char* reason;
};

}  // namespace

TEST(FramePathChoice, ModelsOnlyTheFixedPathDrawsRightFallBack) {
    ASSERT_TRUE(headlessGlOpen(16, 16));
    const RefusedModel refused[] = {
        {"textured", [](HandMadeModel& m) { m.batches[0].useTexture = 1; }, "textured"},
        {"two materials", [](HandMadeModel& m) { m.batches[1].diffuse[0] = 0.5f; }, "several materials"},
        {"see-through material", [](HandMadeModel& m) { m.batches[0].diffuse[3] = m.batches[1].diffuse[3] = 0.5f; }, "transparent"},
        {"see-through model", [](HandMadeModel& m) { m.model.alpha = 128; }, "transparent"},
        {"hidden object", [](HandMadeModel& m) { m.model.objects[0].visible = 0; }, "no triangles"},
    };
    for (const RefusedModel& r : refused) {
        HandMadeModel made(2);
        r.spoil(made);
        const char* reason = nullptr;
        EXPECT_FALSE(instancedPathStart(&made.model, 10, &reason)) << r.name;
        EXPECT_NE(std::string(reason ? reason : "").find(r.reason), std::string::npos) << r.name << ": " << reason;
    }
    const char* reason = nullptr;
    EXPECT_FALSE(instancedPathStart(nullptr, 10, &reason));
    HandMadeModel twoBatchesOneMaterial(2);
    EXPECT_TRUE(instancedPathStart(&twoBatchesOneMaterial.model, 10, &reason)) << reason;
    instancedPathRelease(true);
    headlessGlClose();
}

TEST(FramePathChoice, EnvironmentForcesTheFixedPath) {
    const PictureCase c{"", 64, 64, 10, 100, 1, 1};
    static char forced[] = "PETALRAIN_RENDERER=fixed";
    static char cleared[] = "PETALRAIN_RENDERER=";
    putenv(forced);
    ASSERT_TRUE(headlessGlOpen(c.width, c.height));
    sceneStart({c.width, c.height, c.flowers, c.size, true, c.seed, SceneRenderer::Automatic});
    putenv(cleared);
    EXPECT_EQ(sceneActiveRenderer(), SceneRenderer::Fixed);
    EXPECT_NE(sceneRendererFallback(), nullptr);
    sceneRelease();
    sceneStart({c.width, c.height, c.flowers, c.size, true, c.seed, SceneRenderer::Automatic});
    EXPECT_EQ(sceneActiveRenderer(), SceneRenderer::Instanced);
    EXPECT_EQ(sceneRendererFallback(), nullptr);
    sceneRelease();
    headlessGlClose();
}
