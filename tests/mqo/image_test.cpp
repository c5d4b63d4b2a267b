// The image reader: BMP and TGA colour images, TGA alpha planes, the extension
// rule, refusals and their messages, and files that lie about their size.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "MqoImage.h"
#include "MqoTestFiles.h"

namespace {

using namespace mqo_test;

using Pixels = std::vector<unsigned char>;

class ImageReader : public testing::Test {
protected:
    TempFolder folder;

    // Reads through writable copies of the names; reports what became of them.
    struct Result {
        bool ok = false;
        int size = -7;
        Pixels pixels;
        std::string textureName;
        std::string alphaName;
        std::string output;
    };

    static std::vector<char> writable(const std::string* name) {
        std::vector<char> copy = name ? std::vector<char>(name->begin(), name->end()) : std::vector<char>();
        copy.push_back('\0');
        return copy;
    }

    static void keep(Result& result, unsigned char* buffer) {
        result.ok = buffer != nullptr;
        if (buffer && result.size > 0)
            result.pixels.assign(buffer, buffer + static_cast<size_t>(result.size) * result.size * 4);
        std::free(buffer);
    }

    // The files under the names as the file read renamed them, read again from memory
    // (a file that is not there as one that did not open): all must come out the same.
    static void expectSameFromMemory(const std::string* textureFile, const std::string* alphaFile, int alpha,
                                     const Result& fromFiles) {
        std::vector<char> texture = writable(textureFile);
        std::vector<char> alphaPlane = writable(alphaFile);
        const std::string bytes[2] = {readFile(fromFiles.textureName), readFile(fromFiles.alphaName)};
        MqoImageFile files[2] = {{texture.data(), nullptr, 0}, {alphaPlane.data(), nullptr, 0}};
        const std::string renamed[2] = {fromFiles.textureName, fromFiles.alphaName};
        for (int i = 0; i < 2; ++i) {
            if (!renamed[i].empty() && std::filesystem::is_regular_file(renamed[i])) {
                files[i].bytes = reinterpret_cast<const unsigned char*>(bytes[i].data());
                files[i].size = bytes[i].size();
            }
        }
        Result result;
        captureStdout();
        keep(result, mqoReadImagePixelsFromMemory(textureFile ? &files[0] : nullptr, alphaFile ? &files[1] : nullptr,
                                                  &result.size, alpha));
        result.output = capturedStdout();
        EXPECT_EQ(result.ok, fromFiles.ok);
        EXPECT_EQ(result.size, fromFiles.size);
        EXPECT_EQ(result.pixels, fromFiles.pixels);
        EXPECT_EQ(result.output, fromFiles.output);
        EXPECT_EQ(std::string(texture.data()), fromFiles.textureName);
        EXPECT_EQ(std::string(alphaPlane.data()), fromFiles.alphaName);
    }

    static Result read(const std::string* textureFile, const std::string* alphaFile, int alpha) {
        std::vector<char> texture = writable(textureFile);
        std::vector<char> alphaPlane = writable(alphaFile);
        Result result;
        captureStdout();
        keep(result, mqoReadImagePixels(textureFile ? texture.data() : nullptr, alphaFile ? alphaPlane.data() : nullptr,
                                        &result.size, alpha));
        result.output = capturedStdout();
        result.textureName = texture.data();
        result.alphaName = alphaPlane.data();
        expectSameFromMemory(textureFile, alphaFile, alpha, result);
        return result;
    }

