#include "FlowerScene.h"

#include "FlowerSceneState.h"
#include "FramePath.h"
#include "SceneRenderer.h"
#include "MqoLoader.h"
#include "Random.h"
#include "SaverGeometry.h"
#include "SaverSettings.h"
#include "ScenePlatform.h"
#include "SceneSeed.h"

#include <GL/glu.h>
#include <algorithm>
#include <cmath>

namespace {

constexpr double degreesToRadians = 3.14159265358979323846 / 180.0;
constexpr double modelScale = 0.015;

// A zero or negative height never comes from a real window; it must not divide by zero.
double viewHeight() {
    return saverGeometry.height > 0 ? saverGeometry.height : 1;
}

void fixCamera() {
    flowerScene.nearPlane = 1.0f;
    flowerScene.depthScale = 100.0f;
    flowerScene.farPlane = 1000.0f;
    flowerScene.fovY = 10.0f;
    flowerScene.fovX = static_cast<float>(saverGeometry.width * 10.0 / viewHeight());
    flowerScene.flowerRadius = 3.0f;
    flowerScene.halfWidthAt100 = static_cast<float>(std::atan(flowerScene.fovX * 0.5 * degreesToRadians) * 100.0);
    flowerScene.halfHeightAt100 = static_cast<float>(std::atan(degreesToRadians * 5.0) * 100.0);
}

FlowerSet currentFlowers() {
    return {flowerScene.flowers, flowerScene.flowerCount, flowerScene.generation, flowerScene.depthScale,
            flowerSizeFactor()};
}

void createFlowers() {
    // A negative count can only come from a hand-edited registry value: no flowers then.
    const int32_t count = saverSettings.hanaNum > 0 ? saverSettings.hanaNum : 0;
    flowerScene.flowerCount = count;
    flowerScene.flowers = count > 0 ? new Flower[count] : nullptr;
}

}  // namespace

void sceneInit() {
    randomSeed(sceneSeed());
    fixCamera();
    createFlowers();
    ++flowerScene.generation;
    // The raster path needs no context, and may have none.
    if (sceneWantedRenderer() != SceneRenderer::Raster) {
        glClearDepth(1.0);
        glEnable(GL_DEPTH_TEST);
    }
    // Starts the loader too. Without a model the scene runs all the same and draws nothing.
    flowerScene.flowerModel = sceneLoadEmbeddedModel(modelScale);
    sceneStartFramePath(flowerScene.flowerModel, flowerScene.flowerCount);
}

void sceneAdvance() {
    for (int32_t i = 0; i < flowerScene.flowerCount; ++i)
        advanceFlower(flowerScene.flowers[i]);
    ++flowerScene.generation;
}

void sceneDrawPart(int x, int y, int width, int height) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double aspect = saverGeometry.width / viewHeight();
    if (x == 0 && y == 0 && width == saverGeometry.width && height == saverGeometry.height) {
        gluPerspective(flowerScene.fovY, aspect, flowerScene.nearPlane, flowerScene.farPlane);
    } else {
        // The whole area's frustum, cut down to the part: flowers cross from one part to the
        // next as they would across one window.
        const double top = flowerScene.nearPlane * std::tan(flowerScene.fovY * 0.5 * degreesToRadians);
        const double right = top * aspect;
        const double areaWidth = saverGeometry.width > 0 ? saverGeometry.width : 1;
        const double areaHeight = viewHeight();
        glFrustum(-right + 2 * right * x / areaWidth, -right + 2 * right * (x + width) / areaWidth,
                  top - 2 * top * (y + height) / areaHeight, top - 2 * top * y / areaHeight, flowerScene.nearPlane,
                  flowerScene.farPlane);
    }
    gluLookAt(0.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 1.0, 0.0);
    glClearColor(1.0f, 1.0f, 1.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    framePathDraw(currentFlowers());
    glFlush();
}

void sceneComposePart(int x, int y, int width, int height, uint32_t* pixels, ptrdiff_t stride) {
    const RasterView view{flowerScene.fovY, flowerScene.nearPlane, flowerScene.farPlane, saverGeometry.width,
                          static_cast<int32_t>(viewHeight())};
    if (framePathTaken().renderer != SceneRenderer::Raster) {
        // Without the raster path (no model to draw) the screen stays white, as on OpenGL.
        for (int row = 0; row < height; ++row)
            std::fill_n(pixels + row * stride, width, rasterBackground);
        return;
    }
    framePathCompose(currentFlowers(), view, {pixels, x, y, width, height, stride});
}

void sceneRenderFrame() {
    sceneAdvance();
    sceneDrawPart(0, 0, saverGeometry.width, saverGeometry.height);
}

void sceneResize(int width, int height) {
    const float oldHalfWidth = flowerScene.halfWidthAt100;
    saverGeometry.width = width > 0 ? width : 1;
    saverGeometry.height = height > 0 ? height : 1;
    fixCamera();
    const float spread = oldHalfWidth > 0.0f ? flowerScene.halfWidthAt100 / oldHalfWidth : 1.0f;
    for (int32_t i = 0; i < flowerScene.flowerCount; ++i) {
        Flower& flower = flowerScene.flowers[i];
        flower.halfWidth = flower.depth * flowerScene.halfWidthAt100;
        flower.x *= spread;
    }
    ++flowerScene.generation;
}

void sceneRelease() {
    // Without a current context OpenGL answers null. The Windows host deletes its context
    // first: buffers and program went with it, and the process is ending.
    const bool contextCurrent = glGetString(GL_VERSION) != nullptr;
    framePathRelease(contextCurrent);
    delete[] flowerScene.flowers;
    flowerScene.flowers = nullptr;
    flowerScene.flowerCount = 0;
    // A model loaded without a context (the raster path's) has no buffers to delete.
    if (flowerScene.flowerModel && (contextCurrent || !mqoLoaderState.buffersSupported))
        mqoFreeModels(flowerScene.flowerModel, 1);
    flowerScene.flowerModel = nullptr;
    mqoReleaseTexturePool();
    sceneReleaseEmbeddedModel();
}
