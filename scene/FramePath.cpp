#include "FramePath.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "FixedFramePath.h"
#include "InstancedFramePath.h"
#include "SceneRenderer.h"
#include "SpriteFramePath.h"

namespace {

SceneRenderer wantedRenderer = SceneRenderer::Automatic;

struct ActivePath {
    SceneRenderer renderer;
    SpriteForm spriteForm;
    const char* fallback;  // null when the path taken is the one asked for
};

ActivePath active{SceneRenderer::Fixed, SpriteForm::Shader, nullptr};
char fallbackText[400];

struct Wanted {
    SceneRenderer renderer;
    const char* reason;  // why, when not the caller's own choice
};

Wanted wanted() {
    static char forcedBy[64];
    const SceneRenderer asked = wantedRenderer == SceneRenderer::Automatic ? SceneRenderer::Sprite : wantedRenderer;
    SceneRenderer named = asked;
    const char* forced = std::getenv("PETALRAIN_RENDERER");
    if (forced && sceneRendererFromName(forced, named) && named != asked) {
        std::snprintf(forcedBy, sizeof forcedBy, "PETALRAIN_RENDERER=%s asks for it", forced);
        return {named, forcedBy};
    }
    return {asked, nullptr};
}

// Each refusal in one line, in the order tried.
void noteRefusal(const char* path, const char* reason) {
    const size_t used = std::strlen(fallbackText);
    std::snprintf(fallbackText + used, sizeof fallbackText - used, "%s%s path: %s", used ? "; " : "", path, reason);
}

}  // namespace

void sceneSetRenderer(SceneRenderer renderer) {
    wantedRenderer = renderer;
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
    return active.renderer;
}

const char* sceneActivePathName() {
    switch (active.renderer) {
        case SceneRenderer::Sprite:
            return active.spriteForm == SpriteForm::OpenGl11 ? "sprite (OpenGL 1.1)" : "sprite";
        case SceneRenderer::Instanced:
            return "instanced";
        default:
            return "fixed-function";
    }
}

const char* sceneRendererFallback() {
    return active.fallback;
}

void framePathStart(const MqoModel* model, int32_t flowerCount) {
    framePathRelease(true);
    const Wanted want = wanted();
    fallbackText[0] = '\0';
    SceneRenderer taken = SceneRenderer::Fixed;
    SpriteForm form = SpriteForm::Shader;
    const char* reason = nullptr;
    if (want.renderer == SceneRenderer::Sprite) {
        if (spritePathStart(model, flowerCount, &form, &reason))
            taken = SceneRenderer::Sprite;
        else
            noteRefusal("sprite", reason);
    }
    if (taken == SceneRenderer::Fixed && want.renderer != SceneRenderer::Fixed) {
        if (instancedPathStart(model, flowerCount, &reason))
            taken = SceneRenderer::Instanced;
        else
            noteRefusal("instanced", reason);
    }
    active = {taken, form, taken == want.renderer ? want.reason : fallbackText};
}

void framePathDraw() {
    switch (active.renderer) {
        case SceneRenderer::Sprite:
            spritePathDraw();
            break;
        case SceneRenderer::Instanced:
            instancedPathDraw();
            break;
        default:
            drawFlowersFixed();
            break;
    }
}

void framePathRelease(bool contextCurrent) {
    spritePathRelease(contextCurrent);
    instancedPathRelease(contextCurrent);
    active = {SceneRenderer::Fixed, SpriteForm::Shader, nullptr};
}
