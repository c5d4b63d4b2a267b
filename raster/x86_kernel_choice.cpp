#include "RasterKernels.h"

RasterStampKernel rasterKernelFunction(RasterKernel kernel) {
    switch (kernel) {
        case RasterKernel::Plain:
            return rasterStampPlain;
        case RasterKernel::Sse2:
            return rasterStampSse2;  // x86-64's baseline
        case RasterKernel::Avx2:
            return __builtin_cpu_supports("avx2") ? rasterStampAvx2 : nullptr;
    }
    return nullptr;
}

RasterKernel rasterBestKernel() {
    return __builtin_cpu_supports("avx2") ? RasterKernel::Avx2 : RasterKernel::Sse2;
}
