// The scene against a real OpenGL context: camera, frames, the model file and its lifetime.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "FlowerScene.h"
#include "FlowerSceneState.h"
#include "HeadlessGl.h"
#include "SaverGeometry.h"
#include "SaverSettings.h"
#include "SceneSeed.h"
#include "SceneStart.h"
#include "ScenePlatform.h"
#include "SceneTestSupport.h"
#include "TempFolder.h"

namespace {

uint32_t fixedSeed() {
    return 1234;
}

uint32_t otherSeed() {
    return 4321;
}

struct Rgb {
    int r, g, b;
};

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override { privateTempFolder(); }

    void TearDown() override {
        if (running)
            sceneRelease();
        if (open)
            headlessGlClose();
        sceneSetSeedSource(nullptr);
        setTempFolder(privateTempFolder().string());
    }

    void openContext(int width, int height) {
        if (open)
            return;
        ASSERT_TRUE(headlessGlOpen(width, height)) << "no offscreen OpenGL context";
        open = true;
        viewWidth = width;
        viewHeight = height;
    }

    void start(int width, int height, int16_t flowers, int16_t size = 100) {
        openContext(width, height);
        sceneStart({width, height, flowers, size, false, 0, SceneRenderer::Sprite});
        running = true;
    }

    void stop() {
        sceneRelease();
        running = false;
    }

    std::vector<uint8_t> frame() {
        sceneRenderFrame();
        std::vector<uint8_t> pixels(static_cast<size_t>(viewWidth) * viewHeight * 4);
        headlessGlReadPixels(pixels.data());
        return pixels;
    }

    Rgb pixel(const std::vector<uint8_t>& pixels, int x, int y) const {
        const size_t at = (static_cast<size_t>(y) * viewWidth + x) * 4;
        return {pixels[at], pixels[at + 1], pixels[at + 2]};
    }

    bool open = false;
    bool running = false;
    int viewWidth = 0;
    int viewHeight = 0;
};

// Alpha aside: the scene clears it to 0 and the flowers leave it at 1.
bool allWhite(const std::vector<uint8_t>& pixels) {
    for (size_t i = 0; i < pixels.size(); ++i)
        if (i % 4 != 3 && pixels[i] != 255)
            return false;
    return true;
}

bool isWhite(const Rgb& c) {
    return c.r == 255 && c.g == 255 && c.b == 255;
}

Flower stillFlower(float depth, float red, float green, float blue) {
    Flower flower = flowerScene.flowers[0];
    flower.x = 0.0f;
    flower.y = 0.0f;
    flower.angle = 90.0f;
    flower.spin = 0.0f;
    flower.rise = 0.0f;
    flower.drift = 0.0f;
    flower.depth = depth;
    flower.halfWidth = depth * flowerScene.halfWidthAt100;
    flower.halfHeight = depth * flowerScene.halfHeightAt100;
    flower.red = red;
    flower.green = green;
    flower.blue = blue;
    return flower;
}

}  // namespace

TEST_F(SceneTest, ViewExtentsFollowTheWindowShape) {
    start(1920, 1080, 0);
    EXPECT_FLOAT_EQ(flowerScene.fovX, 17.777779f);
    EXPECT_FLOAT_EQ(flowerScene.halfWidthAt100, 15.391339f);
    EXPECT_FLOAT_EQ(flowerScene.halfHeightAt100, 8.7045946f);
    EXPECT_EQ(flowerScene.nearPlane, 1.0f);
    EXPECT_EQ(flowerScene.farPlane, 1000.0f);
    EXPECT_EQ(flowerScene.fovY, 10.0f);
    EXPECT_EQ(flowerScene.depthScale, 100.0f);
    EXPECT_EQ(flowerScene.flowerRadius, 3.0f);
    stop();

    saverGeometry = {0, 0, 1024, 768};
    start(1024, 768, 0);
    EXPECT_FLOAT_EQ(flowerScene.fovX, 13.333333f);
    EXPECT_FLOAT_EQ(flowerScene.halfWidthAt100, 11.583441f);
    EXPECT_FLOAT_EQ(flowerScene.halfHeightAt100, 8.7045946f);
}

// A window that grows wider: the extents follow and the flowers spread out to its new edges.
TEST_F(SceneTest, ResizeRecomputesExtentsAndFillsTheNewWidth) {
    sceneSetSeedSource(fixedSeed);
    openContext(480, 270);
    start(360, 270, 3000);
    sceneResize(1920, 1080);
    EXPECT_FLOAT_EQ(flowerScene.fovX, 17.777779f);
    EXPECT_FLOAT_EQ(flowerScene.halfWidthAt100, 15.391339f);
    sceneResize(480, 270);
    const std::vector<uint8_t> pixels = frame();
    auto coverage = [&](int left, int right) {
        int tinted = 0;
        for (int y = 0; y < viewHeight; ++y)
            for (int x = left; x < right; ++x)
                tinted += !isWhite(pixel(pixels, x, y));
        return static_cast<double>(tinted) / ((right - left) * viewHeight);
    };
    const double middle = coverage(200, 280);
    EXPECT_GT(middle, 0.2);
    EXPECT_GT(coverage(0, 40), middle / 2) << "left edge";
    EXPECT_GT(coverage(440, 480), middle / 2) << "right edge";
}

