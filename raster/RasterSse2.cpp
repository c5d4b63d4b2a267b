// Four pixels at a time with x86-64's baseline: vector arithmetic, each pixel's four taps
// loaded from the field's column pairs one pixel at a time (no gather before AVX2).
#include <emmintrin.h>

#include <cstring>

#include "RasterKernels.h"

namespace {

struct Sse2Sampler {
    __m128 uX, vX, highest;
    __m128i pairStep;  // 2 and 2 pitch as 16-bit halves
    const uint8_t* pairs;
};

inline int loadTaps(const uint8_t* at) {
    int taps;
    std::memcpy(&taps, at, sizeof taps);
    return taps;
}

// Bit k set where pixel px + k is inside.
inline int insideMask(const Sse2Sampler& s, __m128 rowU, __m128 rowV, int32_t px) {
    const __m128 column = _mm_cvtepi32_ps(_mm_add_epi32(_mm_set1_epi32(px), _mm_setr_epi32(0, 1, 2, 3)));
    const __m128 u = _mm_add_ps(rowU, _mm_mul_ps(s.uX, column));
    const __m128 v = _mm_add_ps(rowV, _mm_mul_ps(s.vX, column));
    const __m128 uc = _mm_min_ps(_mm_max_ps(u, _mm_setzero_ps()), s.highest);
    const __m128 vc = _mm_min_ps(_mm_max_ps(v, _mm_setzero_ps()), s.highest);
    // In 256ths, exact (a power of two): the texel above the lowest 8 bits, the weight in them.
    const __m128 scale = _mm_set1_ps(256.0f);
    const __m128i u256 = _mm_cvttps_epi32(_mm_mul_ps(uc, scale));
    const __m128i v256 = _mm_cvttps_epi32(_mm_mul_ps(vc, scale));
    const __m128i weightBits = _mm_set1_epi32(255);
    const __m128i fu = _mm_and_si128(u256, weightBits);
    const __m128i fv = _mm_and_si128(v256, weightBits);
    // (i, j) as 16-bit halves meet (2, 2 pitch): pair (i, j)'s byte offset.
    const __m128i ij =
        _mm_or_si128(_mm_srli_epi32(u256, 8), _mm_and_si128(_mm_slli_epi32(v256, 8), _mm_set1_epi32(-65536)));
    alignas(16) int32_t at[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(at), _mm_madd_epi16(ij, s.pairStep));
    // Bytes t00, t01, t10, t11 a lane: (t00, t10) and (t01, t11) as 16-bit halves, to meet the
    // weights (256 - fu, fu).
    const __m128i taps = _mm_setr_epi32(loadTaps(s.pairs + at[0]), loadTaps(s.pairs + at[1]), loadTaps(s.pairs + at[2]),
                                        loadTaps(s.pairs + at[3]));
    const __m128i weights = _mm_or_si128(_mm_sub_epi32(_mm_set1_epi32(256), fu), _mm_slli_epi32(fu, 16));
    const __m128i top = _mm_madd_epi16(_mm_and_si128(taps, _mm_set1_epi32(0x00FF00FF)), weights);
    const __m128i bottom = _mm_madd_epi16(_mm_srli_epi16(taps, 8), weights);
    // Products and sum stay below 2^24: exact in float, and SSE2 has no 32-bit multiply.
    const __m128 fvf = _mm_cvtepi32_ps(fv);
    const __m128 value =
        _mm_add_ps(_mm_mul_ps(_mm_cvtepi32_ps(top), _mm_sub_ps(scale, fvf)), _mm_mul_ps(_mm_cvtepi32_ps(bottom), fvf));
    return _mm_movemask_ps(_mm_cmpgt_ps(value, _mm_set1_ps(static_cast<float>(rasterInsideAbove))));
}

// Writes the colour to the pixels of set bits among the first `count`, a vector at a time.
inline void takePixels(uint32_t* pixels, uint64_t bits, __m128i colour, uint32_t single, int32_t count) {
    const __m128i lanes = _mm_setr_epi32(1, 2, 4, 8);
    while (bits) {
        const int group = __builtin_ctzll(bits) & ~3;
        const int part = static_cast<int>(bits >> group) & 15;
        bits &= ~(uint64_t{15} << group);
        auto* at = reinterpret_cast<__m128i*>(pixels + group);
        if (part == 15) {
            _mm_storeu_si128(at, colour);
        } else if (group + 4 <= count) {
            const __m128i mask = _mm_cmpeq_epi32(_mm_and_si128(_mm_set1_epi32(part), lanes), lanes);
            _mm_storeu_si128(at,
                             _mm_or_si128(_mm_and_si128(mask, colour), _mm_andnot_si128(mask, _mm_loadu_si128(at))));
        } else {
            for (int lane = part; lane; lane &= lane - 1) {
                pixels[group + __builtin_ctz(lane)] = single;
            }
        }
    }
}

}  // namespace

int64_t rasterStampSse2(const RasterStampRows& job) {
    const RasterStamp& stamp = *job.stamp;
    const RasterField& field = *job.field;
    const Sse2Sampler sampler{_mm_set1_ps(stamp.uX), _mm_set1_ps(stamp.vX),
                              _mm_set1_ps(static_cast<float>(field.size) + 0.99609375f),
                              _mm_set1_epi32(2 | (2 * field.pitch) << 16), field.columnPairs.data()};
    const __m128i colour = _mm_set1_epi32(static_cast<int>(stamp.colour));
    int64_t tested = 0;
    for (int32_t row = 0; row < job.rows; ++row) {
        const RasterRowSpan span = job.spans[row];
        if (span.first >= span.end) {
            continue;
        }
        const int32_t py = job.areaTop + row;
        const __m128 rowU = _mm_set1_ps(stamp.u0 + stamp.uY * static_cast<float>(py));
        const __m128 rowV = _mm_set1_ps(stamp.v0 + stamp.vY * static_cast<float>(py));
        uint64_t* coverage = job.coverage + row * job.coverageWords;
        uint32_t* pixels = job.pixels + row * job.stride;
        const RasterSpanWords words = rasterSpanWords(span.first - job.areaLeft, span.end - job.areaLeft);
        const int32_t insideFirst = span.insideFirst - job.areaLeft, insideEnd = span.insideEnd - job.areaLeft;
        const bool inside = insideFirst < insideEnd;
        for (int32_t word = words.first; word <= words.last; ++word) {
            const int32_t base = word * 64;
            uint64_t open = rasterSpanWord(words, word) & ~coverage[word];
            uint64_t taken = inside ? rasterWordBits(insideFirst - base, insideEnd - base) & open : 0;
            open &= ~taken;
            tested += rasterBitCount(open);
            while (open) {
                const int group = __builtin_ctzll(open);  // the next four from the first wanted
                const int wanted = static_cast<int>(open >> group) & 15;
                open &= ~(uint64_t{15} << group);
                taken |= static_cast<uint64_t>(insideMask(sampler, rowU, rowV, job.areaLeft + base + group) & wanted)
                         << group;
            }
            coverage[word] |= taken;
            takePixels(pixels + base, taken, colour, stamp.colour, job.width - base);
        }
    }
    return tested;
}
