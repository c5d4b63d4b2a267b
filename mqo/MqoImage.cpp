// Texture images: uncompressed BMP and TGA colour images, TGA alpha planes.
//
// Images are square (the edge is the stored width) and taken as stored from the
// bottom row up, so the first stored row becomes the last row of the buffer.
#include "MqoImage.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "MqoFile.h"

namespace {

enum class ImageFormat { Bmp, Tga, Png, Jpg };

// What became of one image: read into the buffer, the alpha plane is unusable
// (keep what the colour image gave), or the whole request fails.
enum class ImageOutcome { Read, Stop, Fail };

constexpr long kTgaHeaderSize = 18;
constexpr long kBmpWidthOffset = 18;
constexpr long kBmpPixelOffset = 54;

// The format by the name's last three characters, in any case. Other names are
// BMP: their last three characters are overwritten with "bmp". A name shorter
// than three characters is read as a BMP unchanged.
ImageFormat imageFormat(char* name) {
    const size_t length = std::strlen(name);
    if (length < 3)
        return ImageFormat::Bmp;
    char extension[4] = {};
    for (int i = 0; i < 3; ++i)
        extension[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[length - 3 + i])));
    if (std::strcmp(extension, "tga") == 0)
        return ImageFormat::Tga;
    if (std::strcmp(extension, "png") == 0)
        return ImageFormat::Png;
    if (std::strcmp(extension, "jpg") == 0)
        return ImageFormat::Jpg;
    std::memcpy(name + length - 3, "bmp", 3);
    return ImageFormat::Bmp;
}

struct ImageHeader {
    int width;
    int depth;  // TGA pixel depth in bits; 0 for BMP
    int type;   // TGA image type; 0 for BMP
};

// Reads the header and leaves the file at the pixel data. False when the file
// ends inside the header.
bool readHeader(FILE* file, ImageFormat format, ImageHeader& header) {
    header = {};
    unsigned char bytes[kTgaHeaderSize];
    if (format == ImageFormat::Tga) {
        if (std::fread(bytes, 1, kTgaHeaderSize, file) != static_cast<size_t>(kTgaHeaderSize))
            return false;
        header.width = bytes[12] | bytes[13] << 8;
        header.depth = bytes[16];
        header.type = bytes[2];
        return true;
    }
    if (std::fseek(file, kBmpWidthOffset, SEEK_SET) != 0 || std::fread(bytes, 1, 4, file) != 4)
        return false;
    const uint32_t width = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    header.width = static_cast<int32_t>(width);
    return std::fseek(file, kBmpPixelOffset, SEEK_SET) == 0;
}

bool isAlphaPlaneLayout(const ImageHeader& header) {
    return (header.depth == 8 && header.type == 3) || (header.depth == 32 && header.type == 2);
}

// Reads one image's pixels into the buffer (allocated here when there is none yet).
ImageOutcome readImage(FILE* file, int image, ImageFormat format, unsigned char cap, unsigned char*& pixels,
                       int& edge, int (&widths)[2]) {
    ImageHeader header;
    if (!readHeader(file, format, header))
        return ImageOutcome::Fail;
    edge = widths[image] = header.width;
    if (widths[0] != -1 && widths[1] != -1 && widths[0] != widths[1])
        return ImageOutcome::Fail;
    if (image == 1 && !isAlphaPlaneLayout(header))
        return ImageOutcome::Stop;
    if (edge < 1)
        return ImageOutcome::Fail;

    const size_t stride = image == 0 ? (format == ImageFormat::Tga && header.depth == 32 ? 4 : 3)
                                     : (header.depth == 32 ? 4 : 1);
    const uint64_t pixelCount = static_cast<uint64_t>(edge) * static_cast<uint64_t>(edge);
    if (pixelCount > static_cast<uint64_t>(mqoRemainingBytes(file)) / stride)
        return ImageOutcome::Fail;  // the header claims more pixels than the file holds
    if (!pixels)
        pixels = static_cast<unsigned char*>(std::calloc(static_cast<size_t>(pixelCount), 4));
    const size_t rowBytes = static_cast<size_t>(edge) * stride;
    unsigned char* row = static_cast<unsigned char*>(std::malloc(rowBytes));
    if (!pixels || !row) {
        std::free(row);
        return ImageOutcome::Fail;
    }

    for (int y = 0; y < edge; ++y) {
        if (std::fread(row, 1, rowBytes, file) != rowBytes)
            std::memset(row, 0, rowBytes);  // only when the file shrank under us
        unsigned char* target = pixels + static_cast<size_t>(edge - 1 - y) * static_cast<size_t>(edge) * 4;
        for (int x = 0; x < edge; ++x) {
            const unsigned char* source = row + static_cast<size_t>(x) * stride;
            unsigned char* pixel = target + static_cast<size_t>(x) * 4;
            if (image == 0) {
                pixel[0] = source[2];
                pixel[1] = source[1];
                pixel[2] = source[0];
                pixel[3] = stride == 4 && source[3] < cap ? source[3] : cap;
            } else {
                const unsigned char value = source[stride - 1];
                pixel[3] = value < cap ? value : cap;
            }
        }
    }
    std::free(row);
    return ImageOutcome::Read;
}

}  // namespace

unsigned char* mqoReadImagePixels(char* textureFile, char* alphaFile, int* size, int alpha) {
    char* const names[2] = {textureFile, alphaFile};
    const unsigned char cap = static_cast<unsigned char>(alpha & 0xFF);
    unsigned char* pixels = nullptr;
    int edge = -1;
    int widths[2] = {-1, -1};
    for (int image = 0; image < 2; ++image) {
        char* name = names[image];
        if (!name)
            continue;
        const ImageFormat format = imageFormat(name);
        if (image == 1 && format != ImageFormat::Tga && format != ImageFormat::Png) {
            std::printf("アルファのファイルに対応できない→%s\n", name);
            break;
        }
        FILE* file = std::fopen(name, "rb");
        if (!file) {
            std::printf("%s:テクスチャ読み込みエラー[%s]\n", MQO_SOURCE_MODULE, name);
            continue;
        }
        if (format == ImageFormat::Png || format == ImageFormat::Jpg) {
            std::printf("このテクスチャは対応できないフォーマット→%s\n", name);
            std::fclose(file);
            continue;
        }
        const ImageOutcome outcome = readImage(file, image, format, cap, pixels, edge, widths);
        std::fclose(file);
        if (outcome == ImageOutcome::Fail) {
            std::free(pixels);
            return nullptr;
        }
        if (outcome == ImageOutcome::Stop)
            break;
    }
    if (size)
        *size = edge;
    if (edge < 0) {
        std::free(pixels);
        return nullptr;
    }
    return pixels;
}