TEST_F(SceneTest, CameraGoesOnTheProjectionStackOnly) {
    start(64, 36, 3);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW) << "before the first frame";
    frame();
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);
    GLint depth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1) << "every flower pops what it pushed";

    GLfloat modelView[16], projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(modelView[i], i % 5 == 0 ? 1.0f : 0.0f);
    // Perspective of 10 degrees and aspect 64:36, looking along +z: world x turns into -x.
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    const double focal = 1.0 / std::tan(5.0 * 3.14159265358979323846 / 180.0);
    EXPECT_NEAR(projection[0], -focal / (64.0 / 36.0), 1e-4);
    EXPECT_NEAR(projection[5], focal, 1e-4);
    EXPECT_NEAR(projection[11], 1.0, 1e-6);
}

TEST_F(SceneTest, NoFlowersLeaveTheFrameWhite) {
    for (int16_t count : {0, -5, -32768}) {
        start(96, 54, count);
        EXPECT_EQ(flowerScene.flowerCount, 0);
        EXPECT_EQ(flowerScene.flowers, nullptr);
        EXPECT_TRUE(allWhite(frame()));
        EXPECT_TRUE(allWhite(frame()));
        stop();
    }
}

TEST_F(SceneTest, FlowersAreTintedOverPureWhite) {
    sceneSetSeedSource(fixedSeed);
    start(320, 180, 400);
    ASSERT_NE(flowerScene.flowerModel, nullptr) << "the flower model did not load";
    const std::vector<uint8_t> pixels = frame();
    int white = 0, tinted = 0;
    for (int y = 0; y < viewHeight; ++y) {
        for (int x = 0; x < viewWidth; ++x) {
            const Rgb c = pixel(pixels, x, y);
            if (isWhite(c)) {
                ++white;
                continue;
            }
            ++tinted;
            ASSERT_GE(c.r, 229) << x << "," << y;
            ASSERT_GE(c.g, 76) << x << "," << y;
            ASSERT_LE(c.g, 255);
            ASSERT_GE(c.b * 1.1, c.g - 1) << "greener than the tint allows at " << x << "," << y;
        }
    }
    EXPECT_GT(white, 0);
    EXPECT_GT(tinted, viewWidth * viewHeight / 20);
}

TEST_F(SceneTest, NearerFlowerHidesFartherOne) {
    start(320, 180, 2);
    ASSERT_NE(flowerScene.flowerModel, nullptr);
    for (bool nearFirst : {true, false}) {
        const Flower nearer = stillFlower(1.0f, 1.0f, 0.3f, 0.3f);
        const Flower farther = stillFlower(6.5f, 0.9f, 0.9f, 1.0f);
        flowerScene.flowers[0] = nearFirst ? nearer : farther;
        flowerScene.flowers[1] = nearFirst ? farther : nearer;
        const Rgb centre = pixel(frame(), viewWidth / 2, viewHeight / 2);
        EXPECT_EQ(centre.r, 255);
        EXPECT_NEAR(centre.g, 77, 1);
        EXPECT_NEAR(centre.b, 77, 1);
    }
}

TEST_F(SceneTest, SameSeedGivesTheSamePictures) {
    sceneSetSeedSource(fixedSeed);
    start(160, 90, 300);
    std::vector<uint8_t> first;
    for (int i = 0; i < 3; ++i)
        first = frame();
    stop();

    start(160, 90, 300);
    std::vector<uint8_t> second;
    for (int i = 0; i < 3; ++i)
        second = frame();
    EXPECT_TRUE(first == second);
    stop();

    sceneSetSeedSource(otherSeed);
    start(160, 90, 300);
    EXPECT_FALSE(frame() == first);
}

TEST_F(SceneTest, ModelFileLivesFromSetUpToTearDown) {
    const std::filesystem::path path = modelFilePath();
    if (path.empty())
        GTEST_SKIP() << "this platform loads the model from memory";
    start(32, 18, 1);
    const EmbeddedModel model = sceneEmbeddedModel();
    EXPECT_EQ(readFile(path), std::string(static_cast<const char*>(model.bytes), model.size));
    ASSERT_NE(flowerScene.flowerModel, nullptr);
    stop();
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(SceneTest, LoadedModelFacesTheCamera) {
    start(32, 18, 1);
    const MqoModel* model = flowerScene.flowerModel;
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->objectCount, 1);
    ASSERT_EQ(model->objects[0].batchCount, 1);
    const MqoMaterialBatch& batch = model->objects[0].batches[0];
    EXPECT_EQ(batch.vertexCount, 3 * 112);
    EXPECT_FALSE(batch.useTexture);
    if (batch.plainVertices) {
        for (int i = 0; i < batch.vertexCount; ++i) {
            ASSERT_NEAR(batch.plainVertices[i].normal[2], -1.0f, 1e-5) << "vertex " << i;
            ASSERT_LE(std::fabs(batch.plainVertices[i].position[0]), 1.6f) << "scaled to about 3 units";
        }
    }
}

TEST_F(SceneTest, WithoutAModelFileTheSceneStillRuns) {
    openContext(64, 36);
    if (!breakModelFile())
        GTEST_SKIP() << "this platform's model cannot be made to fail";
    start(64, 36, 50);
    restoreModelFile();
    EXPECT_EQ(flowerScene.flowerModel, nullptr);
    const float before = flowerScene.flowers[0].angle;
    EXPECT_TRUE(allWhite(frame()));
    EXPECT_TRUE(allWhite(frame()));
    EXPECT_NE(flowerScene.flowers[0].angle, before) << "flowers still move";
    stop();
}
