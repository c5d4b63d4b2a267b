// A hidden OpenGL compatibility context drawing into an offscreen framebuffer,
// for tests, benchmarks and the headless renderer.
#pragma once

#include <cstdint>

// Creates the context, makes it current and binds a width x height framebuffer
// with RGBA8 colour and a depth buffer. False when any step fails.
bool headlessGlOpen(int width, int height);
void headlessGlClose();

// Copies the framebuffer as RGBA, bottom row first (width * height * 4 bytes).
void headlessGlReadPixels(uint8_t* rgba);

// Platform half: context creation and entry-point lookup, one file per platform.
bool headlessGlCreateContext();
void headlessGlDestroyContext();
void* headlessGlProc(const char* name);
