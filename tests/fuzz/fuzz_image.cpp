// Any bytes as texture image files in memory. The first byte picks the names:
// bits 0-1 the colour image's (.tga, .bmp, .dds read as .bmp, .png), bit 2 a colour
// image that did not open, bits 3-4 the alpha plane's (none, .tga, .png, .bmp). The
// second byte is the alpha cap; the third splits the rest between the colour image
// and the alpha plane.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "MqoImage.h"
#include "MqoRecords.h"

namespace {

volatile unsigned sink;  // keeps the pixel sum alive

const char* const kColourNames[4] = {"c.tga", "c.bmp", "c.dds", "c.png"};
const char* const kAlphaNames[4] = {nullptr, "a.tga", "a.png", "a.bmp"};

unsigned char* copyOf(const uint8_t* bytes, size_t size) {
    auto* copy = static_cast<unsigned char*>(std::malloc(size ? size : 1));
    if (copy && size)
        std::memcpy(copy, bytes, size);
    return copy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3)
        return 0;
    const uint8_t mode = data[0];
    const int alpha = data[1];
    const uint8_t* body = data + 3;
    const size_t bodySize = size - 3;
    const int colourKind = mode & 3;
    const bool colourMissing = (mode & 4) != 0;
    const char* alphaName = kAlphaNames[(mode >> 3) & 3];
    const size_t colourSize = alphaName ? bodySize * data[2] / 256 : bodySize;

    // Writable names: the reader renames some.
    char textureFile[MQO_TEXT_SIZE];
    char alphaFile[MQO_TEXT_SIZE];
    std::snprintf(textureFile, sizeof textureFile, "%s", kColourNames[colourKind]);
    std::snprintf(alphaFile, sizeof alphaFile, "%s", alphaName ? alphaName : "");
    // Each image in a block of its own, so that reading past one is caught.
    unsigned char* colourBytes = colourMissing ? nullptr : copyOf(body, colourSize);
    unsigned char* alphaBytes = copyOf(body + colourSize, bodySize - colourSize);
    const MqoImageFile colour = {textureFile, colourBytes, colourMissing ? 0 : colourSize};
    const MqoImageFile alphaPlane = {alphaFile, alphaBytes, bodySize - colourSize};
    int edge = -7;
    unsigned char* pixels = mqoReadImagePixelsFromMemory(&colour, alphaName ? &alphaPlane : nullptr, &edge, alpha);
    std::free(colourBytes);
    std::free(alphaBytes);
    if (pixels) {
        if (edge < 1)
            std::abort();  // a buffer always comes with its edge length
        // Touch every byte, so that a buffer shorter than edge * edge * 4 is caught.
        unsigned sum = 0;
        const size_t bytes = static_cast<size_t>(edge) * static_cast<size_t>(edge) * 4;
        for (size_t i = 0; i < bytes; ++i)
            sum += pixels[i];
        for (size_t i = 3; i < bytes; i += 4) {
            if (pixels[i] > (alpha & 0xFF))
                std::abort();  // alpha above the cap
        }
        sink = sum;
    }
    std::free(pixels);
    return 0;
}
