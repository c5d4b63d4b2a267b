// Any bytes as texture images. The first byte picks the names: bits 0-1 the colour
// image's (.tga, .bmp, .dds read as .bmp, .png), bit 2 a missing colour image,
// bits 3-4 the alpha plane's (none, .tga, .png, .bmp). The second byte is the alpha
// cap; the third splits the rest between the colour image and the alpha plane.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzFolder.h"
#include "MqoImage.h"
#include "MqoRecords.h"

namespace {

std::string folder;
volatile unsigned sink;  // keeps the pixel sum alive

const char* const kColourNames[4] = {"c.tga", "c.bmp", "c.dds", "c.png"};
const char* const kColourFiles[4] = {"c.tga", "c.bmp", "c.bmp", "c.png"};  // as opened
const char* const kAlphaNames[4] = {nullptr, "a.tga", "a.png", "a.bmp"};

void removeImages() {
    for (const char* name : {"c.tga", "c.bmp", "c.png", "a.tga", "a.png", "a.bmp"})
        std::remove((folder + name).c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    folder = fuzz::folder("fuzz-image");
    return 0;
}

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

    removeImages();
    if (!colourMissing)
        fuzz::writeFile(folder + kColourFiles[colourKind], body, colourSize);
    if (alphaName)
        fuzz::writeFile(folder + alphaName, body + colourSize, bodySize - colourSize);

    char textureFile[MQO_TEXT_SIZE];
    char alphaFile[MQO_TEXT_SIZE];
    std::snprintf(textureFile, sizeof textureFile, "%s%s", folder.c_str(), kColourNames[colourKind]);
    if (alphaName)
        std::snprintf(alphaFile, sizeof alphaFile, "%s%s", folder.c_str(), alphaName);
    int edge = -7;
    unsigned char* pixels = mqoReadImagePixels(textureFile, alphaName ? alphaFile : nullptr, &edge, alpha);
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
