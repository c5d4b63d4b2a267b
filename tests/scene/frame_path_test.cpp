// The fast frame paths against the fixed-function one: the same flowers give the same
// picture but along flower edges, and what only the fixed-function path draws right falls
// back to it; the raster path, composed on the CPU, against the sprite path it copies. The
// same tests run again on a context that offers OpenGL 1.1 alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "FlowerScene.h"
#include "HeadlessGl.h"
#include "InstancedFramePath.h"
#include "RasterFramePath.h"
#include "SceneStart.h"
#include "SoftwareGl.h"
#include "SpriteFramePath.h"

namespace {

struct PictureCase {
    const char* name;
    int width, height;
    int16_t flowers, size;
    int frames;
    uint32_t seed;
};

// The ctest entry that stands in for Microsoft's software OpenGL sets this.
bool openGl11Only() {
    const char* version = std::getenv("MESA_GL_VERSION_OVERRIDE");
    return version && !std::strcmp(version, "1.1");
}

// The raster path's picture as OpenGL reads one: bottom row first, red in the low byte.
std::vector<uint32_t> composeRaster(const PictureCase& c) {
    std::vector<uint32_t> composed(static_cast<size_t>(c.width) * c.height);
    EXPECT_TRUE(sceneStart({c.width, c.height, c.flowers, c.size, true, c.seed, SceneRenderer::Raster}));
    EXPECT_EQ(sceneActiveRenderer(), SceneRenderer::Raster);
    for (int frame = 0; frame < c.frames; ++frame)
        sceneAdvance();
    sceneComposePart(0, 0, c.width, c.height, composed.data(), c.width);
    sceneRelease();
    std::vector<uint32_t> pixels(composed.size());
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            const uint32_t rgb = composed[static_cast<size_t>(c.height - 1 - y) * c.width + x];
            pixels[static_cast<size_t>(y) * c.width + x] = (rgb >> 16 & 0xff) | (rgb & 0xff00) | (rgb & 0xff) << 16;
        }
    return pixels;
}

// The picture's colours, alpha aside, row by row.
std::vector<uint32_t> render(const PictureCase& c, SceneRenderer renderer) {
    if (renderer == SceneRenderer::Raster)
        return composeRaster(c);
    std::vector<uint32_t> pixels(static_cast<size_t>(c.width) * c.height);
    EXPECT_TRUE(headlessGlOpen(c.width, c.height)) << "no offscreen OpenGL context";
    EXPECT_TRUE(sceneStart({c.width, c.height, c.flowers, c.size, true, c.seed, renderer}));
    EXPECT_EQ(sceneActiveRenderer(), renderer);
    if (renderer == SceneRenderer::Sprite) {
        EXPECT_STREQ(sceneActivePathName(), openGl11Only() ? "sprite (OpenGL 1.1)" : "sprite");
    }
    for (int frame = 0; frame < c.frames; ++frame)
        sceneRenderFrame();
    headlessGlReadPixels(reinterpret_cast<uint8_t*>(pixels.data()));
    sceneRelease();
    headlessGlClose();
    for (uint32_t& pixel : pixels)
        pixel &= 0x00ffffffu;  // little-endian RGBA
    return pixels;
}

// Whether two colours differ by more than one level in some channel.
bool clearlyDiffer(uint32_t a, uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>(a >> shift & 0xff) - static_cast<int>(b >> shift & 0xff)) > 1)
            return true;
    return false;
}

const std::vector<uint32_t>& picture(const PictureCase& c, SceneRenderer renderer) {
    static std::map<std::pair<std::string, SceneRenderer>, std::vector<uint32_t>> pictures;
    const auto key = std::make_pair(std::string(c.name), renderer);
    auto found = pictures.find(key);
    if (found == pictures.end())
        found = pictures.emplace(key, render(c, renderer)).first;
    return found->second;
}

class FramePathPicture : public ::testing::TestWithParam<std::tuple<PictureCase, SceneRenderer>> {};

}  // namespace

