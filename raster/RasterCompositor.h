// Composes a frame's stamps in horizontal bands, one per worker thread.
#pragma once
#include "RasterCompose.h"

struct RasterCompositor;  // opaque: worker threads and each band's coverage bits
// threads: 0 for one per core. Allocates the workers; scratch grows with the largest target seen, never per frame once
// sized.
RasterCompositor* rasterCompositorStart(int threads);
void rasterCompositorStop(RasterCompositor* compositor);
// Composes every pixel of the target: the frame split into horizontal bands, one per thread, each band's rows in order;
// the calling thread takes a band too. Returns when all are done.
void rasterCompose(RasterCompositor* compositor, const RasterField& field, const RasterStamp* stamps, int32_t count,
                   const RasterTarget& target);
// For tests and benchmarks: force a kernel ("plain", "sse2", "avx2"); false when the CPU lacks it.
enum class RasterKernel { Plain, Sse2, Avx2 };
bool rasterUseKernel(RasterCompositor* compositor, RasterKernel kernel);
RasterKernel rasterBestKernel();
const char* rasterKernelName(RasterKernel kernel);
// Pixels whose sample the last rasterCompose computed: not those passed over as already
// taken, nor those the vector kernels took unsampled as surely inside.
int64_t rasterPixelsTested(const RasterCompositor* compositor);
