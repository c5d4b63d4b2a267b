// Writes an RGBA picture as PNG.
#pragma once

#include <cstdint>
#include <string>

// rgba holds width * height pixels, bottom row first as OpenGL reads them.
bool writePng(const std::string& path, const uint8_t* rgba, int width, int height);
