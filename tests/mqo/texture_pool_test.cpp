// The texture pool: matching, upload, the 100-entry bound and release.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "HeadlessGl.h"
#include "MqoLoader.h"
#include "MqoTestFiles.h"
#include "MqoTexturePool.h"

namespace {

using namespace mqo_test;

class TexturePool : public testing::Test {
protected:
    TempFolder folder;

    void SetUp() override {
        ASSERT_TRUE(headlessGlOpen(16, 16));
        mqoEmptyTexturePool();
    }
    void TearDown() override {
        mqoReleaseTexturePool();
        headlessGlClose();
    }

    // A request through writable copies of the names, as the document reader makes them.
    static int request(const std::string& textureFile, const std::string* alphaFile, int alpha,
                       std::string* textureAfter = nullptr) {
        std::vector<char> texture(textureFile.begin(), textureFile.end());
        texture.push_back('\0');
        std::vector<char> alphaPlane;
        if (alphaFile) {
            alphaPlane.assign(alphaFile->begin(), alphaFile->end());
            alphaPlane.push_back('\0');
        }
        const int id = mqoSetTexturePool(texture.data(), alphaFile ? alphaPlane.data() : nullptr, alpha);
        if (textureAfter)
            *textureAfter = texture.data();
        return id;
    }
    static int request(const std::string& textureFile, int alpha = 255) {
        return request(textureFile, nullptr, alpha);
    }
    static int request(const std::string& textureFile, const std::string& alphaFile, int alpha = 255) {
        return request(textureFile, &alphaFile, alpha);
    }

    std::string writeBmp(const std::string& name) {
        return folder.write(name, bmpFile(2, std::string("\x01\x02\x03" "\x04\x05\x06" "\x07\x08\x09" "\x0A\x0B\x0C", 12)));
    }
};

TEST_F(TexturePool, UploadsRgbaTexture) {
    const std::string colour = writeBmp("t.bmp");
    const std::string alpha = folder.write("a.tga", tgaFile(2, 8, 3, std::string("\x10\x20\x30\x40", 4)));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    GLuint previous = 0;
    glGenTextures(1, &previous);
    glBindTexture(GL_TEXTURE_2D, previous);

    const int id = request(colour, alpha, 0x30);
    ASSERT_GT(id, 0);
    EXPECT_EQ(glIsTexture(static_cast<GLuint>(id)), GL_TRUE);
    GLint value = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(value, 0);  // texture 0 bound, not the one bound before
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
    EXPECT_EQ(value, 4);
    glGetIntegerv(GL_PACK_ALIGNMENT, &value);
    EXPECT_EQ(value, 4);

    ASSERT_EQ(mqoTexturePool.count, 1);
    const MqoTextureEntry& entry = mqoTexturePool.entries[0];
    EXPECT_EQ(entry.textureId, static_cast<GLuint>(id));
    EXPECT_EQ(entry.size, 2);
    EXPECT_EQ(std::string(entry.textureFile), colour);
    EXPECT_EQ(std::string(entry.alphaFile), alpha);
    EXPECT_EQ(entry.alpha, 0x30);

    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(id));
    GLint width = 0, height = 0, format = 0, minFilter = 0, magFilter = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(format, GL_RGBA8);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
    unsigned char texels[16] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    const unsigned char expected[16] = {9, 8, 7, 0x30, 12, 11, 10, 0x30, 3, 2, 1, 0x10, 6, 5, 4, 0x20};
    EXPECT_EQ(std::vector<unsigned char>(texels, texels + 16), std::vector<unsigned char>(expected, expected + 16));
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &previous);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TexturePool, SameRequestIsServedWithoutReadingAgain) {
    const std::string colour = writeBmp("t.bmp");
    const int first = request(colour);
    ASSERT_GT(first, 0);
    std::filesystem::remove(colour);
    captureStdout();
    EXPECT_EQ(request(colour), first);
    EXPECT_EQ(capturedStdout(), "");
    EXPECT_EQ(mqoTexturePool.count, 1);
}

TEST_F(TexturePool, NamesGivenAsNoneAreNotCompared) {
    const std::string colour = writeBmp("t.bmp");
    const std::string alpha = folder.write("a.tga", tgaFile(2, 8, 3, std::string(4, '\x40')));
    const int withAlpha = request(colour, alpha);
    ASSERT_GT(withAlpha, 0);
    EXPECT_EQ(request(colour), withAlpha);
    EXPECT_EQ(mqoTexturePool.count, 1);
    // A different alpha plane is a different request.
    const std::string other = folder.write("b.tga", tgaFile(2, 8, 3, std::string(4, '\x41')));
    const int withOther = request(colour, other);
    EXPECT_GT(withOther, 0);
    EXPECT_NE(withOther, withAlpha);
    EXPECT_EQ(mqoTexturePool.count, 2);
}

