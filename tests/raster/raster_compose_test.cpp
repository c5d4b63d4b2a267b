// The compositor against a reference that samples every pixel of every stamp, with every
// kernel the processor has and every banding.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "RasterCompose.h"
#include "RasterCompositor.h"

namespace {

constexpr double pi = 3.14159265358979323846;

// A flower-like field: five rounded petals, values falling 8 per texel across the edge, the
// outermost texels outside. With `edgeToEdge`, random texels instead, inside ones on the border too.
RasterField testField(int size, bool edgeToEdge, uint32_t seed) {
    std::vector<uint8_t> texels(size * size);
    std::mt19937 random(seed);
    for (int j = 0; j < size; ++j) {
        for (int i = 0; i < size; ++i) {
            const double x = i + 0.5 - size / 2.0, y = j + 0.5 - size / 2.0;
            const double edge = (size / 2.0 - 7) * (0.6 + 0.4 * std::fabs(std::cos(2.5 * std::atan2(y, x))));
            const double value = 127.5 + 8 * (edge - std::hypot(x, y));
            texels[j * size + i] = edgeToEdge ? static_cast<uint8_t>(random() & 255)
                                              : static_cast<uint8_t>(std::fmin(std::fmax(value, 0), 255));
        }
    }
    RasterField field;
    rasterFieldFrom(texels.data(), size, field);
    return field;
}

// Each pixel sampled against every stamp in order, with no coverage bits and no spans.
uint32_t referencePixel(const RasterField& field, const std::vector<RasterStamp>& stamps, int32_t px, int32_t py) {
    for (const RasterStamp& s : stamps) {
        if (px < s.left || px >= s.right || py < s.top || py >= s.bottom) {
            continue;
        }
        const float u = (s.u0 + s.uY * py) + s.uX * px;
        const float v = (s.v0 + s.vY * py) + s.vX * px;
        if (rasterFilteredValue(field, u, v) > rasterInsideAbove) {
            return s.colour;
        }
    }
    return rasterBackground;
}

// A flower of `radius` pixels centred at (cx, cy), turned by `turn`; its box reaches `reach`
// times the field's half side.
RasterStamp flowerStamp(const RasterField& field, double cx, double cy, double radius, double turn, double reach,
                        uint32_t colour) {
    const double half = field.size / 2.0, perPixel = (half - 7) / radius, centre = field.pitch / 2.0;
    const double c = std::cos(turn) * perPixel, s = std::sin(turn) * perPixel;
    const double extent = reach * half / perPixel * (std::fabs(std::cos(turn)) + std::fabs(std::sin(turn)));
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
    stamp.colour = colour & 0xFFFFFF;
    return stamp;
}

// Composes with every kernel the CPU has on 1, 2, 3 and one thread per core, and compares
// each pixel with the reference and the stride's gap with what was there.
void expectEveryKernelMatches(const RasterField& field, const std::vector<RasterStamp>& stamps, RasterTarget target) {
    std::vector<uint32_t> expected(target.height * target.stride, 0xDEADBEEF);
    for (int32_t y = 0; y < target.height; ++y) {
        for (int32_t x = 0; x < target.width; ++x) {
            expected[y * target.stride + x] = referencePixel(field, stamps, target.x + x, target.y + y);
        }
    }
    for (RasterKernel kernel : {RasterKernel::Plain, RasterKernel::Sse2, RasterKernel::Avx2}) {
        for (int threads : {1, 2, 3, 0}) {
            RasterCompositor* compositor = rasterCompositorStart(threads);
            if (rasterUseKernel(compositor, kernel)) {
                std::vector<uint32_t> pixels(expected.size(), 0xDEADBEEF);
                target.pixels = pixels.data();
                // Twice: scratch from the first frame must not leak into the second.
                for (int frame = 0; frame < 2; ++frame) {
                    rasterCompose(compositor, field, stamps.data(), static_cast<int32_t>(stamps.size()), target);
                }
                int wrong = 0;
                for (size_t k = 0; k < pixels.size(); ++k) {
                    if (pixels[k] != expected[k] && wrong++ < 3) {
                        ADD_FAILURE() << rasterKernelName(kernel) << ", " << threads << " threads: pixel ("
                                      << k % target.stride << ", " << k / target.stride << ") is " << std::hex
                                      << pixels[k] << ", not " << expected[k];
                    }
                }
            }
            rasterCompositorStop(compositor);
        }
    }
}

struct ComposeCase {
    const char* name;
    bool edgeToEdge;                      // the random field, inside texels reaching the clamp
    int32_t x, y, width, height, stride;  // the target within an area
    int count;                            // random stamps over the area around the target
    double smallest, largest;             // their radii in pixels
    double reach;                         // their boxes, in field half sides
    bool straight;                        // turns of whole quarters only
};

void PrintTo(const ComposeCase& c, std::ostream* out) {
    *out << c.name;
}

class Compose : public testing::TestWithParam<ComposeCase> {};

TEST_P(Compose, EveryKernelAndBandingMatchesTheReference) {
    const ComposeCase& c = GetParam();
    const RasterField field = testField(c.edgeToEdge ? 24 : 96, c.edgeToEdge, 7);
    std::mt19937 random(1234);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<RasterStamp> stamps;
    for (int k = 0; k < c.count; ++k) {
        const double radius = c.smallest * std::pow(c.largest / c.smallest, unit(random));
        const double turn = c.straight ? std::floor(unit(random) * 4) * pi / 2 : unit(random) * 2 * pi;
        const double cx = c.x - radius + unit(random) * (c.width + 2 * radius);
        const double cy = c.y - radius + unit(random) * (c.height + 2 * radius);
        stamps.push_back(flowerStamp(field, cx, cy, radius, turn, c.reach, random()));
    }
    expectEveryKernelMatches(field, stamps, {nullptr, c.x, c.y, c.width, c.height, c.stride});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Compose,
    testing::Values(ComposeCase{"Random", false, 0, 0, 256, 200, 256, 70, 2, 40, 1.0, false},
                    ComposeCase{"Crowded", false, 0, 0, 200, 150, 200, 600, 1, 30, 1.0, false},
                    ComposeCase{"PartOfTheAreaOddWidthWideStride", false, 37, 53, 133, 77, 150, 60, 2, 30, 1.0, false},
                    ComposeCase{"NegativeAreaCorner", false, -70, -40, 65, 130, 65, 40, 1, 25, 1.0, false},
                    ComposeCase{"NoStamps", false, 0, 0, 64, 64, 64, 0, 1, 1, 1.0, false},
                    ComposeCase{"OneHugeStamp", false, 10, 10, 100, 90, 101, 1, 3000, 3000, 1.0, false},
                    ComposeCase{"MagnifiedEdges", false, 0, 0, 150, 120, 150, 4, 60, 400, 1.0, false},
                    ComposeCase{"BelowAPixel", false, 0, 0, 90, 70, 96, 300, 0.2, 3, 1.0, false},
                    ComposeCase{"BoxesBeyondTheField", false, 0, 0, 120, 100, 120, 60, 3, 30, 4.0, false},
                    ComposeCase{"ClampedInsideBorder", true, 0, 0, 140, 110, 141, 12, 2, 12, 3.0, false},
                    ComposeCase{"QuarterTurns", false, 0, 0, 129, 97, 129, 40, 2, 30, 1.0, true},
                    ComposeCase{"OnePixel", false, 5, 5, 1, 1, 1, 50, 1, 10, 1.0, false}),
    [](const testing::TestParamInfo<ComposeCase>& info) { return std::string(info.param.name); });

TEST(RasterField, SampleWeighsTapsInTruncated256thsOfTheClampedPosition) {
    const uint8_t texels[] = {200, 100, 50, 255};
    RasterField field;
    rasterFieldFrom(texels, 2, field);
    struct Case {
        float u, v;
        uint32_t value;
    };
    const Case cases[] = {
        {1, 1, 200 * 65536},
        {1.5f, 1, (200 * 128 + 100 * 128) * 256},
        {1, 1.5f, 200 * 256 * 128 + 50 * 256 * 128},  // 8192000: just outside
        {1.75f, 2, (50 * 64 + 255 * 192) * 256},
        {2 + 1.0f / 512, 2, 255 * 65536},  // half a 256th truncates to none
        {0.5f, 0.5f, 200 * 128 * 128},     // the zero border
        {-5, -5, 0},                       // clamped onto the border's corner
        {100, 100, 255},                   // clamped to 255/256 short of the last padded texel
        {-INFINITY, 1, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rasterFilteredValue(field, c.u, c.v), c.value) << "at (" << c.u << ", " << c.v << ")";
    }
}

// Maps that no flower gives: no turn at all (every pixel samples one point), a mirror, a
// stretch, and boxes far out in the area.
TEST(Compose, UnusualMapsAndBoxesMatchTheReference) {
    const RasterField field = testField(96, false, 7);
    const float centre = field.pitch / 2.0f;
    std::vector<RasterStamp> stamps = {
        {5, 5, 0, 0, 0, 0, 10, 10, 30, 30, 0x111111},                // one outside point
        {centre, centre, 0, 0, 0, 0, 20, 15, 50, 40, 0x222222},      // one inside point
        {10, 90, 1.5f, 0.2f, 0.3f, -1.1f, 0, 0, 120, 90, 0x333333},  // mirrored and sheared
        {0, 0, 0.4f, 0, 0, 6.0f, -5, -5, 130, 100, 0x444444},        // stretched along the rows
        {centre, centre, 1, 0, 0, 1, -2000000000, -2000000000, -1999999000, -1999999000, 0x555555},
        {-4e6f, 3e6f, 1, 0, 0, 1, 2000000000, 0, 2000001000, 50, 0x666666},  // far beyond the field
    };
    expectEveryKernelMatches(field, stamps, {nullptr, 0, 0, 120, 90, 120});
}

// A field built by hand claims no bounds and has no column pairs: the compositor must
// still compose it, with its plain kernel.
TEST(Compose, FieldWithoutBoundsOrPairsMatchesTheReference) {
    const RasterField made = testField(48, false, 7);
    RasterField field;
    field.size = made.size;
    field.pitch = made.pitch;
    field.texels = made.texels;
    std::vector<RasterStamp> stamps;
    for (int k = 0; k < 12; ++k) {
        stamps.push_back(flowerStamp(field, 10 + 9 * k, 40 + 3 * k, 8 + 2 * k, k, 1.0, 0x010203 * k));
    }
    expectEveryKernelMatches(field, stamps, {nullptr, 0, 0, 100, 80, 100});
}

// One compositor through targets that need fewer bands than it has workers, then more
// scratch than it had.
TEST(Compose, OneCompositorThroughChangingTargets) {
    const RasterField field = testField(64, false, 7);
    std::vector<RasterStamp> stamps;
    for (int k = 0; k < 40; ++k) {
        stamps.push_back(flowerStamp(field, 7 * k % 150, 11 * k % 100, 6 + k % 9, k, 1.0, 0x102030 * k));
    }
    RasterCompositor* compositor = rasterCompositorStart(4);
    for (auto size : {std::pair{150, 20}, std::pair{30, 100}, std::pair{20, 5}, std::pair{150, 100}}) {
        std::vector<uint32_t> pixels(size.first * size.second);
        rasterCompose(compositor, field, stamps.data(), static_cast<int32_t>(stamps.size()),
                      {pixels.data(), 0, 0, size.first, size.second, size.first});
        for (int32_t y = 0; y < size.second; ++y) {
            for (int32_t x = 0; x < size.first; ++x) {
                ASSERT_EQ(pixels[y * size.first + x], referencePixel(field, stamps, x, y))
                    << size.first << "x" << size.second << " at (" << x << ", " << y << ")";
            }
        }
    }
    rasterCompositorStop(compositor);
}

}  // namespace
