#include "HostScene.h"

#include <cstdio>

#include "SceneRenderer.h"
#include "SceneStart.h"

void startHostScene(const HostOptions& options, int width, int height) {
    const auto count = static_cast<int16_t>(options.count);
    const auto size = static_cast<int16_t>(options.size);
    const SceneStart start{width, height, count, size, options.seeded, options.seed, options.renderer};
    if (!sceneStart(start))
        std::fprintf(stderr, "petalrain: the flower model did not load; the screen stays white\n");
    if (const char* fallback = sceneRendererFallback())
        std::fprintf(stderr, "petalrain: drawing with the %s path: %s\n", sceneActivePathName(), fallback);
}
