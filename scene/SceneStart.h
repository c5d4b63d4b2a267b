// The scene's usual start for the Linux host, the tools and the tests: the window's size,
// the settings and an optional fixed seed, then sceneInit. The Windows saver fills the
// same records its own way.
#pragma once

#include <cstdint>

#include "SceneRenderer.h"

struct SceneStart {
    int width;
    int height;
    int16_t flowerCount;
    int16_t sizePercent;
    bool seeded;  // else the seed source stays as it is: the clock, unless set
    uint32_t seed;
    SceneRenderer renderer;  // Automatic: the raster path where OpenGL is software, else sprite
};

// Before any context: true when the scene will draw without OpenGL, on the raster path,
// because it is asked for or because the platform already tells that OpenGL would be
// software; the caller makes no context then.
bool sceneStartWithoutGl(const SceneStart& start);

// Needs the current context, with its entry-point lookup handed to the loader, unless
// sceneStartWithoutGl said none. True when the flower model loaded.
bool sceneStart(const SceneStart& start);
