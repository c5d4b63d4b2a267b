#include "RasterCompositor.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "RasterKernels.h"
#include "RasterThreads.h"

namespace {

constexpr int mostThreads = 16;
constexpr int fewestRowsPerBand = 16;
// Rows composed together: their pixels and coverage bits stay in the cache while every
// stamp over them is drawn.
constexpr int tileRows = 32;

struct Band {
    std::vector<uint64_t> coverage;
    std::vector<RasterRowSpan> spans;
    int64_t tested = 0;
};

}  // namespace

struct RasterCompositor {
    RasterWorkers* workers;
    int threads;
    RasterStampKernel kernel;
    std::vector<Band> bands;
    // The frame being composed.
    const RasterField* field = nullptr;
    const RasterStamp* stamps = nullptr;
    int32_t count = 0;
    RasterTarget target{};
    int bandCount = 1;
};

namespace {

constexpr double infinity = HUGE_VAL;

// Where a stamp's pixels can be inside: rows from the inverse image of the field's inside box,
// and per row columns between lines px = a + b * py. Every bound is widened past the float
// rounding of u and v, so that nothing inside is ever left out.
struct StampReach {
    int32_t rowFirst, rowEnd;
    double lowA[2], lowB[2], highA[2], highB[2];
};

// The interval of sample positions along one axis whose taps can reach a texel above 127.
struct AxisReach {
    double low, high;  // infinite where the clamp keeps positions beyond on an inside texel
};

AxisReach axisReach(int32_t firstInside, int32_t lastInside, int size) {
    return {firstInside <= 1 ? -infinity : firstInside - 1.0, lastInside >= size ? infinity : lastInside + 1.0};
}

// Columns where origin + step * px + rowStep * py lies in [low, high].
void columnLines(AxisReach reach, double origin, double step, double rowStep, double margin, double& lowA, double& lowB,
                 double& highA, double& highB) {
    double a0 = (reach.low - margin - origin) / step, a1 = (reach.high + margin - origin) / step;
    const double b = -rowStep / step;
    if (step < 0) {
        std::swap(a0, a1);
    }
    lowA = a0 - 1.0;
    highA = a1 + 1.0;
    lowB = highB = b;
}

StampReach stampReach(const RasterField& field, const RasterStamp& s) {
    StampReach reach{s.top, s.bottom, {-infinity, -infinity}, {0, 0}, {infinity, infinity}, {0, 0}};
    const AxisReach u = axisReach(field.insideFirstI, field.insideLastI, field.size);
    const AxisReach v = axisReach(field.insideFirstJ, field.insideLastJ, field.size);
    const double scale = std::max({std::fabs(s.uX), std::fabs(s.vX), std::fabs(s.uY), std::fabs(s.vY)});
    if (!(scale > 0) || !std::isfinite(scale)) {
        return reach;
    }
    // A few units in the last place of the largest term in u's and v's sums.
    const double farX = std::max(std::abs(static_cast<double>(s.left)), std::abs(static_cast<double>(s.right)));
    const double farY = std::max(std::abs(static_cast<double>(s.top)), std::abs(static_cast<double>(s.bottom)));
    const double uMargin = 2e-6 * (std::fabs(s.u0) + std::fabs(s.uX) * farX + std::fabs(s.uY) * farY) + 1e-6;
    const double vMargin = 2e-6 * (std::fabs(s.v0) + std::fabs(s.vX) * farX + std::fabs(s.vY) * farY) + 1e-6;
    // An axis that barely changes along a row bounds the rows instead.
    if (std::fabs(s.uX) >= 1e-4 * scale) {
        columnLines(u, s.u0, s.uX, s.uY, uMargin, reach.lowA[0], reach.lowB[0], reach.highA[0], reach.highB[0]);
    }
    if (std::fabs(s.vX) >= 1e-4 * scale) {
        columnLines(v, s.v0, s.vX, s.vY, vMargin, reach.lowA[1], reach.lowB[1], reach.highA[1], reach.highB[1]);
    }
    const double det = static_cast<double>(s.uX) * s.vY - static_cast<double>(s.uY) * s.vX;
    const bool bounded = std::isfinite(u.low) && std::isfinite(u.high) && std::isfinite(v.low) && std::isfinite(v.high);
    if (bounded && std::fabs(det) >= 1e-6 * scale * scale) {
        double top = infinity, bottom = -infinity;
        for (double cu : {u.low - uMargin, u.high + uMargin}) {
            for (double cv : {v.low - vMargin, v.high + vMargin}) {
                const double py = (s.uX * (cv - s.v0) - s.vX * (cu - s.u0)) / det;
                top = std::min(top, py);
                bottom = std::max(bottom, py);
            }
        }
        if (top > s.top) {
            reach.rowFirst = static_cast<int32_t>(std::min<double>(std::floor(top) - 1, s.bottom));
        }
        if (bottom < s.bottom) {
            reach.rowEnd = static_cast<int32_t>(std::max<double>(std::ceil(bottom) + 2, s.top));
        }
    }
    return reach;
}

// Each row's columns within [left, right) where the stamp may be inside; false when none.
bool rowSpans(const StampReach& reach, int32_t firstRow, int32_t rows, int32_t left, int32_t right,
              RasterRowSpan* spans) {
    bool any = false;
    for (int32_t r = 0; r < rows; ++r) {
        const double py = firstRow + r;
        const double low = std::max(reach.lowA[0] + reach.lowB[0] * py, reach.lowA[1] + reach.lowB[1] * py);
        const double high = std::min(reach.highA[0] + reach.highB[0] * py, reach.highA[1] + reach.highB[1] * py);
        const int32_t first = static_cast<int32_t>(std::ceil(std::min(std::max(low, double(left)), double(right))));
        const int32_t end =
            static_cast<int32_t>(std::floor(std::min(std::max(high, double(left) - 1), double(right) - 1))) + 1;
        spans[r] = {first, end};
        any |= first < end;
    }
    return any;
}

void fillBackground(const uint64_t* coverage, ptrdiff_t words, uint32_t* pixels, int32_t width) {
    for (ptrdiff_t word = 0; word < words; ++word) {
        const uint64_t taken = coverage[word];
        if (taken == ~uint64_t{0}) {
            continue;
        }
        const int32_t base = static_cast<int32_t>(word * 64);
        const int32_t end = std::min(base + 64, width);
        for (int32_t x = base; x < end; ++x) {
            if (!((taken >> (x - base)) & 1)) {
                pixels[x] = rasterBackground;
            }
        }
    }
}

void composeBand(void* context, int bandIndex) {
    RasterCompositor& c = *static_cast<RasterCompositor*>(context);
    Band& band = c.bands[bandIndex];
    const RasterTarget& target = c.target;
    const int32_t bandTop = static_cast<int32_t>(int64_t{target.height} * bandIndex / c.bandCount);
    const int32_t bandEnd = static_cast<int32_t>(int64_t{target.height} * (bandIndex + 1) / c.bandCount);
    const ptrdiff_t words = (target.width + 63) / 64;
    const int32_t areaLeft = target.x, areaRight = target.x + target.width;
    band.tested = 0;
    for (int32_t tileTop = bandTop; tileTop < bandEnd; tileTop += tileRows) {
        const int32_t tileEnd = std::min(tileTop + tileRows, bandEnd);
        const int32_t areaTop = target.y + tileTop, areaEnd = target.y + tileEnd;
        std::fill_n(band.coverage.begin(), (tileEnd - tileTop) * words, 0);
        for (int32_t k = 0; k < c.count; ++k) {
            const RasterStamp& stamp = c.stamps[k];
            if (stamp.bottom <= areaTop || stamp.top >= areaEnd || stamp.right <= areaLeft || stamp.left >= areaRight) {
                continue;
            }
            const StampReach reach = stampReach(*c.field, stamp);
            const int32_t first = std::max(reach.rowFirst, areaTop), end = std::min(reach.rowEnd, areaEnd);
            if (first >= end || !rowSpans(reach, first, end - first, std::max(stamp.left, areaLeft),
                                          std::min(stamp.right, areaRight), band.spans.data())) {
                continue;
            }
            const RasterStampRows job{c.field,
                                      &stamp,
                                      first,
                                      end - first,
                                      band.spans.data(),
                                      band.coverage.data() + (first - areaTop) * words,
                                      words,
                                      target.pixels + (first - target.y) * target.stride,
                                      target.stride,
                                      areaLeft};
            band.tested += c.kernel(job);
        }
        for (int32_t row = tileTop; row < tileEnd; ++row) {
            fillBackground(band.coverage.data() + (row - tileTop) * words, words, target.pixels + row * target.stride,
                           target.width);
        }
    }
}

}  // namespace

