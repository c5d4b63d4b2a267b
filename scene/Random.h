// The scene's one random source: MT19937 and decimals drawn from it.
#pragma once

#include <cstdint>

void randomSeed(uint32_t seed);
uint32_t randomNext();

// A value in [low, high] that is a whole multiple of 10^-places above low.
float randomDecimal(float low, float high, int places);

// The arithmetic of randomDecimal for a given generator output.
float decimalFromDraw(uint32_t draw, float low, float high, int places);