TEST_F(TexturePool, NamesAreComparedWithCase) {
    writeBmp("t.bmp");
    const int lower = request(folder.path("t.bmp"));
    std::string after;
    const int upper = request(folder.path("t.BMP"), nullptr, 255, &after);
    EXPECT_GT(upper, 0);
    EXPECT_NE(upper, lower);
    EXPECT_EQ(after, folder.path("t.bmp"));  // read under the rewritten name
    EXPECT_EQ(mqoTexturePool.count, 2);
    EXPECT_EQ(std::string(mqoTexturePool.entries[1].textureFile), folder.path("t.bmp"));
}

TEST_F(TexturePool, AlphaValuesMakeSeparateEntries) {
    const std::string colour = writeBmp("t.bmp");
    const int opaque = request(colour, 255);
    const int half = request(colour, 128);
    EXPECT_GT(opaque, 0);
    EXPECT_GT(half, 0);
    EXPECT_NE(opaque, half);
    EXPECT_EQ(mqoTexturePool.count, 2);
    EXPECT_EQ(request(colour, 0x180), half);  // low byte 128
}

TEST_F(TexturePool, FailedReadAddsNothing) {
    captureStdout();
    EXPECT_EQ(request(folder.path("missing.bmp")), -1);
    EXPECT_EQ(capturedStdout(), messages::openError(folder.path("missing.bmp")));
    EXPECT_EQ(mqoTexturePool.count, 0);
    EXPECT_EQ(mqoTexturePool.entries[0].textureFile[0], '\0');
}

TEST_F(TexturePool, OverlongNamesAreRefused) {
    const std::string longName = folder.prefix() + std::string(300, 'x') + ".bmp";
    EXPECT_EQ(request(longName), -1);
    EXPECT_EQ(mqoTexturePool.count, 0);
}

TEST_F(TexturePool, HundredEntriesAtMost) {
    const std::string colour = writeBmp("t.bmp");
    std::vector<int> ids;
    for (int alpha = 0; alpha < MQO_TEXTURE_POOL_SIZE; ++alpha) {
        ids.push_back(request(colour, alpha));
        ASSERT_GT(ids.back(), 0) << alpha;
    }
    EXPECT_EQ(mqoTexturePool.count, MQO_TEXTURE_POOL_SIZE);

    captureStdout();
    EXPECT_EQ(request(colour, 100), -1);
    EXPECT_EQ(request(folder.path("missing.bmp"), 0), -1);  // the pool is full before any read
    EXPECT_EQ(capturedStdout(), messages::poolFull + messages::poolFull);
    EXPECT_EQ(mqoTexturePool.count, MQO_TEXTURE_POOL_SIZE);

    EXPECT_EQ(request(colour, 42), ids[42]);
    EXPECT_EQ(request(colour, 99), ids[99]);
}

TEST_F(TexturePool, ReleaseDeletesEveryTexture) {
    const std::string colour = writeBmp("t.bmp");
    const GLuint a = static_cast<GLuint>(request(colour, 255));
    const GLuint b = static_cast<GLuint>(request(colour, 1));
    ASSERT_EQ(glIsTexture(a), GL_TRUE);
    ASSERT_EQ(glIsTexture(b), GL_TRUE);
    mqoReleaseTexturePool();
    EXPECT_EQ(glIsTexture(a), GL_FALSE);
    EXPECT_EQ(glIsTexture(b), GL_FALSE);
    EXPECT_EQ(mqoTexturePool.count, 0);
    EXPECT_EQ(mqoTexturePool.entries[0].textureId, 0u);
    EXPECT_EQ(mqoTexturePool.entries[1].textureFile[0], '\0');
    // The pool fills again from the first entry.
    EXPECT_GT(request(colour, 255), 0);
    EXPECT_EQ(mqoTexturePool.count, 1);
}

TEST_F(TexturePool, EmptyingForgetsWithoutDeleting) {
    const GLuint id = static_cast<GLuint>(request(writeBmp("t.bmp")));
    mqoEmptyTexturePool();
    EXPECT_EQ(mqoTexturePool.count, 0);
    EXPECT_EQ(glIsTexture(id), GL_TRUE);
    glDeleteTextures(1, &id);
}

}  // namespace
