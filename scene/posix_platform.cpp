// Linux: the model is compiled in and the loader reads it straight from memory.
// Nothing lands on disk and no descriptor is taken, so instances running side by
// side never meet, and no way out of the process leaves anything behind.
#include "ScenePlatform.h"

#include "MqoLoader.h"

extern const unsigned char flowerModelBytes[];
extern const unsigned long flowerModelBytesSize;

EmbeddedModel sceneEmbeddedModel() {
    return {flowerModelBytes, static_cast<size_t>(flowerModelBytesSize)};
}

MqoModel* sceneLoadEmbeddedModel(double scale) {
    const EmbeddedModel model = sceneEmbeddedModel();
    mqoStartLoader();
    // The flower names no images; a folder is needed for none.
    return mqoLoadModelFromMemory(model.bytes, model.size, scale, nullptr);
}

void sceneReleaseEmbeddedModel() {}