    static std::string readFile(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    Result read(const std::string& textureFile, int alpha = 255) { return read(&textureFile, nullptr, alpha); }
    Result read(const std::string& textureFile, const std::string& alphaFile, int alpha = 255) {
        return read(&textureFile, &alphaFile, alpha);
    }
};

// Stored rows (bottom row first) of a 2 x 2 image, three bytes B, G, R per pixel.
const std::string kBgr2x2 = std::string("\x01\x02\x03" "\x04\x05\x06" "\x07\x08\x09" "\x0A\x0B\x0C", 12);
// The buffer for it: top row (the last stored) first, R, G, B, A.
Pixels rgbaOf2x2(unsigned char a0, unsigned char a1, unsigned char a2, unsigned char a3) {
    return {9, 8, 7, a2, 12, 11, 10, a3, 3, 2, 1, a0, 6, 5, 4, a1};
}

TEST_F(ImageReader, Bmp) {
    const Result result = read(folder.write("t.bmp", bmpFile(2, kBgr2x2)), 200);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.size, 2);
    EXPECT_EQ(result.pixels, rgbaOf2x2(200, 200, 200, 200));
    EXPECT_EQ(result.output, "");
}

TEST_F(ImageReader, BmpRowsAreFlipped) {
    std::string data;
    for (int i = 0; i < 27; ++i)
        data += static_cast<char>(i);
    const Result result = read(folder.write("three.bmp", bmpFile(3, data)));
    ASSERT_TRUE(result.ok);
    ASSERT_EQ(result.size, 3);
    for (int row = 0; row < 3; ++row) {
        for (int x = 0; x < 3; ++x) {
            const int stored = ((2 - row) * 3 + x) * 3;  // the buffer's top row is the last stored
            const unsigned char* pixel = &result.pixels[(row * 3 + x) * 4];
            EXPECT_EQ(pixel[0], stored + 2);
            EXPECT_EQ(pixel[1], stored + 1);
            EXPECT_EQ(pixel[2], stored);
            EXPECT_EQ(pixel[3], 255);
        }
    }
}

TEST_F(ImageReader, Tga24) {
    const Result result = read(folder.write("t.tga", tgaFile(2, 24, 2, kBgr2x2)), 255);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.size, 2);
    EXPECT_EQ(result.pixels, rgbaOf2x2(255, 255, 255, 255));
}

TEST_F(ImageReader, Tga32KeepsOwnAlphaUnderCap) {
    const std::string data("\x01\x02\x03\xFF" "\x04\x05\x06\x80" "\x07\x08\x09\x10" "\x0A\x0B\x0C\x00", 16);
    const std::string path = folder.write("t.TGA", tgaFile(2, 32, 2, data));
    Result result = read(path, 255);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.pixels, rgbaOf2x2(0xFF, 0x80, 0x10, 0x00));
    EXPECT_EQ(result.textureName, path);  // "TGA" is a TGA: the name stays
    result = read(path, 128);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.pixels, rgbaOf2x2(128, 128, 0x10, 0x00));
    result = read(path, 0x140);  // only the low byte is the cap
    EXPECT_EQ(result.pixels, rgbaOf2x2(0x40, 0x40, 0x10, 0x00));
}

TEST_F(ImageReader, Tga24WithGreyAlphaPlane) {
    const std::string colour = folder.write("c.tga", tgaFile(2, 24, 2, kBgr2x2));
    const std::string alpha = folder.write("a.tga", tgaFile(2, 8, 3, std::string("\x10\xF0\x90\x7F", 4)));
    const Result result = read(colour, alpha, 0x90);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.pixels, rgbaOf2x2(0x10, 0x90, 0x90, 0x7F));
    EXPECT_EQ(result.output, "");
}

TEST_F(ImageReader, BmpWith32BitAlphaPlane) {
    const std::string colour = folder.write("c.bmp", bmpFile(2, kBgr2x2));
    const std::string alpha = folder.write(
        "a.tga", tgaFile(2, 32, 2, std::string("\xAA\xAA\xAA\x01" "\xAA\xAA\xAA\x02" "\xAA\xAA\xAA\x03" "\xAA\xAA\xAA\x04", 16)));
    const Result result = read(colour, alpha, 255);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.pixels, rgbaOf2x2(1, 2, 3, 4));
}

TEST_F(ImageReader, AlphaPlaneReplacesTga32Alpha) {
    const std::string colour = folder.write(
        "c.tga", tgaFile(2, 32, 2, std::string("\x01\x02\x03\x05" "\x04\x05\x06\x05" "\x07\x08\x09\x05" "\x0A\x0B\x0C\x05", 16)));
    const std::string alpha = folder.write("a.tga", tgaFile(2, 8, 3, std::string("\xC8\xC8\xC8\xC8", 4)));
    const Result result = read(colour, alpha, 255);
    EXPECT_EQ(result.pixels, rgbaOf2x2(0xC8, 0xC8, 0xC8, 0xC8));
}

