// placeholder until mesh building lands
#include "MqoMesh.h"

void mqoBuildObjects(MqoModel*, const MqoObjectData*, int, const MqoMaterial*, int, double) {}
