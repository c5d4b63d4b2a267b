#include "RasterCompose.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "RasterKernels.h"

namespace {

// Enough for a 32-byte load at the last texel.
constexpr int fieldSlack = 32;

// A sample's taps lie within sqrt(2) of it.
constexpr double tapReach = 1.5;

void measureRing(RasterField& field) {
    if (field.insideFirstI > field.insideLastI) {
        field.ringOuter = field.ringInner = 0;
        return;
    }
    field.ringU = (field.insideFirstI + field.insideLastI) / 2.0;
    field.ringV = (field.insideFirstJ + field.insideLastJ) / 2.0;
    double farthestInside = 0, nearestOutside = std::numeric_limits<double>::infinity();
    for (int j = 0; j < field.pitch; ++j) {
        for (int i = 0; i < field.pitch; ++i) {
            const double distance = std::hypot(i - field.ringU, j - field.ringV);
            if (field.texels[static_cast<size_t>(j) * field.pitch + i] > 127) {
                farthestInside = std::max(farthestInside, distance);
            } else {
                nearestOutside = std::min(nearestOutside, distance);
            }
        }
    }
    field.ringInner = std::max(0.0, nearestOutside - tapReach);
    // An inside texel where the clamp holds samples from far away claims no outer bound.
    const bool clear = field.insideFirstI >= 2 && field.insideFirstJ >= 2 && field.insideLastI <= field.size - 1 &&
                       field.insideLastJ <= field.size - 1;
    field.ringOuter = clear ? farthestInside + tapReach : std::numeric_limits<double>::infinity();
}

}  // namespace

void rasterFieldFrom(const uint8_t* texels, int size, RasterField& field) {
    field.size = size;
    field.pitch = size + 2;
    field.texels.assign(static_cast<size_t>(field.pitch) * field.pitch + fieldSlack, 0);
    field.insideFirstI = field.insideFirstJ = field.pitch;
    field.insideLastI = field.insideLastJ = -1;
    for (int row = 0; row < size; ++row) {
        const uint8_t* from = texels + static_cast<size_t>(row) * size;
        std::memcpy(&field.texels[static_cast<size_t>(row + 1) * field.pitch + 1], from, size);
        for (int column = 0; column < size; ++column) {
            if (from[column] > 127) {
                field.insideFirstI = std::min(field.insideFirstI, column + 1);
                field.insideLastI = std::max(field.insideLastI, column + 1);
                field.insideFirstJ = std::min(field.insideFirstJ, row + 1);
                field.insideLastJ = row + 1;
            }
        }
    }
    const size_t texelCount = static_cast<size_t>(field.pitch) * field.pitch;
    field.columnPairs.assign(2 * texelCount + fieldSlack, 0);
    for (size_t at = 0; at < texelCount; ++at) {
        field.columnPairs[2 * at] = field.texels[at];
        field.columnPairs[2 * at + 1] = at + field.pitch < texelCount ? field.texels[at + field.pitch] : 0;
    }
    measureRing(field);
}

uint32_t rasterFilteredValue(const RasterField& field, float u, float v) {
    const float highest = static_cast<float>(field.size) + 0.99609375f;
    const float uc = std::min(std::max(u, 0.0f), highest);
    const float vc = std::min(std::max(v, 0.0f), highest);
    const int i = static_cast<int>(uc);
    const int j = static_cast<int>(vc);
    const uint32_t fu = static_cast<uint32_t>((uc - static_cast<float>(i)) * 256.0f);
    const uint32_t fv = static_cast<uint32_t>((vc - static_cast<float>(j)) * 256.0f);
    const uint8_t* row0 = &field.texels[static_cast<size_t>(j) * field.pitch + i];
    const uint8_t* row1 = row0 + field.pitch;
    const uint32_t top = row0[0] * (256 - fu) + row0[1] * fu;
    const uint32_t bottom = row1[0] * (256 - fu) + row1[1] * fu;
    return top * (256 - fv) + bottom * fv;
}

int64_t rasterStampPlain(const RasterStampRows& job) {
    const RasterStamp& stamp = *job.stamp;
    int64_t tested = 0;
    for (int32_t row = 0; row < job.rows; ++row) {
        const RasterRowSpan span = job.spans[row];
        const int32_t py = job.areaTop + row;
        const float rowU = stamp.u0 + stamp.uY * static_cast<float>(py);
        const float rowV = stamp.v0 + stamp.vY * static_cast<float>(py);
        uint64_t* coverage = job.coverage + row * job.coverageWords;
        uint32_t* pixels = job.pixels + row * job.stride;
        for (int32_t px = span.first; px < span.end; ++px) {
            const int32_t x = px - job.areaLeft;
            uint64_t& word = coverage[x >> 6];
            if (word == ~uint64_t{0}) {
                px = job.areaLeft + (x | 63);  // the rest of this word is taken
                continue;
            }
            const uint64_t bit = uint64_t{1} << (x & 63);
            if (word & bit) {
                continue;
            }
            ++tested;
            const float u = rowU + stamp.uX * static_cast<float>(px);
            const float v = rowV + stamp.vX * static_cast<float>(px);
            if (rasterFilteredValue(*job.field, u, v) > rasterInsideAbove) {
                pixels[x] = stamp.colour;
                word |= bit;
            }
        }
    }
    return tested;
}

const char* rasterKernelName(RasterKernel kernel) {
    switch (kernel) {
        case RasterKernel::Plain:
            return "plain";
        case RasterKernel::Sse2:
            return "sse2";
        case RasterKernel::Avx2:
            return "avx2";
    }
    return "?";
}
