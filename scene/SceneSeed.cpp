#include "SceneSeed.h"

#include <ctime>

namespace {

uint32_t clockSeed() {
    return static_cast<uint32_t>(std::time(nullptr));
}

SceneSeedSource seedSource = clockSeed;
uint32_t fixedSeed;

uint32_t fixedSeedSource() {
    return fixedSeed;
}

}  // namespace

void sceneSetSeedSource(SceneSeedSource source) {
    seedSource = source ? source : clockSeed;
}

void sceneSetFixedSeed(uint32_t seed) {
    fixedSeed = seed;
    seedSource = fixedSeedSource;
}

uint32_t sceneSeed() {
    return seedSource();
}
