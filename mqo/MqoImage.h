// Texture images: BMP and TGA colour images with an optional TGA alpha plane.
#pragma once

#include <cstddef>

// The source module's name, printed at the head of some diagnostics.
constexpr char MQO_SOURCE_MODULE[] = "MqoLoader";

// Reads the colour image textureFile and the alpha plane alphaFile (either may be
// null) into a new size x size RGBA buffer, top row first; the caller frees it.
// A name whose last three characters are not tga, png or jpg (in any case) gets
// them overwritten with "bmp" and is read as a BMP; a name shorter than three
// characters is read as a BMP unchanged. Every alpha is at most the low byte of
// alpha. Null when no image could be read, when the widths differ, when a header
// is unreadable, declares a width below 1 or more pixel data than its file holds,
// when a file exceeds MQO_MAX_INPUT_BYTES, or when memory runs out. *size receives
// the edge length whenever a buffer is returned. Colour that no image supplied is black.
unsigned char* mqoReadImagePixels(char* textureFile, char* alphaFile, int* size, int alpha);

// An image file already in memory, under the name it would be opened by (the name
// picks the format, is renamed as above and goes into the messages). bytes is null
// when the file could not be opened.
struct MqoImageFile {
    char* name;
    const unsigned char* bytes;
    size_t size;
};

// mqoReadImagePixels over files in memory, with the same results and messages;
// colour or alphaPlane null where there is no name. Sizes above MQO_MAX_INPUT_BYTES are refused.
unsigned char* mqoReadImagePixelsFromMemory(const MqoImageFile* colour, const MqoImageFile* alphaPlane, int* size,
                                            int alpha);
