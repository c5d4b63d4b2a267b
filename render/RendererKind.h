// The frame paths. All give the same picture: flowers composed on the CPU (raster), one
// textured quad a flower cut out by the model's outline (sprite), one instanced draw of the
// model's triangles (instanced), or one transform and model draw a flower (fixed-function).
#pragma once

enum class SceneRenderer {
    Automatic,  // sprite, else instanced, else fixed, as the model and the context allow
    Fixed,
    Instanced,  // asked for; still falls back when it cannot be had
    Sprite,     // asked for; falls back like the automatic choice
    Raster,     // composed on the CPU into the host's pixels, without OpenGL
};
