// The process-wide texture pool: one OpenGL texture per distinct
// (texture path, alpha-plane path, alpha) request, at most 100 of them.
#include "MqoTexturePool.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "MqoImage.h"
#include "MqoLoader.h"

MqoTexturePool mqoTexturePool;

namespace {

// Entries keep at most 255 characters of a name; a longer one could never match again.
constexpr size_t kMaxNameLength = 255;

bool fitsEntry(const char* name) {
    return !name || std::strlen(name) <= kMaxNameLength;
}

// A name given as none is not compared.
bool matches(const MqoTextureEntry& entry, const char* textureFile, const char* alphaFile, uint8_t alpha) {
    return entry.alpha == alpha && (!textureFile || std::strcmp(textureFile, entry.textureFile) == 0) &&
           (!alphaFile || std::strcmp(alphaFile, entry.alphaFile) == 0);
}

}  // namespace

void mqoEmptyTexturePool() {
    mqoTexturePool = {};
}

int mqoSetTexturePool(char* textureFile, char* alphaFile, int alpha) {
    const uint8_t alphaByte = static_cast<uint8_t>(alpha & 0xFF);
    MqoTexturePool& pool = mqoTexturePool;
    for (int i = 0; i < pool.count; ++i) {
        if (matches(pool.entries[i], textureFile, alphaFile, alphaByte))
            return static_cast<int>(pool.entries[i].textureId);
    }
    if (pool.count >= MQO_TEXTURE_POOL_SIZE) {
        std::printf("%s:mqoSetTexturePool テクスチャ読み込み領域不足\n", MQO_SOURCE_MODULE);
        return -1;
    }
    if (!fitsEntry(textureFile) || !fitsEntry(alphaFile))
        return -1;

    MqoTextureEntry& entry = pool.entries[pool.count];
    entry = {};
    unsigned char* pixels = mqoReadImagePixels(textureFile, alphaFile, &entry.size, alpha);
    if (!pixels)
        return -1;
    if (textureFile)
        std::snprintf(entry.textureFile, sizeof entry.textureFile, "%s", textureFile);
    if (alphaFile)
        std::snprintf(entry.alphaFile, sizeof entry.alphaFile, "%s", alphaFile);
    entry.alpha = alphaByte;

    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGenTextures(1, &entry.textureId);
    glBindTexture(GL_TEXTURE_2D, entry.textureId);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, entry.size, entry.size, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    ++pool.count;
    std::free(pixels);
    glBindTexture(GL_TEXTURE_2D, 0);
    return static_cast<int>(entry.textureId);
}

void mqoReleaseTexturePool() {
    for (int i = 0; i < mqoTexturePool.count; ++i)
        glDeleteTextures(1, &mqoTexturePool.entries[i].textureId);
    mqoEmptyTexturePool();
}