TEST_P(FramePathPicture, DrawsWhatTheFixedPathDraws) {
    const auto& [c, renderer] = GetParam();
    if (renderer == SceneRenderer::Instanced && openGl11Only())
        GTEST_SKIP() << "OpenGL 1.1 has no instancing";
    const std::vector<uint32_t>& fixed = picture(c, SceneRenderer::Fixed);
    const std::vector<uint32_t>& fast = picture(c, renderer);
    const auto at = [&](const std::vector<uint32_t>& picture, int x, int y) {
        return picture[static_cast<size_t>(y) * c.width + x];
    };
    // A pixel on a flower's edge has a neighbour of another colour in either picture: an
    // outline's slit narrower than a pixel may show in one picture alone.
    const auto onEdge = [&](int x, int y) {
        for (const std::vector<uint32_t>* picture : {&fixed, &fast})
            for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, c.height - 1); ++ny)
                for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, c.width - 1); ++nx)
                    if (at(*picture, nx, ny) != at(*picture, x, y))
                        return true;
        return false;
    };
    // The raster path rounds tints on the CPU, which OpenGL may do a level apart.
    const auto differ = [&](uint32_t a, uint32_t b) {
        return renderer == SceneRenderer::Raster ? clearlyDiffer(a, b) : a != b;
    };
    long differing = 0, inside = 0, tinted = 0;
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            tinted += at(fixed, x, y) != 0x00ffffffu;
            if (differ(at(fixed, x, y), at(fast, x, y))) {
                ++differing;
                inside += !onEdge(x, y);
            }
        }
    EXPECT_GT(tinted, 0) << "no flower in sight: the comparison would prove nothing";
    EXPECT_LE(differing, static_cast<long>(c.width) * c.height / 1000) << differing << " pixels differ";
    EXPECT_EQ(inside, 0)
        << "pixels inside flowers differ: a flower is misplaced, mis-tinted, out of order or cut wrong";
    // The raster path copies the sprite path's shader form (the same field, flowers, order and
    // filtering): only a few pixels on edges may differ by more than a colour level. The 1.1
    // form filters in fixed-function texturing, a few edge pixels more apart.
    if (renderer == SceneRenderer::Raster && !openGl11Only()) {
        const std::vector<uint32_t>& sprite = picture(c, SceneRenderer::Sprite);
        long apart = 0;
        for (size_t i = 0; i < sprite.size(); ++i)
            apart += clearlyDiffer(sprite[i], fast[i]);
        EXPECT_LE(apart, static_cast<long>(sprite.size()) / 10000) << apart << " pixels differ from the sprite path";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scenes, FramePathPicture,
    ::testing::Combine(::testing::Values(PictureCase{"Default", 1920, 1080, 7500, 100, 3, 11},
                                         PictureCase{"SmallFlowersRespawnAndWrap", 120, 900, 250, 10, 40, 12},
                                         PictureCase{"LargestSize", 640, 360, 2000, 300, 3, 13},
                                         PictureCase{"LargestSizeIn4K", 3840, 2160, 7500, 300, 3, 14},
                                         PictureCase{"OneFlower", 320, 240, 1, 100, 3, 38},
                                         PictureCase{"MostFlowers", 960, 540, 10000, 100, 3, 15}),
                       ::testing::Values(SceneRenderer::Instanced, SceneRenderer::Sprite, SceneRenderer::Raster)),
    [](const auto& info) {
        const SceneRenderer renderer = std::get<1>(info.param);
        return std::string(std::get<0>(info.param).name) + (renderer == SceneRenderer::Sprite      ? "Sprite"
                                                            : renderer == SceneRenderer::Instanced ? "Instanced"
                                                                                                   : "Raster");
    });

