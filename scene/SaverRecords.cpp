// The process-wide records that the host fills and the scene reads.
#include "FlowerSceneState.h"
#include "SaverGeometry.h"
#include "SaverSettings.h"

SaverGeometry saverGeometry;
SaverSettings saverSettings;
FlowerScene flowerScene;
