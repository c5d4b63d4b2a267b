// Where the scene's random seed comes from. By default the calendar time in
// whole seconds; a tool that needs the same flowers every run installs its own.
#pragma once

#include <cstdint>

using SceneSeedSource = uint32_t (*)();

// Null restores the clock.
void sceneSetSeedSource(SceneSeedSource source);
uint32_t sceneSeed();