TEST_F(ImageReader, AlphaPlaneOfOtherLayoutIsIgnoredSilently) {
    const std::string colour = folder.write("c.bmp", bmpFile(2, kBgr2x2));
    const std::string alpha24 = folder.write("a.tga", tgaFile(2, 24, 2, kBgr2x2));
    const std::string alpha8rgb = folder.write("b.tga", tgaFile(2, 8, 2, std::string(4, '\x01')));
    for (const std::string& alpha : {alpha24, alpha8rgb}) {
        const Result result = read(colour, alpha, 99);
        ASSERT_TRUE(result.ok);
        EXPECT_EQ(result.pixels, rgbaOf2x2(99, 99, 99, 99));
        EXPECT_EQ(result.output, "");
    }
}

TEST_F(ImageReader, WidthMismatchGivesNothing) {
    const std::string colour = folder.write("c.bmp", bmpFile(4, std::string(4 * 4 * 3, '\x11')));
    const std::string alpha = folder.write("a.tga", tgaFile(2, 8, 3, std::string(4, '\x22')));
    const Result result = read(colour, alpha);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.size, -7);  // not written
}

TEST_F(ImageReader, ExtensionRule) {
    const std::string bmp = bmpFile(2, kBgr2x2);
    folder.write("upper.bmp", bmp);
    folder.write("surface.bmp", bmp);
    folder.write("photo.jbmp", bmp);

    Result result = read(folder.path("upper.BMP"));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.textureName, folder.path("upper.bmp"));
    result = read(folder.path("surface.dds"));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.textureName, folder.path("surface.bmp"));
    result = read(folder.path("photo.jpeg"));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.textureName, folder.path("photo.jbmp"));
    EXPECT_EQ(result.pixels, rgbaOf2x2(255, 255, 255, 255));
}

TEST_F(ImageReader, ShortNamesAreReadAsBmpUnchanged) {
    folder.write("ab", bmpFile(2, kBgr2x2));
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path(""));
    const Result twoCharacters = read(std::string("ab"));
    const Result empty = read(std::string(""));
    const Result alphaShort = read(std::string("ab"), std::string("x"));
    std::filesystem::current_path(previous);

    ASSERT_TRUE(twoCharacters.ok);
    EXPECT_EQ(twoCharacters.textureName, "ab");
    EXPECT_EQ(twoCharacters.pixels, rgbaOf2x2(255, 255, 255, 255));
    EXPECT_FALSE(empty.ok);
    EXPECT_EQ(empty.output, messages::openError(""));
    ASSERT_TRUE(alphaShort.ok);
    EXPECT_EQ(alphaShort.alphaName, "x");
    EXPECT_EQ(alphaShort.output, messages::unsupportedAlphaPlane("x"));
}

TEST_F(ImageReader, PngAndJpgAreRefused) {
    const std::string png = folder.write("t.png", bmpFile(2, kBgr2x2));
    const std::string jpg = folder.write("t.JPG", bmpFile(2, kBgr2x2));
    Result result = read(png);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.output, messages::unsupportedFormat(png));
    result = read(jpg);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.output, messages::unsupportedFormat(jpg));
    EXPECT_EQ(result.textureName, jpg);
}

TEST_F(ImageReader, MissingImage) {
    const std::string missing = folder.path("missing.tga");
    const Result result = read(missing);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.output, messages::openError(missing));
}

