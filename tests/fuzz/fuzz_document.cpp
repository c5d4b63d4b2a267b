// Any bytes as an MQO document, read from memory as both loads read it: textures
// made through the pool (from images written once), objects built into a model,
// everything released again. Runs without an OpenGL context: the loader is never
// started, so no vertex buffers are made, and the pool's texture calls do nothing.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzFolder.h"
#include "MqoDocument.h"
#include "MqoLoader.h"
#include "MqoMesh.h"
#include "MqoTexturePool.h"

namespace {

std::string imageFolder;

void appendLittleEndian(std::string& bytes, uint32_t value, int count) {
    for (int i = 0; i < count; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Images that documents may name: t.bmp (4 x 4), a.tga (8-bit grey), c.tga (32-bit).
void writeImages(const std::string& folder) {
    std::string bmp = "BM";
    bmp.resize(18, '\0');
    appendLittleEndian(bmp, 4, 4);
    appendLittleEndian(bmp, 4, 4);
    bmp.resize(54, '\0');
    for (int i = 0; i < 4 * 4 * 3; ++i)
        bmp += static_cast<char>(i * 5);
    fuzz::writeFile(folder + "t.bmp", bmp.data(), bmp.size());

    std::string grey(18, '\0');
    grey[2] = 3;
    grey[12] = 4;
    grey[16] = 8;
    for (int i = 0; i < 16; ++i)
        grey += static_cast<char>(i * 16);
    fuzz::writeFile(folder + "a.tga", grey.data(), grey.size());

    std::string colour(18, '\0');
    colour[2] = 2;
    colour[12] = 4;
    colour[16] = 32;
    for (int i = 0; i < 16 * 4; ++i)
        colour += static_cast<char>(255 - i);
    fuzz::writeFile(folder + "c.tga", colour.data(), colour.size());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    imageFolder = fuzz::folder("fuzz-document");
    writeImages(imageFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto* model = static_cast<MqoModel*>(std::calloc(1, sizeof(MqoModel)));
    if (!model)
        return 0;
    mqoParseDocumentBytes(model, data, size, imageFolder.c_str(), 0.015, 255);
    for (MqoDrawObject& object : model->objects)
        mqoReleaseObjectBatches(object);
    std::free(model);
    mqoReleaseTexturePool();
    return 0;
}