RasterCompositor* rasterCompositorStart(int threads) {
    if (threads <= 0) {
        threads = rasterProcessorCount();
    }
    threads = std::min(std::max(threads, 1), mostThreads);
    auto* compositor = new RasterCompositor;
    compositor->threads = threads;
    compositor->kernel = rasterKernelFunction(rasterBestKernel());
    compositor->bands.resize(threads);
    for (Band& band : compositor->bands) {
        band.spans.resize(tileRows);
    }
    compositor->workers = rasterWorkersStart(threads - 1, composeBand, compositor);
    return compositor;
}

void rasterCompositorStop(RasterCompositor* compositor) {
    rasterWorkersStop(compositor->workers);
    delete compositor;
}

void rasterCompose(RasterCompositor* compositor, const RasterField& field, const RasterStamp* stamps, int32_t count,
                   const RasterTarget& target) {
    if (target.width <= 0 || target.height <= 0) {
        return;
    }
    RasterCompositor& c = *compositor;
    c.field = &field;
    c.stamps = stamps;
    c.count = count;
    c.target = target;
    c.bandCount = std::min(c.threads, std::max(1, target.height / fewestRowsPerBand));
    const size_t coverageWords = static_cast<size_t>(tileRows) * ((target.width + 63) / 64);
    for (int b = 0; b < c.bandCount; ++b) {
        if (c.bands[b].coverage.size() < coverageWords) {
            c.bands[b].coverage.resize(coverageWords);
        }
    }
    rasterWorkersRun(c.workers, c.bandCount);
}

bool rasterUseKernel(RasterCompositor* compositor, RasterKernel kernel) {
    const RasterStampKernel function = rasterKernelFunction(kernel);
    if (!function) {
        return false;
    }
    compositor->kernel = function;
    return true;
}

int64_t rasterPixelsTested(const RasterCompositor* compositor) {
    int64_t tested = 0;
    for (int b = 0; b < compositor->bandCount; ++b) {
        tested += compositor->bands[b].tested;
    }
    return tested;
}
