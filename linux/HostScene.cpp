#include "HostScene.h"

#include <cstdio>

#include "SceneRenderer.h"
#include "SceneStart.h"

namespace {

SceneStart startOf(const HostOptions& options, int width, int height) {
    const auto count = static_cast<int16_t>(options.count);
    const auto size = static_cast<int16_t>(options.size);
    return {width, height, count, size, options.seeded, options.seed, options.renderer};
}

}  // namespace

bool hostSceneWithoutGl(const HostOptions& options) {
    return sceneStartWithoutGl(startOf(options, 1, 1));
}

void startHostScene(const HostOptions& options, int width, int height) {
    if (!sceneStart(startOf(options, width, height)))
        std::fprintf(stderr, "petalrain: the flower model did not load; the screen stays white\n");
    if (const char* fallback = sceneRendererFallback())
        std::fprintf(stderr, "petalrain: drawing with the %s path: %s\n", sceneActivePathName(), fallback);
}