// Models of one visible object with two batches, one triangle each, spoilt one way each.
TEST(FramePathChoice, WhatOnlyASlowerPathDrawsRightFallsBack) {
    ASSERT_TRUE(headlessGlOpen(16, 16));
    using Spoil = void (*)(MqoModel&, MqoMaterialBatch*, MqoPlainVertex*);
    const struct {
        Spoil spoil;
        const char* instancedRefusal;  // null: the path takes it
        const char* spriteRefusal;
    } cases[] = {
        {[](MqoModel&, MqoMaterialBatch*, MqoPlainVertex*) {}, nullptr, nullptr},
        {[](MqoModel&, MqoMaterialBatch* b, MqoPlainVertex*) { b[0].useTexture = 1; }, "textured", "textured"},
        {[](MqoModel&, MqoMaterialBatch* b, MqoPlainVertex*) { b[1].diffuse[0] = 0.5f; }, "several materials",
         "several materials"},
        {[](MqoModel&, MqoMaterialBatch* b, MqoPlainVertex*) { b[0].diffuse[3] = b[1].diffuse[3] = 0.5f; },
         "transparent", "transparent"},
        {[](MqoModel& m, MqoMaterialBatch*, MqoPlainVertex*) { m.alpha = 128; }, "transparent", "transparent"},
        {[](MqoModel& m, MqoMaterialBatch*, MqoPlainVertex*) { m.objects[0].visible = 0; }, "no triangles",
         "no triangles"},
        {[](MqoModel&, MqoMaterialBatch*, MqoPlainVertex* v) { v[2].position[2] = 0.5f; }, nullptr, "not flat"},
        {[](MqoModel&, MqoMaterialBatch*, MqoPlainVertex* v) { v[1].position[0] = NAN; }, nullptr, "not finite"},
        {[](MqoModel&, MqoMaterialBatch*, MqoPlainVertex* v) { v[2].position[0] = 2, v[2].position[1] = 0; }, nullptr,
         "no area"},
        {[](MqoModel&, MqoMaterialBatch*, MqoPlainVertex* v) {
             v[0] = {{-3e38f, -3e38f, 0}, {}}, v[1] = {{3e38f, -3e38f, 0}, {}}, v[2] = {{0, 3e38f, 0}, {}};
         },
         nullptr, "too large"},
    };
    for (const auto& c : cases) {
        MqoPlainVertex corners[3] = {{{0, 0, 0}, {}}, {{1, 0, 0}, {}}, {{0, 1, 0}, {}}};
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
        c.spoil(model, batches, corners);
        const char* reason = nullptr;
        const bool instanced = instancedPathStart(&model, 10, &reason);
        if (!openGl11Only()) {
            EXPECT_EQ(instanced, c.instancedRefusal == nullptr) << reason;
        }
        if (!instanced && c.instancedRefusal) {
            EXPECT_NE(std::string(reason ? reason : "").find(c.instancedRefusal), std::string::npos) << reason;
        }
        // The raster path draws the sprite path's picture and refuses what it refuses.
        for (const auto start : {+[](const MqoModel*m, const char**why) {
                                     SpriteForm spriteForm{};
                                     return spritePathStart(m, 10, &spriteForm, why);
                                 },
                                 +[](const MqoModel*m, const char**why) { return rasterPathStart(m, 10, why); }}) {
            reason = nullptr;
            EXPECT_EQ(start(&model, &reason), c.spriteRefusal == nullptr) << reason;
            if (c.spriteRefusal) {
                EXPECT_NE(std::string(reason ? reason : "").find(c.spriteRefusal), std::string::npos) << reason;
            }
        }
        rasterPathRelease();
        instancedPathRelease(true);
        spritePathRelease(true);
    }
    const char* reason = nullptr;
    SpriteForm form{};
    EXPECT_FALSE(instancedPathStart(nullptr, 10, &reason));
    EXPECT_FALSE(spritePathStart(nullptr, 10, &form, &reason));
    headlessGlClose();
}

TEST(FramePathChoice, EnvironmentNamesThePath) {
    static char fixed[] = "PETALRAIN_RENDERER=fixed";
    static char instanced[] = "PETALRAIN_RENDERER=instanced";
    static char cleared[] = "PETALRAIN_RENDERER=";
    const struct {
        char* setting;
        SceneRenderer taken;
    } cases[] = {
        {fixed, SceneRenderer::Fixed}, {instanced, SceneRenderer::Instanced}, {cleared, SceneRenderer::Sprite}};
    // The sprite path's OpenGL 1.1 form says why its shader form could not be had.
    ASSERT_TRUE(headlessGlOpen(64, 64));
    for (const auto& c : cases) {
        if (c.taken == SceneRenderer::Instanced && openGl11Only())
            continue;
        putenv(c.setting);
        sceneStart({64, 64, 10, 100, true, 1, SceneRenderer::Sprite});
        EXPECT_EQ(sceneActiveRenderer(), c.taken) << c.setting;
        EXPECT_EQ(sceneRendererFallback() != nullptr, c.setting != cleared || openGl11Only()) << c.setting;
        sceneRelease();
    }
    headlessGlClose();
}

TEST(FramePathChoice, SpritePathLeavesTheStateAsItFoundIt) {
    ASSERT_TRUE(headlessGlOpen(64, 64));
    sceneStart({64, 64, 50, 100, true, 1, SceneRenderer::Sprite});
    ASSERT_EQ(sceneActiveRenderer(), SceneRenderer::Sprite);
    // Not the defaults, so that a path that resets the state rather than restoring it fails.
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glShadeModel(GL_FLAT);
    glEnable(GL_BLEND);
    glEnableClientState(GL_NORMAL_ARRAY);
    sceneRenderFrame();
    for (GLenum capability : {GL_TEXTURE_2D, GL_ALPHA_TEST})
        EXPECT_FALSE(glIsEnabled(capability)) << capability;
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    for (GLenum array : {GL_VERTEX_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY})
        EXPECT_FALSE(glIsEnabled(array)) << array;
    EXPECT_TRUE(glIsEnabled(GL_NORMAL_ARRAY));
    GLint value = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(value, static_cast<GLint>(texture));
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_FLAT);
    if (!openGl11Only()) {
        glGetIntegerv(GL_CURRENT_PROGRAM, &value);
        EXPECT_EQ(value, 0);
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &value);
        EXPECT_EQ(value, 0);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glDeleteTextures(1, &texture);
    sceneRelease();
    headlessGlClose();
}

