// Whether OpenGL here is drawn on the CPU, where the raster path, composed on the CPU
// without OpenGL, is faster: Mesa's llvmpipe, softpipe and swrast, Microsoft's GDI Generic.
#pragma once

// From the renderer string of a current context (GL_RENDERER); false for null.
bool softwareGlRenderer(const char* renderer);

// Before any context is made, so that a software OpenGL need not be loaded at all: true,
// with why, where the platform already tells that OpenGL would be software; false where it
// cannot tell, and the context's renderer decides.
bool softwareGlOnly(const char** why);
