#pragma once
#include "RasterCompose.h"
struct RasterCompositor;
RasterCompositor* rasterCompositorStart(int threads);
void rasterCompositorStop(RasterCompositor* compositor);
void rasterCompose(RasterCompositor* compositor, const RasterField& field, const RasterStamp* stamps, int32_t count,
                   const RasterTarget& target);
