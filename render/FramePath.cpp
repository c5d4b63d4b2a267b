#include "FramePath.h"

#include <cstdio>
#include <cstring>

#include "FixedFramePath.h"
#include "InstancedFramePath.h"
#include "SpriteFramePath.h"

namespace {

struct ActivePath {
    SceneRenderer renderer;
    SpriteForm spriteForm;
    const char* reason;
    MqoModel* model;  // the fixed-function path's
};

ActivePath active{SceneRenderer::Fixed, SpriteForm::Shader, nullptr, nullptr};
char reasonText[400];

// Each refusal in one line, in the order tried.
void noteRefusal(const char* what, const char* reason) {
    const size_t used = std::strlen(reasonText);
    std::snprintf(reasonText + used, sizeof reasonText - used, "%s%s: %s", used ? "; " : "", what, reason);
}

}  // namespace

void framePathStart(SceneRenderer wanted, const char* wantedWhy, MqoModel* model, int32_t flowerCount) {
    framePathRelease(true);
    if (wanted == SceneRenderer::Automatic)
        wanted = SceneRenderer::Sprite;
    reasonText[0] = '\0';
    SceneRenderer taken = SceneRenderer::Fixed;
    SpriteForm form = SpriteForm::Shader;
    const char* reason = nullptr;
    if (wanted == SceneRenderer::Raster) {
        if (rasterPathStart(model, flowerCount, &reason))
            taken = SceneRenderer::Raster;
        else
            noteRefusal("raster path", reason);
    }
    if (taken == SceneRenderer::Fixed && (wanted == SceneRenderer::Sprite || wanted == SceneRenderer::Raster)) {
        if (spritePathStart(model, flowerCount, &form, &reason)) {
            taken = SceneRenderer::Sprite;
            if (form == SpriteForm::OpenGl11)
                noteRefusal("the sprite path's shader form", reason);
        } else {
            noteRefusal("sprite path", reason);
        }
    }
    if (taken == SceneRenderer::Fixed && wanted != SceneRenderer::Fixed) {
        if (instancedPathStart(model, flowerCount, &reason))
            taken = SceneRenderer::Instanced;
        else
            noteRefusal("instanced path", reason);
    }
    const bool asked = taken == wanted && reasonText[0] == '\0';
    active = {taken, form, asked ? wantedWhy : reasonText, model};
}

FramePathTaken framePathTaken() {
    const char* name = "fixed-function";
    switch (active.renderer) {
        case SceneRenderer::Raster:
            name = "raster";
            break;
        case SceneRenderer::Sprite:
            name = active.spriteForm == SpriteForm::OpenGl11 ? "sprite (OpenGL 1.1)" : "sprite";
            break;
        case SceneRenderer::Instanced:
            name = "instanced";
            break;
        default:
            break;
    }
    return {active.renderer, name, active.reason};
}

void framePathDraw(const FlowerSet& set) {
    switch (active.renderer) {
        case SceneRenderer::Sprite:
            spritePathDraw(set);
            break;
        case SceneRenderer::Instanced:
            instancedPathDraw(set);
            break;
        case SceneRenderer::Fixed:
            drawFlowersFixed(set, active.model);
            break;
        default:
            break;
    }
}

void framePathCompose(const FlowerSet& set, const RasterView& view, const RasterTarget& target) {
    if (active.renderer == SceneRenderer::Raster)
        rasterPathCompose(set, view, target);
}

void framePathRelease(bool contextCurrent) {
    rasterPathRelease();
    spritePathRelease(contextCurrent);
    instancedPathRelease(contextCurrent);
    active = {SceneRenderer::Fixed, SpriteForm::Shader, nullptr, nullptr};
}
