// A scene that records how and when the host calls it.
#pragma once

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
};

extern SceneCalls sceneCalls;
