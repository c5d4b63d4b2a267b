#include "FixedFramePath.h"

#include "FlowerSceneState.h"
#include "MqoLoader.h"

namespace {

void drawFlower(const Flower& flower) {
    const float scale = flowerSizeFactor();
    glPushMatrix();
    glTranslatef(flower.x, flower.y, flower.depth * flowerScene.depthScale);
    glColor3d(flower.red, flower.green, flower.blue);
    glRotatef(flower.angle, 0.0f, 0.0f, 1.0f);
    glScalef(scale, scale, 1.0f);
    mqoDrawModel(flowerScene.flowerModel);
    glPopMatrix();
}

}  // namespace

void drawFlowersFixed() {
    for (int32_t i = 0; i < flowerScene.flowerCount; ++i)
        drawFlower(flowerScene.flowers[i]);
}
