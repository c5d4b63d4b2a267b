// Writes the program icon: one 256 x 256 image, 24 bits per pixel with a 1-bit mask,
// a flat pink flower of the model's own outline on a transparent ground.
// usage: petalrain_icon OUTPUT.ico   (the result is checked in as resources/Petalrain.ico)
#include "FlowerOutline.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int iconSize = 256;
constexpr double outlineScale = 1.24;  // the outline's radius of about 100 units fills the icon with a margin
constexpr uint8_t pinkRed = 255, pinkGreen = 161, pinkBlue = 231;

bool inside(const std::vector<FlowerPoint>& outline, double x, double y)
{
    bool result = false;
    for (size_t i = 0, j = outline.size() - 1; i < outline.size(); j = i++) {
        const FlowerPoint& a = outline[i];
        const FlowerPoint& b = outline[j];
        if ((a.y > y) != (b.y > y) && x < a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y))
            result = !result;
    }
    return result;
}

void put16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(value & 0xff);
    out.push_back(value >> 8);
}

void put32(std::vector<uint8_t>& out, uint32_t value)
{
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.ico\n", argv[0]);
        return 2;
    }
    const std::vector<FlowerPoint> outline = flowerOutline();

    constexpr uint32_t colourRowBytes = iconSize * 3;       // already a multiple of 4
    constexpr uint32_t maskRowBytes = iconSize / 8;         // 32: already a multiple of 4
    constexpr uint32_t pixelBytes = (colourRowBytes + maskRowBytes) * iconSize;
    constexpr uint32_t headerBytes = 40;

    std::vector<uint8_t> colour;
    std::vector<uint8_t> mask(maskRowBytes * iconSize, 0);
    // Rows bottom up, as the bitmap stores them; the outline's y axis points up too.
    for (int row = 0; row < iconSize; ++row) {
        for (int column = 0; column < iconSize; ++column) {
            const double x = (column + 0.5 - iconSize / 2.0) / outlineScale;
            const double y = (row + 0.5 - iconSize / 2.0) / outlineScale;
            if (inside(outline, x, y)) {
                colour.insert(colour.end(), {pinkBlue, pinkGreen, pinkRed});
            } else {
                // Masked ground: black colour bits leave the background untouched, where white would invert it.
                colour.insert(colour.end(), {0, 0, 0});
                mask[row * maskRowBytes + column / 8] |= 0x80 >> (column % 8);
            }
        }
    }

    std::vector<uint8_t> file;
    put16(file, 0);  // icon directory
    put16(file, 1);
    put16(file, 1);
    file.insert(file.end(), {0, 0, 0, 0});  // 256 x 256 is written as 0 x 0, no palette
    put16(file, 1);
    put16(file, 24);
    put32(file, headerBytes + pixelBytes);
    put32(file, 6 + 16);
    put32(file, headerBytes);  // bitmap header: the height counts colour and mask
    put32(file, iconSize);
    put32(file, iconSize * 2);
    put16(file, 1);
    put16(file, 24);
    put32(file, 0);
    put32(file, pixelBytes);
    file.insert(file.end(), 16, 0);
    file.insert(file.end(), colour.begin(), colour.end());
    file.insert(file.end(), mask.begin(), mask.end());

    FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr || std::fwrite(file.data(), 1, file.size(), out) != file.size() || std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
