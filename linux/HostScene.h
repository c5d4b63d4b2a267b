// The scene's start in either window system, with the lines it owes the user.
#pragma once

#include "HostOptions.h"

// Before any window or context: whether the scene will draw on the raster path, without
// OpenGL: asked for, or OpenGL here would be software.
bool hostSceneWithoutGl(const HostOptions& options);

// Starts the scene over an area of width x height pixels in the current context, whose
// entry-point lookup the loader already has. Says on stderr when the model did not load or
// the frame path taken is not the one asked for.
void startHostScene(const HostOptions& options, int width, int height);
