// Renders the saver's frames without a display and saves some of them as PNG.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include <GL/gl.h>

#include "FlowerScene.h"
#include "HeadlessGl.h"
#include "PngWriter.h"
#include "RenderOptions.h"
#include "SceneRenderer.h"
#include "SceneStart.h"

namespace {

std::string framePath(const std::string& folder, int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%04d.png", frame);
    return (std::filesystem::path(folder) / name).string();
}

void printTimings(std::vector<double>& milliseconds) {
    std::sort(milliseconds.begin(), milliseconds.end());
    const size_t count = milliseconds.size();
    const double median =
        count % 2 ? milliseconds[count / 2] : (milliseconds[count / 2 - 1] + milliseconds[count / 2]) / 2.0;
    std::printf("%zu frames: min %.2f ms, median %.2f ms, max %.2f ms per frame\n", count, milliseconds.front(), median,
                milliseconds.back());
}

}  // namespace

int main(int argc, char** argv) {
    RenderOptions options;
    std::string error;
    if (!parseRenderOptions(argc, argv, options, error)) {
        if (error.empty()) {
            std::fputs(renderUsage, stdout);
            return 0;
        }
        std::fprintf(stderr, "petalrain-render: %s\n%s", error.c_str(), renderUsage);
        return 2;
    }
    std::error_code made;
    std::filesystem::create_directories(options.outDir, made);
    if (made) {
        std::fprintf(stderr, "petalrain-render: cannot create %s: %s\n", options.outDir.c_str(),
                     made.message().c_str());
        return 1;
    }
    SceneStart start{options.width,
                     options.height,
                     static_cast<int16_t>(options.flowers),
                     static_cast<int16_t>(options.size),
                     options.seeded,
                     options.seed,
                     options.renderer};
    bool withGl = !sceneStartWithoutGl(start);
    if (withGl && !headlessGlOpen(options.width, options.height)) {
        std::fprintf(stderr, "petalrain-render: no offscreen OpenGL context of %dx%d\n", options.width, options.height);
        // Without OpenGL the raster path still draws, unless a path was named.
        if (sceneWantedRenderer() != SceneRenderer::Automatic)
            return 1;
        start.renderer = SceneRenderer::Raster;
        withGl = false;
    }
    if (!sceneStart(start))
        std::fprintf(stderr, "petalrain-render: the flower model did not load; frames stay white\n");
    if (const char* fallback = sceneRendererFallback())
        std::fprintf(stderr, "petalrain-render: drawing with the %s path: %s\n", sceneActivePathName(), fallback);
    const bool raster = sceneActiveRenderer() == SceneRenderer::Raster;
    if (!raster && !withGl) {
        std::fprintf(stderr, "petalrain-render: the raster path cannot draw this model\n");
        sceneRelease();
        return 1;
    }

    std::vector<uint8_t> pixels(static_cast<size_t>(options.width) * options.height * 4);
    std::vector<double> milliseconds;
    milliseconds.reserve(static_cast<size_t>(options.frames));
    int status = 0;
    for (int frame = 1; frame <= options.frames && status == 0; ++frame) {
        const auto start = std::chrono::steady_clock::now();
        if (raster) {
            sceneAdvance();
            sceneComposePart(0, 0, options.width, options.height, reinterpret_cast<uint32_t*>(pixels.data()),
                             options.width);
        } else {
            sceneRenderFrame();
            glFinish();
        }
        const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
        milliseconds.push_back(spent.count());
        if (!shouldSaveFrame(options, frame))
            continue;
        if (!raster)
            headlessGlReadPixels(pixels.data());
        const std::string path = framePath(options.outDir, frame);
        const bool written =
            raster ? writePngXrgb(path, reinterpret_cast<const uint32_t*>(pixels.data()), options.width, options.height)
                   : writePng(path, pixels.data(), options.width, options.height);
        if (written) {
            std::printf("wrote %s\n", path.c_str());
        } else {
            std::fprintf(stderr, "petalrain-render: cannot write %s\n", path.c_str());
            status = 1;
        }
    }
    sceneRelease();
    if (withGl)
        headlessGlClose();
    printTimings(milliseconds);
    return status;
}
