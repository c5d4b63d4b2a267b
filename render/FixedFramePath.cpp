#include "FixedFramePath.h"

#include "MqoLoader.h"

namespace {

void drawFlower(const FlowerSet& set, const Flower& flower, MqoModel* model) {
    const float scale = set.sizeFactor;
    glPushMatrix();
    glTranslatef(flower.x, flower.y, flower.depth * set.depthScale);
    glColor3d(flower.red, flower.green, flower.blue);
    glRotatef(flower.angle, 0.0f, 0.0f, 1.0f);
    glScalef(scale, scale, 1.0f);
    mqoDrawModel(model);
    glPopMatrix();
}

}  // namespace

void drawFlowersFixed(const FlowerSet& set, MqoModel* model) {
    for (int32_t i = 0; i < set.count; ++i)
        drawFlower(set, set.flowers[i], model);
}
