// Which frame path draws the flowers. Both give the same picture: the fixed-function
// path with one transform and model draw per flower, or one instanced draw of them all.
#pragma once

enum class SceneRenderer {
    Automatic,  // instanced where the context and the model allow it, else fixed
    Fixed,
    Instanced,  // asked for; still falls back when it cannot be had
};

// Set before sceneInit, like a fixed seed. PETALRAIN_RENDERER=fixed in the
// environment overrides any choice, for diagnosis.
void sceneSetRenderer(SceneRenderer wanted);

// "fixed" or "instanced"; false for anything else.
bool sceneRendererFromName(const char* name, SceneRenderer& renderer);

// After sceneInit: the path it took, Fixed or Instanced.
SceneRenderer sceneActiveRenderer();

// After sceneInit: why the fixed-function path draws although it was not asked for by
// name, in one line; null when the path taken is the one asked for.
const char* sceneRendererFallback();
