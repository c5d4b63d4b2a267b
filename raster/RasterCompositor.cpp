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
// stamp over them is drawn. Fewer rows revisit more stamps: at 1920 pixels a row, 32 to 256
// rows cost about the same, the whole frame at once twice as much at 3840.
constexpr int tileRows = 128;

// Where a stamp's pixels can be inside: rows and columns within the image of the field's
// outer ring, an ellipse, or where the field has no outer ring, rows from the inverse image of
// the field's inside box and columns between lines. Pixels within the image of the inner
// ring are inside for sure. Every bound is moved past the float rounding of u and v, so
// that nothing inside is ever left out and nothing outside taken for sure.
//
// One cache line: the tiles' scans touch one a stamp.
struct alignas(64) StampReach {
    int32_t stamp;  // its index
    int32_t left, right;
    int32_t lines;  // index into the band's lines, or -1: none
    // On row py, at dy = py - centreY, the columns centreX - slant * dy +- sqrt(outer2 -
    // across * dy^2) may be inside and those +- sqrt(inner2 - across * dy^2) are.
    double centreX, centreY, slant, across, outer2, inner2;
};

// Columns between lines px = lowA + lowB * py and px = highA + highB * py, one pair an axis.
struct ReachLines {
    double lowA[2], lowB[2], highA[2], highB[2];
};

struct Band {
    std::vector<uint64_t> coverage;
    std::vector<RasterRowSpan> spans;
    std::vector<StampReach> reaches;  // the stamps over this band, in order
    std::vector<int32_t> reachRows;   // their rows, first and end, apart: scanned for every tile
    std::vector<ReachLines> lines;
    std::vector<int32_t> tileStamps;  // indices of the reaches over the tile being composed
    int64_t tested = 0;
};

}  // namespace

struct RasterCompositor {
    RasterWorkers* workers;
    int threads;
    RasterStampKernel kernel;  // the one chosen
    std::vector<Band> bands;
    // The frame being composed.
    const RasterField* field = nullptr;
    const RasterStamp* stamps = nullptr;
    int32_t count = 0;
    RasterTarget target{};
    int bandCount = 1;
    RasterStampKernel frameKernel = nullptr;
};

