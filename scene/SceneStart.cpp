#include "SceneStart.h"

#include "FlowerScene.h"
#include "FlowerSceneState.h"
#include "SaverGeometry.h"
#include "SaverSettings.h"
#include "SceneSeed.h"

bool sceneStart(const SceneStart& start) {
    saverGeometry = {0, 0, start.width, start.height};
    saverSettings = {start.flowerCount, start.sizePercent, 1};
    if (start.seeded)
        sceneSetFixedSeed(start.seed);
    sceneSetRenderer(start.renderer);
    sceneInit();
    return flowerScene.flowerModel != nullptr;
}
