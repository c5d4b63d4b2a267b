// Mesh building: parsed objects and materials become drawable objects of a model.
#pragma once

#include "MqoRecords.h"

void mqoBuildObjects(MqoModel* model, const MqoObjectData* objects, int objectCount,
                     const MqoMaterial* materials, int materialCount, double scale);
