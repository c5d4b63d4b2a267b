// Where the scene's random seed comes from. By default the calendar time in
// whole seconds; a tool that needs the same flowers every run installs its own.
#pragma once

#include <cstdint>

using SceneSeedSource = uint32_t (*)();

// Null restores the clock.
void sceneSetSeedSource(SceneSeedSource source);

// The same seed, and so the same flowers, on every run.
void sceneSetFixedSeed(uint32_t seed);
uint32_t sceneSeed();
