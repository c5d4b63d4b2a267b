#include "PngWriter.h"

#include <png.h>
#include <cstdio>
#include <vector>

namespace {

// Four bytes a pixel, the fourth dropped; transforms say how the other three stand.
bool writeRows(const std::string& path, std::vector<png_bytep>& rows, int width, int height, int transforms) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    volatile bool written = false;
    if (info && !setjmp(png_jmpbuf(png))) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_rows(png, info, rows.data());
        png_write_png(png, info, PNG_TRANSFORM_STRIP_FILLER_AFTER | transforms, nullptr);
        written = true;
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && written;
}

}  // namespace

bool writePng(const std::string& path, const uint8_t* rgba, int width, int height) {
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<size_t>(y)] = const_cast<png_bytep>(rgba + static_cast<size_t>(height - 1 - y) * width * 4);
    // The scene clears alpha to 0; the picture is meant opaque.
    return writeRows(path, rows, width, height, 0);
}

bool writePngXrgb(const std::string& path, const uint32_t* pixels, int width, int height) {
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<size_t>(y)] =
            reinterpret_cast<png_bytep>(const_cast<uint32_t*>(pixels + static_cast<size_t>(y) * width));
    // 0x00RRGGBB in little-endian memory: blue, green, red, then the unused byte.
    return writeRows(path, rows, width, height, PNG_TRANSFORM_BGR);
}
