// Frame cost of the raster path's compositor: 7500 flowers of the scene's sizes over a
// screen, for each kernel this CPU has, on one thread and on one per core. Prints the
// median and fastest of 20 frames, the median CPU time of all threads together, and how
// many pixels were sampled and how much area the stamps' boxes cover, both in screens;
// asserts nothing. Usage: raster_bench [plain|sse2|avx2 [WIDTHxHEIGHT]].
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <cstring>
#include <random>
#include <vector>

#include "RasterCompose.h"
#include "RasterCompositor.h"

namespace {

constexpr int fieldSize = 512;
constexpr double petalReach = 240;  // texels from the centre to a petal's tip
constexpr int flowers = 7500;

// Five rounded petals; the value falls 4 per texel across the edge.
RasterField flowerField() {
    std::vector<uint8_t> texels(fieldSize * fieldSize);
    for (int j = 0; j < fieldSize; ++j) {
        for (int i = 0; i < fieldSize; ++i) {
            const double x = i + 0.5 - fieldSize / 2.0, y = j + 0.5 - fieldSize / 2.0;
            const double edge = petalReach * (0.6 + 0.4 * std::fabs(std::cos(2.5 * std::atan2(y, x))));
            texels[j * fieldSize + i] =
                static_cast<uint8_t>(std::clamp(127.5 + 4 * (edge - std::hypot(x, y)), 0.0, 255.0));
        }
    }
    RasterField field;
    rasterFieldFrom(texels.data(), fieldSize, field);
    return field;
}

// Depths as the scene draws them (most at the far 6.5), nearest first, each a turned flower
// whose box holds the whole turned field.
std::vector<RasterStamp> frameStamps(const RasterField& field, int width, int height, uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<std::pair<double, RasterStamp>> byDepth;
    for (int k = 0; k < flowers; ++k) {
        const double depth = std::min(std::pow(1 + 2 * unit(random), 15), 6.5);
        const double radius = 70 / depth * (height / 1080.0);
        const double turn = unit(random) * 2 * M_PI;
        const double cx = unit(random) * width, cy = unit(random) * height;
        const double perPixel = petalReach / radius, centre = field.pitch / 2.0;
        const double c = std::cos(turn) * perPixel, s = std::sin(turn) * perPixel;
        const double extent = fieldSize / 2.0 / perPixel * (std::fabs(std::cos(turn)) + std::fabs(std::sin(turn)));
        RasterStamp stamp;
        stamp.uX = static_cast<float>(c);
        stamp.vX = static_cast<float>(s);
        stamp.uY = static_cast<float>(s);
        stamp.vY = static_cast<float>(-c);
        stamp.u0 = static_cast<float>(centre + c * (0.5 - cx) + s * (0.5 - cy));
        stamp.v0 = static_cast<float>(centre + s * (0.5 - cx) - c * (0.5 - cy));
        stamp.left = static_cast<int32_t>(std::floor(cx - extent));
        stamp.right = static_cast<int32_t>(std::ceil(cx + extent));
        stamp.top = static_cast<int32_t>(std::floor(cy - extent));
        stamp.bottom = static_cast<int32_t>(std::ceil(cy + extent));
        stamp.colour = random() & 0xFFFFFF;
        byDepth.push_back({depth, stamp});
    }
    std::stable_sort(byDepth.begin(), byDepth.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<RasterStamp> stamps;
    for (const auto& entry : byDepth) {
        stamps.push_back(entry.second);
    }
    return stamps;
}

double boxScreens(const std::vector<RasterStamp>& stamps, int width, int height) {
    double area = 0;
    for (const RasterStamp& s : stamps) {
        area += double(std::max(0, std::min(s.right, width) - std::max(s.left, 0))) *
                std::max(0, std::min(s.bottom, height) - std::max(s.top, 0));
    }
    return area / (double(width) * height);
}

}  // namespace

int main(int argc, char** argv) {
    // An optional kernel name and size measure those alone, e.g. under perf.
    const char* only = argc > 1 ? argv[1] : nullptr;
    const char* onlySize = argc > 2 ? argv[2] : nullptr;
    const RasterField field = flowerField();
    const int sizes[][2] = {{1920, 1080}, {3840, 2160}, {400, 300}};
    std::printf("%-6s %-7s %-10s %9s %9s %9s %15s %13s\n", "kernel", "threads", "size", "ms/frame", "fastest", "cpu ms",
                "tested/screen", "boxes/screen");
    for (const auto& size : sizes) {
        const int width = size[0], height = size[1];
        char name[16];
        std::snprintf(name, sizeof name, "%dx%d", width, height);
        if (onlySize && std::strcmp(onlySize, name) != 0) {
            continue;
        }
        const std::vector<RasterStamp> stamps = frameStamps(field, width, height, 20240401u);
        std::vector<uint32_t> pixels(size_t(width) * height);
        const RasterTarget target{pixels.data(), 0, 0, width, height, width};
        for (RasterKernel kernel : {RasterKernel::Plain, RasterKernel::Sse2, RasterKernel::Avx2}) {
            for (int threads : {1, 0}) {
                if (only && std::strcmp(only, rasterKernelName(kernel)) != 0) {
                    continue;
                }
                RasterCompositor* compositor = rasterCompositorStart(threads);
                if (!rasterUseKernel(compositor, kernel)) {
                    rasterCompositorStop(compositor);
                    continue;
                }
                std::vector<double> times, cpuTimes;
                for (int frame = 0; frame < 23; ++frame) {
                    const auto start = std::chrono::steady_clock::now();
                    const std::clock_t cpuStart = std::clock();
                    rasterCompose(compositor, field, stamps.data(), static_cast<int32_t>(stamps.size()), target);
                    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
                    if (frame >= 3) {
                        times.push_back(took.count());
                        cpuTimes.push_back(1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC);
                    }
                }
                std::sort(times.begin(), times.end());
                std::sort(cpuTimes.begin(), cpuTimes.end());
                std::printf("%-6s %-7s %-10s %9.2f %9.2f %9.2f %15.2f %13.2f\n", rasterKernelName(kernel),
                            threads == 1 ? "1" : "all", name, times[times.size() / 2], times.front(),
                            cpuTimes[cpuTimes.size() / 2],
                            double(rasterPixelsTested(compositor)) / (double(width) * height),
                            boxScreens(stamps, width, height));
                std::fflush(stdout);
                rasterCompositorStop(compositor);
            }
        }
    }
    return 0;
}
