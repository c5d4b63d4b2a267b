// Which frame path draws the flowers. All give the same picture: one textured quad a
// flower cut out by the model's outline (sprite), one instanced draw of the model's
// triangles (instanced), or one transform and model draw a flower (fixed-function).
#pragma once

enum class SceneRenderer {
    Automatic,  // sprite, else instanced, else fixed, as the model and the context allow
    Fixed,
    Instanced,  // asked for; still falls back when it cannot be had
    Sprite,     // asked for; falls back like the automatic choice
    Raster,     // composed on the CPU into the host's pixels, without OpenGL
};

// Set before sceneInit, like a fixed seed. PETALRAIN_RENDERER in the environment, with
// one of the names below, overrides any choice, for diagnosis.
void sceneSetRenderer(SceneRenderer wanted);

// "raster", "sprite", "instanced" or "fixed"; false for anything else.
bool sceneRendererFromName(const char* name, SceneRenderer& renderer);

// After sceneInit: the path it took, Sprite, Instanced or Fixed.
SceneRenderer sceneActiveRenderer();

// After sceneInit: the path taken for messages: "sprite", "sprite (OpenGL 1.1)",
// "instanced" or "fixed-function".
const char* sceneActivePathName();

// After sceneInit: why the path taken is not the one asked for (the sprite path, unless
// named otherwise), in one line; null when it is.
const char* sceneRendererFallback();
