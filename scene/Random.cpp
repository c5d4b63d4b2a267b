#include "Random.h"

#include <cmath>
#include <utility>

namespace {

constexpr int stateSize = 624;
constexpr int middleDistance = 397;
constexpr int unseeded = stateSize + 1;

uint32_t state[stateSize];
int position = unseeded;

void regenerate() {
    constexpr uint32_t twist = 0x9908b0dfu;
    for (int i = 0; i < stateSize; ++i) {
        uint32_t bits = (state[i] & 0x80000000u) | (state[(i + 1) % stateSize] & 0x7fffffffu);
        state[i] = state[(i + middleDistance) % stateSize] ^ (bits >> 1) ^ ((bits & 1u) ? twist : 0u);
    }
    position = 0;
}

}  // namespace

void randomSeed(uint32_t seed) {
    state[0] = seed;
    for (uint32_t i = 1; i < stateSize; ++i)
        state[i] = 1812433253u * (state[i - 1] ^ (state[i - 1] >> 30)) + i;
    position = stateSize;
}

uint32_t randomNext() {
    if (position >= stateSize) {
        if (position == unseeded)
            randomSeed(5489u);
        regenerate();
    }
    uint32_t word = state[position++];
    word ^= word >> 11;
    word ^= (word << 7) & 0x9d2c5680u;
    word ^= (word << 15) & 0xefc60000u;
    word ^= word >> 18;
    return word;
}

float decimalFromDraw(uint32_t draw, float low, float high, int places) {
    // Reversed bounds only come from out-of-range settings; draw from the range they span.
    if (high < low)
        std::swap(low, high);
    const double power = std::pow(10.0, std::fabs(static_cast<double>(places)));
    const float step = static_cast<float>(places < 0 ? 1.0 / power : power);
    // Absurd place counts would divide by zero or infinity below.
    if (!(step > 0.0f) || std::isinf(step))
        return low;
    const double scaledSpan = (static_cast<double>(high) - low) * step;
    // A span of 2^32 - 1 steps or more would wrap the modulus; the full output range is used then.
    uint32_t offset = draw;
    if (!(scaledSpan >= 4294967295.0)) {
        const uint32_t modulus = std::isnan(scaledSpan) ? 1u : static_cast<uint32_t>(scaledSpan) + 1u;
        offset = draw % modulus;
    }
    return static_cast<float>(low + offset / static_cast<double>(step));
}

float randomDecimal(float low, float high, int places) {
    return decimalFromDraw(randomNext(), low, high, places);
}
