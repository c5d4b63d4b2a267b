#include "SceneSeed.h"

#include <ctime>

namespace {

uint32_t clockSeed() {
    return static_cast<uint32_t>(std::time(nullptr));
}

SceneSeedSource seedSource = clockSeed;

}  // namespace

void sceneSetSeedSource(SceneSeedSource source) {
    seedSource = source ? source : clockSeed;
}

uint32_t sceneSeed() {
    return seedSource();
}
