// Eight pixels at a time; one 4-byte gather of the field's column pairs brings all four of
// a pixel's taps. Compiled with -mavx2 alone (no FMA), called only where the CPU has AVX2.
#include <immintrin.h>

#include "RasterKernels.h"

namespace {

struct Avx2Sampler {
    __m256 uX, vX, highest;
    __m256i pairStep;  // 2 and 2 pitch as 16-bit halves
    const int* pairs;  // byte addressed by the gather
};

// Bit k set where pixel px + k is inside.
inline int insideMask(const Avx2Sampler& s, __m256 rowU, __m256 rowV, int32_t px) {
    const __m256 column =
        _mm256_cvtepi32_ps(_mm256_add_epi32(_mm256_set1_epi32(px), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)));
    const __m256 u = _mm256_add_ps(rowU, _mm256_mul_ps(s.uX, column));
    const __m256 v = _mm256_add_ps(rowV, _mm256_mul_ps(s.vX, column));
    const __m256 uc = _mm256_min_ps(_mm256_max_ps(u, _mm256_setzero_ps()), s.highest);
    const __m256 vc = _mm256_min_ps(_mm256_max_ps(v, _mm256_setzero_ps()), s.highest);
    // In 256ths, exact (a power of two): the texel above the lowest 8 bits, the weight in them.
    const __m256 scale = _mm256_set1_ps(256.0f);
    const __m256i u256 = _mm256_cvttps_epi32(_mm256_mul_ps(uc, scale));
    const __m256i v256 = _mm256_cvttps_epi32(_mm256_mul_ps(vc, scale));
    const __m256i weightBits = _mm256_set1_epi32(255);
    const __m256i fu = _mm256_and_si256(u256, weightBits);
    const __m256 fv = _mm256_cvtepi32_ps(_mm256_and_si256(v256, weightBits));
    // (i, j) as 16-bit halves meet (2, 2 pitch): pair (i, j)'s byte offset.
    const __m256i ij = _mm256_or_si256(_mm256_srli_epi32(u256, 8),
                                       _mm256_and_si256(_mm256_slli_epi32(v256, 8), _mm256_set1_epi32(-65536)));
    const __m256i taps = _mm256_i32gather_epi32(s.pairs, _mm256_madd_epi16(ij, s.pairStep), 1);
    // Bytes t00, t01, t10, t11 a lane: (t00, t10) and (t01, t11) as 16-bit halves, to meet the
    // weights (256 - fu, fu).
    const __m256i weights = _mm256_or_si256(_mm256_sub_epi32(_mm256_set1_epi32(256), fu), _mm256_slli_epi32(fu, 16));
    const __m256i top = _mm256_madd_epi16(_mm256_and_si256(taps, _mm256_set1_epi32(0x00FF00FF)), weights);
    const __m256i bottom = _mm256_madd_epi16(_mm256_srli_epi16(taps, 8), weights);
    // Products and sum stay below 2^24: exact in float, and quicker than a 32-bit multiply.
    const __m256 value = _mm256_add_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(top), _mm256_sub_ps(scale, fv)),
                                       _mm256_mul_ps(_mm256_cvtepi32_ps(bottom), fv));
    return _mm256_movemask_ps(_mm256_cmp_ps(value, _mm256_set1_ps(static_cast<float>(rasterInsideAbove)), _CMP_GT_OQ));
}

// Writes the colour to the pixels of set bits among the first `count`, a vector at a time
// (masked stores are slow on some processors).
inline void takePixels(uint32_t* pixels, uint64_t bits, __m256i colour, uint32_t single, int32_t count) {
    const __m256i lanes = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
    while (bits) {
        const int group = __builtin_ctzll(bits) & ~7;
        const int part = static_cast<int>(bits >> group) & 255;
        bits &= ~(uint64_t{255} << group);
        auto* at = reinterpret_cast<__m256i*>(pixels + group);
        if (part == 255) {
            _mm256_storeu_si256(at, colour);
        } else if (group + 8 <= count) {
            const __m256i mask = _mm256_cmpeq_epi32(_mm256_and_si256(_mm256_set1_epi32(part), lanes), lanes);
            _mm256_storeu_si256(at, _mm256_blendv_epi8(_mm256_loadu_si256(at), colour, mask));
        } else {
            for (int lane = part; lane; lane &= lane - 1) {
                pixels[group + __builtin_ctz(lane)] = single;
            }
        }
    }
}

}  // namespace

int64_t rasterStampAvx2(const RasterStampRows& job) {
    const RasterStamp& stamp = *job.stamp;
    const RasterField& field = *job.field;
    const Avx2Sampler sampler{_mm256_set1_ps(stamp.uX), _mm256_set1_ps(stamp.vX),
                              _mm256_set1_ps(static_cast<float>(field.size) + 0.99609375f),
                              _mm256_set1_epi32(2 | (2 * field.pitch) << 16),
                              reinterpret_cast<const int*>(job.columnPairs)};
    const __m256i colour = _mm256_set1_epi32(static_cast<int>(stamp.colour));
    int64_t tested = 0;
    for (int32_t row = 0; row < job.rows; ++row) {
        const RasterRowSpan span = job.spans[row];
        if (span.first >= span.end) {
            continue;
        }
        const int32_t py = job.areaTop + row;
        const __m256 rowU = _mm256_set1_ps(stamp.u0 + stamp.uY * static_cast<float>(py));
        const __m256 rowV = _mm256_set1_ps(stamp.v0 + stamp.vY * static_cast<float>(py));
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
                const int group = __builtin_ctzll(open);  // the next eight from the first wanted
                const int wanted = static_cast<int>(open >> group) & 255;
                open &= ~(uint64_t{255} << group);
                taken |= static_cast<uint64_t>(insideMask(sampler, rowU, rowV, job.areaLeft + base + group) & wanted)
                         << group;
            }
            coverage[word] |= taken;
            takePixels(pixels + base, taken, colour, stamp.colour, job.width - base);
        }
    }
    return tested;
}
