// The raster path's compositor: flowers as stamps of one outline, nearest first, each
// pixel taking the first stamp that covers it, composed into 32-bit pixels on the CPU.
#pragma once
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

// The outline's distance field with a border of zero texels around it, so that a sample
// next to the edge reads no further checks: pitch = size + 2, rows from the lowest v up,
// padded texel (i, j) = field texel (i - 1, j - 1); a few bytes of slack at the end let a
// vector load read past the last texel.
struct RasterField {
    int size;                     // of the outline field, texels along each side (at most 16381)
    int pitch;                    // size + 2
    std::vector<uint8_t> texels;  // pitch * pitch, then slack
    // Every padded texel above 127 lies in columns insideFirstI..insideLastI and rows
    // insideFirstJ..insideLastJ (set by rasterFieldFrom; first > last: none). The defaults
    // claim the whole field, which is always true, only slower.
    int32_t insideFirstI = 0, insideLastI = INT32_MAX;
    int32_t insideFirstJ = 0, insideLastJ = INT32_MAX;
    // A ring about (ringU, ringV) in padded texels: every sample nearer than ringInner is
    // inside, every one farther than ringOuter outside. Set by rasterFieldFrom; the defaults
    // claim nothing.
    double ringU = 0, ringV = 0, ringInner = 0, ringOuter = std::numeric_limits<double>::infinity();
    // Padded texels (i, j) and (i, j + 1) as two neighbouring bytes, pitch pairs a row, so
    // that one 4-byte load at pair (i, j) holds all four taps; then slack. Set by
    // rasterFieldFrom; without it the compositor uses its plain kernel.
    std::vector<uint8_t> columnPairs;
};

// From a field of size x size bytes, rows from the lowest v up.
void rasterFieldFrom(const uint8_t* texels, int size, RasterField& field);

// One flower on screen. For the area's pixel (px, py), counted from the area's top left,
// the padded field is sampled at
//     u = (u0 + uY * py) + uX * px,   v = (v0 + vY * py) + vX * px
// in single precision in exactly that order (the row's start first, then the column),
// where padded texel (i, j) sits at (u, v) = (i, j). Pixel centres are already folded into u0, v0.
struct RasterStamp {
    float u0, v0;
    float uX, vX;                      // a pixel to the right
    float uY, vY;                      // a pixel down
    int32_t left, top, right, bottom;  // in area pixels, right and bottom excluded: outside, nothing
    uint32_t colour;                   // 0x00RRGGBB, as X11 ZPixmaps, wl_shm XRGB8888 and 32-bit DIBs hold it
};

// Where the pixels go: a part of the area, which may be the whole of it.
struct RasterTarget {
    uint32_t* pixels;
    int32_t x, y;  // the part's top left in area pixels
    int32_t width, height;
    ptrdiff_t stride;  // pixels from one row to the next
};

constexpr uint32_t rasterBackground = 0x00FFFFFF;

// The filtered sample at (u, v): bilinear taps of the clamped position, each weighted in
// 256ths, so 0..255 * 65536. A pixel is inside when it exceeds rasterInsideAbove (127.5 of 255).
uint32_t rasterFilteredValue(const RasterField& field, float u, float v);
constexpr uint32_t rasterInsideAbove = 8355840;
