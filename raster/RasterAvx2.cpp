// Eight pixels at a time; one 4-byte gather per field row brings both of a pixel's taps in
// that row. Compiled with -mavx2 alone (no FMA), called only where the CPU has AVX2.
#include <immintrin.h>

#include "RasterKernels.h"

namespace {

struct Avx2Sampler {
    __m256 uX, vX, highest, pitch;
    const int* texels;  // byte addressed by the gathers
    const int* nextRow;
};

// Bit k set where pixel px + k is inside.
inline int insideMask(const Avx2Sampler& s, __m256 rowU, __m256 rowV, int32_t px) {
    const __m256 column =
        _mm256_cvtepi32_ps(_mm256_add_epi32(_mm256_set1_epi32(px), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)));
    const __m256 u = _mm256_add_ps(rowU, _mm256_mul_ps(s.uX, column));
    const __m256 v = _mm256_add_ps(rowV, _mm256_mul_ps(s.vX, column));
    const __m256 uc = _mm256_min_ps(_mm256_max_ps(u, _mm256_setzero_ps()), s.highest);
    const __m256 vc = _mm256_min_ps(_mm256_max_ps(v, _mm256_setzero_ps()), s.highest);
    const __m256i i = _mm256_cvttps_epi32(uc);
    const __m256i j = _mm256_cvttps_epi32(vc);
    const __m256 scale = _mm256_set1_ps(256.0f);
    const __m256i fu = _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_sub_ps(uc, _mm256_cvtepi32_ps(i)), scale));
    const __m256 fv =
        _mm256_cvtepi32_ps(_mm256_cvttps_epi32(_mm256_mul_ps(_mm256_sub_ps(vc, _mm256_cvtepi32_ps(j)), scale)));
    // j * pitch + i stays below 2^24, so float arithmetic gives it exactly.
    const __m256i offset =
        _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(j), s.pitch), _mm256_cvtepi32_ps(i)));
    const __m256i row0 = _mm256_i32gather_epi32(s.texels, offset, 1);
    const __m256i row1 = _mm256_i32gather_epi32(s.nextRow, offset, 1);
    // Bytes t0, t1 of each lane spread to 16-bit halves, to meet the weights (256 - f, f).
    const __m256i spread = _mm256_setr_epi8(0, -1, 1, -1, 4, -1, 5, -1, 8, -1, 9, -1, 12, -1, 13, -1, 0, -1, 1, -1, 4,
                                            -1, 5, -1, 8, -1, 9, -1, 12, -1, 13, -1);
    const __m256i weights = _mm256_or_si256(_mm256_sub_epi32(_mm256_set1_epi32(256), fu), _mm256_slli_epi32(fu, 16));
    const __m256i top = _mm256_madd_epi16(_mm256_shuffle_epi8(row0, spread), weights);
    const __m256i bottom = _mm256_madd_epi16(_mm256_shuffle_epi8(row1, spread), weights);
    // Products and sum stay below 2^24: exact in float, and quicker than a 32-bit multiply.
    const __m256 value = _mm256_add_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(top), _mm256_sub_ps(scale, fv)),
                                       _mm256_mul_ps(_mm256_cvtepi32_ps(bottom), fv));
    return _mm256_movemask_ps(_mm256_cmp_ps(value, _mm256_set1_ps(static_cast<float>(rasterInsideAbove)), _CMP_GT_OQ));
}

}  // namespace

int64_t rasterStampAvx2(const RasterStampRows& job) {
    const RasterStamp& stamp = *job.stamp;
    const RasterField& field = *job.field;
    const int* texels = reinterpret_cast<const int*>(field.texels.data());
    const Avx2Sampler sampler{_mm256_set1_ps(stamp.uX),
                              _mm256_set1_ps(stamp.vX),
                              _mm256_set1_ps(static_cast<float>(field.size) + 0.99609375f),
                              _mm256_set1_ps(static_cast<float>(field.pitch)),
                              texels,
                              reinterpret_cast<const int*>(field.texels.data() + field.pitch)};
    const __m256i colour = _mm256_set1_epi32(static_cast<int>(stamp.colour));
    const __m256i laneBits = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
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
        const int32_t first = span.first - job.areaLeft;
        const int32_t end = span.end - job.areaLeft;
        for (int32_t word = first >> 6; word <= (end - 1) >> 6; ++word) {
            const int32_t base = word * 64;
            const int lo = first > base ? first - base : 0;
            const int hi = end < base + 64 ? end - base : 64;
            uint64_t open = rasterBitRange(lo, hi) & ~coverage[word];
            while (open) {
                const int group = __builtin_ctzll(open) & ~7;
                const int wanted = static_cast<int>(open >> group) & 255;
                open &= ~(uint64_t{255} << group);
                tested += __builtin_popcount(wanted);
                const int hit = insideMask(sampler, rowU, rowV, job.areaLeft + base + group) & wanted;
                if (hit) {
                    coverage[word] |= static_cast<uint64_t>(hit) << group;
                    const __m256i store =
                        _mm256_cmpeq_epi32(_mm256_and_si256(_mm256_set1_epi32(hit), laneBits), laneBits);
                    _mm256_maskstore_epi32(reinterpret_cast<int*>(pixels + base + group), store, colour);
                }
            }
        }
    }
    return tested;
}
