// The scene's own half of the renderer choice, for sceneInit.
#pragma once

#include "SceneRenderer.h"

// Starts a run's choice. False when the fixed-function path was asked for, by name or by the environment.
bool sceneWantsInstanced();

// The path sceneInit took; reason says why it is not the instanced one.
void sceneRecordRenderer(SceneRenderer taken, const char* reason);