TEST_F(ImageReader, UnusableAlphaPlanesKeepColourAtCap) {
    const std::string colour = folder.write("c.tga", tgaFile(2, 24, 2, kBgr2x2));
    const std::string png = folder.write("a.png", tgaFile(2, 8, 3, std::string(4, '\x01')));
    const std::string missingPng = folder.path("gone.png");
    const std::string missingTga = folder.path("gone.tga");

    Result result = read(colour, png, 77);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.pixels, rgbaOf2x2(77, 77, 77, 77));
    EXPECT_EQ(result.output, messages::unsupportedFormat(png));

    result = read(colour, missingPng, 77);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.pixels, rgbaOf2x2(77, 77, 77, 77));
    EXPECT_EQ(result.output, messages::openError(missingPng));

    result = read(colour, missingTga, 77);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.output, messages::openError(missingTga));

    // A BMP or JPG name is no alpha plane; the message names it after the extension rule.
    result = read(colour, folder.path("mask.dds"), 77);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.alphaName, folder.path("mask.bmp"));
    EXPECT_EQ(result.output, messages::unsupportedAlphaPlane(folder.path("mask.bmp")));
    result = read(colour, folder.path("mask.jpg"), 77);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.output, messages::unsupportedAlphaPlane(folder.path("mask.jpg")));
}

TEST_F(ImageReader, AlphaPlaneWithoutColourImageIsBlack) {
    const std::string alpha = folder.write("a.tga", tgaFile(2, 8, 3, std::string("\x01\x02\x03\x04", 4)));
    const std::string missing = folder.path("missing.bmp");
    const Result result = read(missing, alpha, 255);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.size, 2);
    EXPECT_EQ(result.pixels, Pixels({0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 0, 2}));
    EXPECT_EQ(result.output, messages::openError(missing));
}

TEST_F(ImageReader, NoNamesGiveNothing) {
    const Result result = read(nullptr, nullptr, 255);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.size, -1);
    EXPECT_EQ(result.output, "");
}

TEST_F(ImageReader, HeadersThatLieAreRejected) {
    const std::vector<std::string> colourFiles = {
        folder.write("wide.tga", tgaFile(1000, 24, 2, kBgr2x2)),              // more pixels than bytes
        folder.write("short.tga", tgaFile(2, 24, 2, kBgr2x2.substr(0, 11))),  // one byte short
        folder.write("deep.tga", tgaFile(2, 32, 2, kBgr2x2)),                 // 4 bytes a pixel, 3 given
        folder.write("zero.tga", tgaFile(0, 24, 2, "")),
        folder.write("cut.tga", std::string(10, '\0')),                       // header cut off
        folder.write("huge.bmp", bmpFile(0x7FFFFFFF, kBgr2x2)),              // size * size * 4 overflows
        folder.write("negative.bmp", bmpFile(-2, kBgr2x2)),
        folder.write("tiny.bmp", "BM\x02"),
        folder.write("noPixels.bmp", bmpFile(2, "").substr(0, 40)),
    };
    for (const std::string& file : colourFiles) {
        const Result result = read(file);
        EXPECT_FALSE(result.ok) << file;
        EXPECT_EQ(result.output, "") << file;
    }
    const std::string colour = folder.write("c.bmp", bmpFile(2, kBgr2x2));
    const std::string shortAlpha = folder.write("a.tga", tgaFile(2, 8, 3, "\x01\x02\x03"));
    EXPECT_FALSE(read(colour, shortAlpha).ok);
}

TEST_F(ImageReader, LargerImage) {
    const int edge = 64;
    std::string data;
    for (int i = 0; i < edge * edge; ++i) {
        data += static_cast<char>(i & 0xFF);
        data += static_cast<char>((i >> 8) & 0xFF);
        data += static_cast<char>(0x5A);
        data += static_cast<char>(i % 251);
    }
    const Result result = read(folder.write("big.tga", tgaFile(edge, 32, 2, data)), 255);
    ASSERT_TRUE(result.ok);
    ASSERT_EQ(result.size, edge);
    for (int i = 0; i < edge * edge; ++i) {
        const int row = edge - 1 - i / edge;
        const unsigned char* pixel = &result.pixels[(row * edge + i % edge) * 4];
        ASSERT_EQ(pixel[0], 0x5A);
        ASSERT_EQ(pixel[1], (i >> 8) & 0xFF);
        ASSERT_EQ(pixel[2], i & 0xFF);
        ASSERT_EQ(pixel[3], i % 251);
    }
}

}  // namespace
