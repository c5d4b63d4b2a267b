#include "SceneStart.h"

#include <cstdio>

#include "FlowerScene.h"
#include "FlowerSceneState.h"
#include "GlProc.h"
#include "SaverGeometry.h"
#include "SaverSettings.h"
#include "SceneSeed.h"
#include "SoftwareGl.h"

namespace {

// The path to ask for: the raster path where OpenGL is software and no path is named.
SceneRenderer chooseRenderer(const SceneStart& start, const char* contextRenderer) {
    static char softwareWhy[160];
    sceneSetRenderer(start.renderer);
    if (sceneWantedRenderer() != SceneRenderer::Automatic)
        return sceneWantedRenderer();
    const char* why = nullptr;
    if (softwareGlOnly(&why)) {
        sceneSetRenderer(SceneRenderer::Raster, why);
    } else if (softwareGlRenderer(contextRenderer)) {
        std::snprintf(softwareWhy, sizeof softwareWhy, "OpenGL here is %s, which draws on the CPU", contextRenderer);
        sceneSetRenderer(SceneRenderer::Raster, softwareWhy);
    }
    return sceneWantedRenderer();
}

}  // namespace

bool sceneStartWithoutGl(const SceneStart& start) {
    return chooseRenderer(start, nullptr) == SceneRenderer::Raster;
}

bool sceneStart(const SceneStart& start) {
    saverGeometry = {0, 0, start.width, start.height};
    saverSettings = {start.flowerCount, start.sizePercent, 1};
    if (start.seeded)
        sceneSetFixedSeed(start.seed);
    chooseRenderer(start, reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    sceneInit();
    return flowerScene.flowerModel != nullptr;
}
