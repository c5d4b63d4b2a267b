#include "SceneRenderer.h"

#include <cstdlib>
#include <cstring>

#include "SceneRendererChoice.h"

namespace {
SceneRenderer wantedRenderer = SceneRenderer::Automatic;
SceneRenderer activeRenderer = SceneRenderer::Fixed;
const char* fallbackReason;
}  // namespace

void sceneSetRenderer(SceneRenderer wanted) {
    wantedRenderer = wanted;
}

bool sceneRendererFromName(const char* name, SceneRenderer& renderer) {
    if (!name)
        return false;
    if (!std::strcmp(name, "fixed"))
        renderer = SceneRenderer::Fixed;
    else if (!std::strcmp(name, "instanced"))
        renderer = SceneRenderer::Instanced;
    else
        return false;
    return true;
}

SceneRenderer sceneActiveRenderer() {
    return activeRenderer;
}

const char* sceneRendererFallback() {
    return fallbackReason;
}

bool sceneWantsInstanced() {
    fallbackReason = nullptr;
    const char* forced = std::getenv("PETALRAIN_RENDERER");
    if (forced && !std::strcmp(forced, "fixed")) {
        if (wantedRenderer != SceneRenderer::Fixed)
            fallbackReason = "PETALRAIN_RENDERER=fixed asks for it";
        return false;
    }
    return wantedRenderer != SceneRenderer::Fixed;
}

void sceneRecordRenderer(SceneRenderer taken, const char* reason) {
    activeRenderer = taken;
    if (taken == SceneRenderer::Fixed && reason)
        fallbackReason = reason;
}
