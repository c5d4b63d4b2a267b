// The process-wide records that the host fills and the scene reads.
#include "SaverGeometry.h"
#include "SaverSettings.h"

SaverGeometry saverGeometry;
SaverSettings saverSettings;
