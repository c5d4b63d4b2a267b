#include "RasterKernels.h"

RasterStampKernel rasterKernelFunction(RasterKernel kernel) {
    return kernel == RasterKernel::Plain ? rasterStampPlain : nullptr;
}

RasterKernel rasterBestKernel() {
    return RasterKernel::Plain;
}
