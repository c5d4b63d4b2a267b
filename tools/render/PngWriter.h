// Writes an RGBA picture as PNG.
#pragma once

#include <cstdint>
#include <string>

// rgba holds width * height pixels, bottom row first as OpenGL reads them.
bool writePng(const std::string& path, const uint8_t* rgba, int width, int height);

// pixels holds width * height pixels 0x00RRGGBB, top row first, as the raster path composes them.
bool writePngXrgb(const std::string& path, const uint32_t* pixels, int width, int height);
