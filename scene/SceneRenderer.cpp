#include "SceneRenderer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "FramePath.h"

namespace {

SceneRenderer askedRenderer = SceneRenderer::Automatic;
const char* askedWhy = nullptr;

}  // namespace

void sceneSetRenderer(SceneRenderer renderer, const char* why) {
    askedRenderer = renderer;
    askedWhy = why;
}

SceneRenderer sceneWantedRenderer() {
    SceneRenderer named = askedRenderer;
    return sceneRendererFromName(std::getenv("PETALRAIN_RENDERER"), named) ? named : askedRenderer;
}

namespace {

// Why the path to try first is wanted, when not by the caller's own choice.
const char* wantedWhy() {
    static char forcedBy[64];
    const SceneRenderer asked = askedRenderer == SceneRenderer::Automatic ? SceneRenderer::Sprite : askedRenderer;
    const SceneRenderer wanted = sceneWantedRenderer();
    if (wanted != askedRenderer && wanted != asked) {
        std::snprintf(forcedBy, sizeof forcedBy, "PETALRAIN_RENDERER=%s asks for it",
                      std::getenv("PETALRAIN_RENDERER"));
        return forcedBy;
    }
    return askedWhy;
}

}  // namespace

void sceneStartFramePath(MqoModel* model, int32_t flowerCount) {
    framePathStart(sceneWantedRenderer(), wantedWhy(), model, flowerCount);
}

bool sceneRendererFromName(const char* name, SceneRenderer& renderer) {
    if (!name)
        return false;
    if (!std::strcmp(name, "raster"))
        renderer = SceneRenderer::Raster;
    else if (!std::strcmp(name, "sprite"))
        renderer = SceneRenderer::Sprite;
    else if (!std::strcmp(name, "instanced"))
        renderer = SceneRenderer::Instanced;
    else if (!std::strcmp(name, "fixed"))
        renderer = SceneRenderer::Fixed;
    else
        return false;
    return true;
}

SceneRenderer sceneActiveRenderer() {
    return framePathTaken().renderer;
}

const char* sceneActivePathName() {
    return framePathTaken().name;
}

const char* sceneRendererFallback() {
    return framePathTaken().reason;
}
