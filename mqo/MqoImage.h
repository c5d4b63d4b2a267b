// Texture images: BMP and TGA colour images with an optional TGA alpha plane.
#pragma once

// The source module's name, printed at the head of some diagnostics.
constexpr char MQO_SOURCE_MODULE[] = "MqoLoader";

// Reads the colour image textureFile and the alpha plane alphaFile (either may be
// null) into a new size x size RGBA buffer, top row first; the caller frees it.
// A name whose last three characters are not tga, png or jpg (in any case) gets
// them overwritten with "bmp" and is read as a BMP; a name shorter than three
// characters is read as a BMP unchanged. Every alpha is at most the low byte of
// alpha. Null when no image could be read, when the widths differ, when a header
// is unreadable, declares a width below 1 or more pixel data than its file holds,
// or when memory runs out. *size receives the edge length whenever a buffer is
// returned. Colour that no image supplied is black.
unsigned char* mqoReadImagePixels(char* textureFile, char* alphaFile, int* size, int alpha);
