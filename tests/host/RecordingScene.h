// A scene that records how and when the host calls it.
#pragma once

#include "RendererKind.h"
#include "SaverGeometry.h"

#include <windows.h>

struct SceneCalls {
    int inits;
    int frames;
    int releases;
    SaverGeometry geometryAtInit;
    HGLRC contextAtInit;
    HGLRC contextAtLastFrame;
    HGLRC contextAtRelease;
    int framesAtRelease;
    SceneRenderer renderer;  // the path the scene wants and takes; Automatic: Sprite
    int composed;            // raster frames
    int composedWidth;
    int composedHeight;
};

extern SceneCalls sceneCalls;
