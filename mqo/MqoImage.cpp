// Texture images: uncompressed BMP and TGA colour images, TGA alpha planes.
//
// Images are square (the edge is the stored width) and taken as stored from the
// bottom row up, so the first stored row becomes the last row of the buffer.
// Files are read whole and decoded from memory.
#include "MqoImage.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "MqoByteCursor.h"
#include "MqoFile.h"

namespace {

enum class ImageFormat { Bmp, Tga, Png, Jpg };

// What became of one image: read into the buffer, the alpha plane is unusable
// (keep what the colour image gave), or the whole request fails.
enum class ImageOutcome { Read, Stop, Fail };

constexpr size_t kTgaHeaderSize = 18;
constexpr size_t kBmpWidthOffset = 18;
constexpr size_t kBmpPixelOffset = 54;

// What a file that opened but could not be read whole decodes as: nothing.
constexpr unsigned char kUnreadable[1] = {};

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

bool isAlphaPlaneFormat(ImageFormat format) {
    return format == ImageFormat::Tga || format == ImageFormat::Png;
}

bool isRefusedFormat(ImageFormat format) {
    return format == ImageFormat::Png || format == ImageFormat::Jpg;
}

struct ImageHeader {
    int width;
    int depth;  // TGA pixel depth in bits; 0 for BMP
    int type;   // TGA image type; 0 for BMP
};

// Reads the header and leaves the cursor at the pixel data (a BMP's may lie past
// the end). False when the file ends inside the header.
bool readHeader(MqoByteCursor& file, ImageFormat format, ImageHeader& header) {
    header = {};
    if (format == ImageFormat::Tga) {
        if (mqoBytesLeft(file) < kTgaHeaderSize)
            return false;
        const unsigned char* bytes = file.bytes + file.position;
        header.width = bytes[12] | bytes[13] << 8;
        header.depth = bytes[16];
        header.type = bytes[2];
        file.position += kTgaHeaderSize;
        return true;
    }
    file.position = kBmpWidthOffset;
    if (mqoBytesLeft(file) < 4)
        return false;
    const unsigned char* bytes = file.bytes + file.position;
    const uint32_t width = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    header.width = static_cast<int32_t>(width);
    file.position = kBmpPixelOffset;
    return true;
}

bool isAlphaPlaneLayout(const ImageHeader& header) {
    return (header.depth == 8 && header.type == 3) || (header.depth == 32 && header.type == 2);
}

// Reads one image's pixels into the buffer (allocated here when there is none yet).
ImageOutcome readImage(MqoByteCursor& file, int image, ImageFormat format, unsigned char cap, unsigned char*& pixels,
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
    if (pixelCount > static_cast<uint64_t>(mqoBytesLeft(file)) / stride)
        return ImageOutcome::Fail;  // the header claims more pixels than the file holds
    if (!pixels)
        pixels = static_cast<unsigned char*>(std::calloc(static_cast<size_t>(pixelCount), 4));
    if (!pixels)
        return ImageOutcome::Fail;

    const size_t rowBytes = static_cast<size_t>(edge) * stride;
    const unsigned char* rows = file.bytes + file.position;
    for (int y = 0; y < edge; ++y) {
        const unsigned char* row = rows + static_cast<size_t>(y) * rowBytes;
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
    return ImageOutcome::Read;
}

}  // namespace

unsigned char* mqoReadImagePixels(char* textureFile, char* alphaFile, int* size, int alpha) {
    // Only the files that will be decoded are read, under their names as renamed;
    // the decoding prints every message, in the order of the images.
    MqoImageFile files[2] = {{textureFile, nullptr, 0}, {alphaFile, nullptr, 0}};
    unsigned char* owned[2] = {};
    for (int image = 0; image < 2; ++image) {
        MqoImageFile& entry = files[image];
        if (!entry.name)
            continue;
        const ImageFormat format = imageFormat(entry.name);
        if (image == 1 && !isAlphaPlaneFormat(format))
            continue;
        FILE* file = std::fopen(entry.name, "rb");
        if (!file)
            continue;
        entry.bytes = kUnreadable;
        if (!isRefusedFormat(format) && mqoReadWholeFile(file, &owned[image], &entry.size))
            entry.bytes = owned[image];
        std::fclose(file);
    }
    unsigned char* pixels = mqoReadImagePixelsFromMemory(textureFile ? &files[0] : nullptr,
                                                         alphaFile ? &files[1] : nullptr, size, alpha);
    std::free(owned[0]);
    std::free(owned[1]);
    return pixels;
}

unsigned char* mqoReadImagePixelsFromMemory(const MqoImageFile* colour, const MqoImageFile* alphaPlane, int* size,
                                            int alpha) {
    const MqoImageFile* const files[2] = {colour, alphaPlane};
    const unsigned char cap = static_cast<unsigned char>(alpha & 0xFF);
    unsigned char* pixels = nullptr;
    int edge = -1;
    int widths[2] = {-1, -1};
    for (int image = 0; image < 2; ++image) {
        const MqoImageFile* file = files[image];
        if (!file || !file->name)
            continue;
        char* name = file->name;
        const ImageFormat format = imageFormat(name);
        if (image == 1 && !isAlphaPlaneFormat(format)) {
            std::printf("アルファのファイルに対応できない→%s\n", name);
            break;
        }
        if (!file->bytes) {
            std::printf("%s:テクスチャ読み込みエラー[%s]\n", MQO_SOURCE_MODULE, name);
            continue;
        }
        if (isRefusedFormat(format)) {
            std::printf("このテクスチャは対応できないフォーマット→%s\n", name);
            continue;
        }
        // An oversized file is read as an empty one: its header is unreadable.
        MqoByteCursor bytes = {file->bytes, file->size <= MQO_MAX_INPUT_BYTES ? file->size : 0, 0};
        const ImageOutcome outcome = readImage(bytes, image, format, cap, pixels, edge, widths);
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