// One step shown on two surfaces, each its half: together they show the whole frame, on
// every path, though the faster paths write the step only for the first of them.
TEST(FramePathChoice, TwoPartsOfOneStepShowTheWholeFrame) {
    constexpr int width = 320, height = 180, half = width / 2;
    {
        std::vector<uint32_t> whole(width * height), parts(width * height);
        sceneStart({width, height, 2000, 150, true, 21, SceneRenderer::Raster});
        sceneAdvance();
        sceneComposePart(0, 0, width, height, whole.data(), width);
        for (int x0 : {0, half})
            sceneComposePart(x0, 0, half, height, &parts[x0], width);
        sceneRelease();
        EXPECT_EQ(whole, parts) << "raster";
    }
    for (SceneRenderer renderer : {SceneRenderer::Sprite, SceneRenderer::Instanced, SceneRenderer::Fixed}) {
        if (renderer == SceneRenderer::Instanced && openGl11Only())
            continue;
        ASSERT_TRUE(headlessGlOpen(width, height));
        std::vector<uint32_t> whole(width * height), parts(width * height), part(width * height);
        sceneStart({width, height, 2000, 150, true, 21, renderer});
        sceneRenderFrame();
        sceneRenderFrame();
        headlessGlReadPixels(reinterpret_cast<uint8_t*>(whole.data()));
        sceneRelease();
        sceneStart({width, height, 2000, 150, true, 21, renderer});
        const std::string path = sceneActivePathName();
        sceneRenderFrame();
        sceneAdvance();
        glViewport(0, 0, half, height);
        for (int x0 : {0, half}) {
            sceneDrawPart(x0, 0, half, height);
            headlessGlReadPixels(reinterpret_cast<uint8_t*>(part.data()));
            for (int y = 0; y < height; ++y)
                std::copy_n(&part[y * width], half, &parts[y * width + x0]);
        }
        sceneRelease();
        headlessGlClose();
        long differing = 0;
        for (size_t i = 0; i < whole.size(); ++i)
            differing += (whole[i] & 0x00ffffffu) != (parts[i] & 0x00ffffffu);
        EXPECT_LE(differing, width * height / 1000) << path << ": " << differing << " pixels differ";
    }
}

// Where OpenGL is software and no path is named, the raster path is asked for with a
// reason, before any context where the platform can tell.
TEST(FramePathChoice, SoftwareOpenGlTakesTheRasterPath) {
    // A GPU's driver may name LLVM too: only the software renderers' own names count.
    EXPECT_TRUE(softwareGlRenderer("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_FALSE(softwareGlRenderer("AMD Radeon Graphics (radeonsi, renoir, LLVM 15.0.6, DRM 3.49)"));

    static char software[] = "LIBGL_ALWAYS_SOFTWARE=1";
    static char hardware[] = "LIBGL_ALWAYS_SOFTWARE=0";
    static char sprite[] = "PETALRAIN_RENDERER=sprite";
    static char cleared[] = "PETALRAIN_RENDERER=";
    const SceneStart automatic{64, 64, 10, 100, true, 1, SceneRenderer::Automatic};
    putenv(software);
    const char* why = nullptr;
    if (!softwareGlOnly(&why)) {
        putenv(hardware);
        GTEST_SKIP() << "this platform tells by the window's pixel format, not by the environment";
    }
    EXPECT_TRUE(sceneStartWithoutGl(automatic));
    EXPECT_FALSE(sceneStartWithoutGl({64, 64, 10, 100, true, 1, SceneRenderer::Sprite}));
    putenv(sprite);
    EXPECT_FALSE(sceneStartWithoutGl(automatic));
    putenv(cleared);
    EXPECT_TRUE(sceneStartWithoutGl({64, 64, 10, 100, true, 1, SceneRenderer::Raster}));
    sceneStart(automatic);
    EXPECT_EQ(sceneActiveRenderer(), SceneRenderer::Raster);
    EXPECT_STREQ(sceneActivePathName(), "raster");
    EXPECT_NE(std::string(sceneRendererFallback() ? sceneRendererFallback() : "").find("LIBGL_ALWAYS_SOFTWARE"),
              std::string::npos);
    sceneRelease();
    putenv(hardware);
}
