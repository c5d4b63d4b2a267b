// What the compositor hands a kernel: one stamp over some rows of a band, each row's span
// of pixels where the stamp may be inside, and the band's coverage bits.
#pragma once
#include <cstddef>
#include <cstdint>

#include "RasterCompose.h"
#include "RasterCompositor.h"

struct RasterRowSpan {
    int32_t first, end;              // area pixels to test, end excluded; first >= end: none
    int32_t insideFirst, insideEnd;  // among them, pixels certainly inside, which may be taken unsampled
};

struct RasterStampRows {
    const RasterField* field;
    const uint8_t* columnPairs;  // the field's, apart: the AVX2 file calls nothing of std::vector's,
                                 // whose out-of-line copies the linker might take from it
    const RasterStamp* stamp;
    int32_t areaTop;  // the area row of rows[0]
    int32_t rows;
    const RasterRowSpan* spans;  // one per row
    uint64_t* coverage;          // row r's words at coverage + r * coverageWords
    ptrdiff_t coverageWords;
    uint32_t* pixels;  // row r's pixels at pixels + r * stride
    ptrdiff_t stride;
    int32_t width;     // pixels a row; nothing past them may be touched
    int32_t areaLeft;  // the area column of bit 0 and pixels[0]
};

// Each returns how many pixels it sampled.
using RasterStampKernel = int64_t (*)(const RasterStampRows& job);
int64_t rasterStampPlain(const RasterStampRows& job);
int64_t rasterStampSse2(const RasterStampRows& job);
int64_t rasterStampAvx2(const RasterStampRows& job);

// The kernel's function, or null where this processor or build lacks it.
RasterStampKernel rasterKernelFunction(RasterKernel kernel);

// Bits lo..hi-1 of a 64-bit word, 0 <= lo < hi <= 64. Static: each kernel's file keeps its
// own copy, compiled with that file's instruction set.
static inline uint64_t rasterBitRange(int lo, int hi) {
    const uint64_t below = hi == 64 ? ~uint64_t{0} : (uint64_t{1} << hi) - 1;
    return below & ~((uint64_t{1} << lo) - 1);
}

// Bits first..end-1 of a word, counted from its first pixel; none where they miss it.
static inline uint64_t rasterWordBits(int32_t first, int32_t end) {
    const int lo = first > 0 ? first : 0, hi = end < 64 ? end : 64;
    return lo < hi ? rasterBitRange(lo, hi) : 0;
}

// A row's span as words of bits: all set but below `first` in the first word and past
// `end` in the last.
struct RasterSpanWords {
    int32_t first, last;
    uint64_t head, tail;
};

static inline RasterSpanWords rasterSpanWords(int32_t first, int32_t end) {
    return {first >> 6, (end - 1) >> 6, ~uint64_t{0} << (first & 63), ~uint64_t{0} >> (63 - ((end - 1) & 63))};
}

static inline uint64_t rasterSpanWord(const RasterSpanWords& span, int32_t word) {
    return (word == span.first ? span.head : ~uint64_t{0}) & (word == span.last ? span.tail : ~uint64_t{0});
}

static inline int rasterBitCount(uint64_t bits) {
    bits -= (bits >> 1) & 0x5555555555555555u;
    bits = (bits & 0x3333333333333333u) + ((bits >> 2) & 0x3333333333333333u);
    bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<int>((bits * 0x0101010101010101u) >> 56);
}
