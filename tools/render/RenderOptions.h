// Command-line options of the headless renderer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SceneRenderer.h"

struct RenderOptions {
    int width = 1920;
    int height = 1080;
    int flowers = 7500;
    int size = 100;
    int frames = 120;
    std::vector<int> saveFrames;  // 1-based; empty with saveEvery 0: the last frame
    int saveEvery = 0;
    bool seeded = false;
    uint32_t seed = 0;
    std::string outDir = "out/frames";
    SceneRenderer renderer = SceneRenderer::Automatic;
};

// False, with the reason in error, when an option is unknown or its value is out of range;
// false with an empty error when help was asked for.
bool parseRenderOptions(int argc, char** argv, RenderOptions& options, std::string& error);

bool shouldSaveFrame(const RenderOptions& options, int frame);

extern const char renderUsage[];