namespace {

constexpr double infinity = HUGE_VAL;
// Beyond the float rounding of u and v (counted in texels), bounds are moved out by this
// many pixels for the double arithmetic that finds them, far more than its rounding.
constexpr double slack = 1.0 / 64;

// Without a call; x lies within a pixel of int32_t's range, the results within it.
int32_t ceilOf(double x) {
    const int64_t t = static_cast<int64_t>(x);
    return static_cast<int32_t>(t + (t < x));
}

// The end, excluded, of the integers up to x: floor(x) + 1.
int32_t endAfter(double x) {
    const int64_t t = static_cast<int64_t>(x);
    return static_cast<int32_t>(t - (t > x) + 1);
}

// The interval of sample positions along one axis whose taps can reach a texel above 127.
struct AxisReach {
    double low, high;  // infinite where the clamp keeps positions beyond on an inside texel
};

AxisReach axisReach(int32_t firstInside, int32_t lastInside, int size) {
    return {firstInside <= 1 ? -infinity : firstInside - 1.0, lastInside >= size ? infinity : lastInside + 1.0};
}

// Columns where origin + step * px + rowStep * py lies in [low, high]: lines' axis k.
void columnLines(AxisReach reach, double origin, double step, double rowStep, double margin, ReachLines& lines, int k) {
    double a0 = (reach.low - margin - origin) / step, a1 = (reach.high + margin - origin) / step;
    if (step < 0) {
        std::swap(a0, a1);
    }
    lines.lowA[k] = a0 - 1.0;
    lines.highA[k] = a1 + 1.0;
    lines.lowB[k] = lines.highB[k] = -rowStep / step;
}

struct StampBounds {
    StampReach reach;
    int32_t rowFirst, rowEnd;
    bool hasLines;
    ReachLines lines;
};

StampBounds stampBounds(const RasterField& field, const RasterStamp& s) {
    StampBounds bounds{};
    StampReach& reach = bounds.reach;
    reach.left = s.left;
    reach.right = s.right;
    reach.lines = -1;
    reach.outer2 = infinity;
    bounds.rowFirst = s.top;
    bounds.rowEnd = s.bottom;
    const double scale = std::max({std::fabs(s.uX), std::fabs(s.vX), std::fabs(s.uY), std::fabs(s.vY)});
    if (!(scale > 0) || !std::isfinite(scale)) {
        return bounds;
    }
    // A few units in the last place of the largest term in u's and v's sums.
    const double farX = std::max(std::abs(static_cast<double>(s.left)), std::abs(static_cast<double>(s.right)));
    const double farY = std::max(std::abs(static_cast<double>(s.top)), std::abs(static_cast<double>(s.bottom)));
    const double uMargin = 2e-6 * (std::fabs(s.u0) + std::fabs(s.uX) * farX + std::fabs(s.uY) * farY) + 1e-6;
    const double vMargin = 2e-6 * (std::fabs(s.v0) + std::fabs(s.vX) * farX + std::fabs(s.vY) * farY) + 1e-6;
    const double det = static_cast<double>(s.uX) * s.vY - static_cast<double>(s.uY) * s.vX;
    const bool invertible = std::fabs(det) >= 1e-6 * scale * scale;
    const double ringMargin = uMargin + vMargin;
    const double outer = field.ringOuter + ringMargin, inner = std::max(0.0, field.ringInner - ringMargin);
    if (invertible) {
        // For M = (uX uY; vX vY) and a step d in pixels, |M d|^2 = a dx^2 + 2 b dx dy + e dy^2
        // with a e - b^2 = det^2: on row dy the ring's radius r is met at
        // dx = -b/a dy +- sqrt(r^2 / a - det^2 / a^2 dy^2).
        const double a = double(s.uX) * s.uX + double(s.vX) * s.vX;
        const double b = double(s.uX) * s.uY + double(s.vX) * s.vY;
        reach.centreX = (s.vY * (field.ringU - s.u0) - s.uY * (field.ringV - s.v0)) / det;
        reach.centreY = (s.uX * (field.ringV - s.v0) - s.vX * (field.ringU - s.u0)) / det;
        reach.slant = b / a;
        reach.across = det * det / (a * a);
        reach.outer2 = std::isfinite(outer) ? outer * outer / a : infinity;
        reach.inner2 = inner * inner / a;
        if (std::isfinite(outer)) {
            // The outer ring alone bounds rows and columns.
            const double rows = std::sqrt(reach.outer2 / reach.across) + slack;
            bounds.rowFirst = ceilOf(std::min(std::max(reach.centreY - rows, double(s.top)), double(s.bottom)));
            bounds.rowEnd = endAfter(std::min(std::max(reach.centreY + rows, s.top - 1.0), s.bottom - 1.0));
            return bounds;
        }
    }
    // Without the ring, the box of inside texels: lines for the columns, and where the axis
    // barely changes along a row, the rows instead.
    const AxisReach u = axisReach(field.insideFirstI, field.insideLastI, field.size);
    const AxisReach v = axisReach(field.insideFirstJ, field.insideLastJ, field.size);
    bounds.hasLines = true;
    bounds.lines = {{-infinity, -infinity}, {0, 0}, {infinity, infinity}, {0, 0}};
    if (std::fabs(s.uX) >= 1e-4 * scale) {
        columnLines(u, s.u0, s.uX, s.uY, uMargin, bounds.lines, 0);
    }
    if (std::fabs(s.vX) >= 1e-4 * scale) {
        columnLines(v, s.v0, s.vX, s.vY, vMargin, bounds.lines, 1);
    }
    if (invertible && std::isfinite(u.low) && std::isfinite(u.high) && std::isfinite(v.low) && std::isfinite(v.high)) {
        double top = infinity, bottom = -infinity;
        for (double cu : {u.low - uMargin, u.high + uMargin}) {
            for (double cv : {v.low - vMargin, v.high + vMargin}) {
                const double py = (s.uX * (cv - s.v0) - s.vX * (cu - s.u0)) / det;
                top = std::min(top, py);
                bottom = std::max(bottom, py);
            }
        }
        bounds.rowFirst = static_cast<int32_t>(std::max<double>(std::floor(top) - 1, s.top));
        bounds.rowEnd = static_cast<int32_t>(std::min<double>(std::ceil(bottom) + 2, s.bottom));
    }
    return bounds;
}

// Each row's columns where the stamp may be inside, and those where it is; false when none.
// Rows whose coverage bits are all set under the stamp's box get none, unworked.
bool rowSpans(const StampReach& reach, const ReachLines* lines, int32_t firstRow, int32_t rows,
              const uint64_t* coverage, ptrdiff_t words, int32_t areaLeft, RasterRowSpan* spans) {
    const double left = reach.left, lastColumn = reach.right - 1.0;
    const int32_t firstWord = (reach.left - areaLeft) >> 6, lastWord = (reach.right - 1 - areaLeft) >> 6;
    bool any = false;
    for (int32_t r = 0; r < rows; ++r) {
        const uint64_t* rowCoverage = coverage + r * words;
        int32_t word = firstWord;
        while (word <= lastWord && rowCoverage[word] == ~uint64_t{0}) {
            ++word;
        }
        if (word > lastWord) {
            spans[r] = {0, 0, 0, 0};
            continue;
        }
        const double py = firstRow + r;
        double low = -infinity, high = infinity;
        if (lines) {
            low = std::max(lines->lowA[0] + lines->lowB[0] * py, lines->lowA[1] + lines->lowB[1] * py);
            high = std::min(lines->highA[0] + lines->highB[0] * py, lines->highA[1] + lines->highB[1] * py);
        }
        double insideLow = infinity, insideHigh = -infinity;
        const double dy = py - reach.centreY, across = reach.across * dy * dy;
        const double centre = reach.centreX - reach.slant * dy;
        const double outer = reach.outer2 - across, inner = reach.inner2 - across;
        if (outer < 0) {
            high = -infinity;
        } else if (outer < infinity) {
            const double half = std::sqrt(outer);
            low = std::max(low, centre - half - slack);
            high = std::min(high, centre + half + slack);
        }
        if (inner > 0) {
            const double half = std::sqrt(inner);
            insideLow = centre - half + slack;
            insideHigh = centre + half - slack;
        }
        // Clamped first, so that the conversions see small numbers.
        RasterRowSpan& span = spans[r];
        span.first = ceilOf(std::min(std::max(low, left), lastColumn + 1.0));
        span.end = endAfter(std::min(std::max(high, left - 1.0), lastColumn));
        span.insideFirst = ceilOf(std::min(std::max(insideLow, left), lastColumn + 1.0));
        span.insideEnd = endAfter(std::min(std::max(insideHigh, left - 1.0), lastColumn));
        any |= span.first < span.end;
    }
    return any;
}

// 16 pixels a copy: plain C++ for a vector store.
void whiten(uint32_t* pixels, int32_t count) {
    static const uint32_t white[16] = {rasterBackground, rasterBackground, rasterBackground, rasterBackground,
                                       rasterBackground, rasterBackground, rasterBackground, rasterBackground,
                                       rasterBackground, rasterBackground, rasterBackground, rasterBackground,
                                       rasterBackground, rasterBackground, rasterBackground, rasterBackground};
    int32_t x = 0;
    for (; x + 16 <= count; x += 16) {
        std::memcpy(pixels + x, white, sizeof white);
    }
    for (; x < count; ++x) {
        pixels[x] = rasterBackground;
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
    band.reaches.clear();
    band.reachRows.clear();
    band.lines.clear();
    for (int32_t k = 0; k < c.count; ++k) {
        const RasterStamp& stamp = c.stamps[k];
        if (stamp.bottom <= target.y + bandTop || stamp.top >= target.y + bandEnd || stamp.right <= areaLeft ||
            stamp.left >= areaRight) {
            continue;
        }
        StampBounds bounds = stampBounds(*c.field, stamp);
        const int32_t rowFirst = std::max(bounds.rowFirst, target.y + bandTop);
        const int32_t rowEnd = std::min(bounds.rowEnd, target.y + bandEnd);
        if (rowFirst >= rowEnd) {
            continue;
        }
        StampReach& reach = bounds.reach;
        reach.stamp = k;
        reach.left = std::max(reach.left, areaLeft);
        reach.right = std::min(reach.right, areaRight);
        if (bounds.hasLines) {
            reach.lines = static_cast<int32_t>(band.lines.size());
            band.lines.push_back(bounds.lines);
        }
        band.reaches.push_back(reach);
        band.reachRows.push_back(rowFirst);
        band.reachRows.push_back(rowEnd);
    }
    for (int32_t tileTop = bandTop; tileTop < bandEnd; tileTop += tileRows) {
        const int32_t tileEnd = std::min(tileTop + tileRows, bandEnd);
        const int32_t areaTop = target.y + tileTop, areaEnd = target.y + tileEnd;
        std::fill_n(band.coverage.begin(), (tileEnd - tileTop) * words, 0);
        // White first, while the rows are in the cache: cheaper than finding the pixels left.
        for (int32_t row = tileTop; row < tileEnd; ++row) {
            whiten(target.pixels + row * target.stride, target.width);
        }
        // The stamps over the tile first, so that each one's reach and stamp can be fetched
        // while an earlier one is drawn: they are spread over more than the cache holds.
        band.tileStamps.clear();
        for (size_t k = 0; k < band.reaches.size(); ++k) {
            if (band.reachRows[2 * k] < areaEnd && band.reachRows[2 * k + 1] > areaTop) {
                band.tileStamps.push_back(static_cast<int32_t>(k));
            }
        }
        const size_t tileCount = band.tileStamps.size();
        for (size_t t = 0; t < tileCount; ++t) {
            // Reaches two ahead, and the stamp of the next, whose reach is here by now.
            if (t + 2 < tileCount) {
                __builtin_prefetch(&band.reaches[band.tileStamps[t + 2]]);
            }
            if (t + 1 < tileCount) {
                __builtin_prefetch(&c.stamps[band.reaches[band.tileStamps[t + 1]].stamp]);
            }
            const int32_t k = band.tileStamps[t];
            const int32_t first = std::max(band.reachRows[2 * k], areaTop);
            const int32_t end = std::min(band.reachRows[2 * k + 1], areaEnd);
            const StampReach& reach = band.reaches[k];
            const ReachLines* lines = reach.lines >= 0 ? &band.lines[reach.lines] : nullptr;
            if (!rowSpans(reach, lines, first, end - first, band.coverage.data() + (first - areaTop) * words, words,
                          areaLeft, band.spans.data())) {
                continue;
            }
            const RasterStampRows job{c.field,
                                      c.field->columnPairs.data(),
                                      &c.stamps[reach.stamp],
                                      first,
                                      end - first,
                                      band.spans.data(),
                                      band.coverage.data() + (first - areaTop) * words,
                                      words,
                                      target.pixels + (first - target.y) * target.stride,
                                      target.stride,
                                      target.width,
                                      areaLeft};
            band.tested += c.frameKernel(job);
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
    compositor->kernel = rasterKernelFunction(rasterBestKernel());
    compositor->bands.resize(threads);
    for (Band& band : compositor->bands) {
        band.spans.resize(tileRows);
    }
    int workers = 0;
    compositor->workers = rasterWorkersStart(threads - 1, composeBand, compositor, workers);
    compositor->threads = workers + 1;
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
    c.frameKernel = field.columnPairs.empty() ? rasterStampPlain : c.kernel;
    c.bandCount = std::min(c.threads, std::max(1, target.height / fewestRowsPerBand));
    const size_t coverageWords = static_cast<size_t>(tileRows) * ((target.width + 63) / 64);
    for (int b = 0; b < c.bandCount; ++b) {
        Band& band = c.bands[b];
        if (band.coverage.size() < coverageWords) {
            band.coverage.resize(coverageWords);
        }
        if (band.reaches.capacity() < static_cast<size_t>(count)) {
            band.reaches.reserve(count);
            band.reachRows.reserve(2 * static_cast<size_t>(count));
            band.lines.reserve(count);
            band.tileStamps.reserve(count);
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
