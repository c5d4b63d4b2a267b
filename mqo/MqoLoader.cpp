#include "MqoLoader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "MqoDocument.h"
#include "MqoMesh.h"
#include "MqoTexturePool.h"

MqoLoaderState mqoLoaderState;

namespace {

// Offset into a bound buffer or an address in client memory, as the pointer calls take it.
const GLvoid* arrayAt(const void* base, std::uintptr_t offset) {
    return reinterpret_cast<const GLvoid*>(reinterpret_cast<std::uintptr_t>(base) + offset);
}

void setMaterialColour(GLenum parameter, const float colour[4], double alphaScale) {
    const GLfloat scaled[4] = {colour[0], colour[1], colour[2], static_cast<GLfloat>(colour[3] * alphaScale)};
    glMaterialfv(GL_FRONT_AND_BACK, parameter, scaled);
}

// Where the batch's vertices start. A batch built before the loader found buffer
// objects has none of its own and is drawn from client memory with no buffer bound.
const void* bindVertexSource(const MqoMaterialBatch& batch, const void* clientArray) {
    const MqoLoaderState& state = mqoLoaderState;
    if (!state.buffersSupported)
        return clientArray;
    state.bindBuffer(GL_ARRAY_BUFFER_ARB, batch.bufferId);
    return batch.bufferId ? nullptr : clientArray;
}

void drawTexturedBatch(const MqoMaterialBatch& batch) {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    const GLboolean texturing = glIsEnabled(GL_TEXTURE_2D);
    const GLboolean blending = glIsEnabled(GL_BLEND);
    GLint savedTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &savedTexture);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBindTexture(GL_TEXTURE_2D, batch.textureId);

    const void* base = bindVertexSource(batch, batch.texturedVertices);
    glVertexPointer(3, GL_FLOAT, sizeof(MqoTexturedVertex), arrayAt(base, offsetof(MqoTexturedVertex, position)));
    glTexCoordPointer(2, GL_FLOAT, sizeof(MqoTexturedVertex), arrayAt(base, offsetof(MqoTexturedVertex, texCoord)));
    glNormalPointer(GL_FLOAT, sizeof(MqoTexturedVertex), arrayAt(base, offsetof(MqoTexturedVertex, normal)));
    glDrawArrays(GL_TRIANGLES, 0, batch.vertexCount);

    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(savedTexture));
    if (!blending)
        glDisable(GL_BLEND);
    if (!texturing)
        glDisable(GL_TEXTURE_2D);
    if (mqoLoaderState.buffersSupported)
        mqoLoaderState.bindBuffer(GL_ARRAY_BUFFER_ARB, 0);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void drawPlainBatch(const MqoMaterialBatch& batch) {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    const GLboolean blending = glIsEnabled(GL_BLEND);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    const void* base = bindVertexSource(batch, batch.plainVertices);
    glVertexPointer(3, GL_FLOAT, sizeof(MqoPlainVertex), arrayAt(base, offsetof(MqoPlainVertex, position)));
    glNormalPointer(GL_FLOAT, sizeof(MqoPlainVertex), arrayAt(base, offsetof(MqoPlainVertex, normal)));
    glDrawArrays(GL_TRIANGLES, 0, batch.vertexCount);

    if (!blending)
        glDisable(GL_BLEND);
    if (mqoLoaderState.buffersSupported)
        mqoLoaderState.bindBuffer(GL_ARRAY_BUFFER_ARB, 0);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
}

}  // namespace

int mqoHasGlExtension(const char* name) {
    if (!name || name[0] == '\0' || std::strchr(name, ' '))
        return 0;
    // Null without a current context: nothing is listed then.
    return extensionListed(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), name) ? 1 : 0;
}

void mqoStartLoader() {
    MqoLoaderState& state = mqoLoaderState;
    mqoEmptyTexturePool();
    state.buffersSupported = mqoHasGlExtension("GL_ARB_vertex_buffer_object");
    state.genBuffers = nullptr;
    state.bindBuffer = nullptr;
    state.bufferData = nullptr;
    state.deleteBuffers = nullptr;
    if (state.buffersSupported == 1) {
        // A listed extension without its entry points is as good as none.
        if (!fetchGlEntry(state.genBuffers, "glGenBuffersARB") ||
            !fetchGlEntry(state.bindBuffer, "glBindBufferARB") ||
            !fetchGlEntry(state.bufferData, "glBufferDataARB") ||
            !fetchGlEntry(state.deleteBuffers, "glDeleteBuffersARB")) {
            state.buffersSupported = 0;
            state.genBuffers = nullptr;
            state.bindBuffer = nullptr;
            state.bufferData = nullptr;
            state.deleteBuffers = nullptr;
        }
    }
    state.started = 1;
}

MqoModel* mqoAllocModels(int count) {
    if (!mqoLoaderState.started)
        mqoStartLoader();
    if (count < 1)
        return nullptr;
    return static_cast<MqoModel*>(std::calloc(count, sizeof(MqoModel)));
}

int mqoLoadModelSlot(MqoModel* models, int index, const char* path, double scale, int alpha) {
    if (!models || index < 0 || !path)
        return -1;
    return mqoParseDocument(&models[index], path, scale, alpha) ? 0 : -1;
}

MqoModel* mqoLoadModel(const char* path, double scale) {
    MqoModel* models = mqoAllocModels(1);
    if (!models)
        return nullptr;
    if (mqoLoadModelSlot(models, 0, path, scale, 255) < 0) {
        mqoFreeModels(models, 1);
        return nullptr;
    }
    return models;
}

MqoModel* mqoLoadModelFromMemory(const void* bytes, size_t size, double scale, const char* folder) {
    if (!bytes || size == 0 || size > MQO_MAX_INPUT_BYTES)
        return nullptr;
    MqoModel* models = mqoAllocModels(1);
    if (!models)
        return nullptr;
    mqoParseDocumentBytes(models, static_cast<const unsigned char*>(bytes), size, folder ? folder : "", scale, 255);
    return models;
}

void mqoDrawModelSlot(const MqoModel* models, int index) {
    if (!models)
        return;
    const MqoModel& model = models[index];
    const double alphaScale = model.alpha / 255.0;

    glPushMatrix();
    GLint savedFrontFace = GL_CCW;
    glGetIntegerv(GL_FRONT_FACE, &savedFrontFace);
    glFrontFace(GL_CW);
    for (int o = 0; o < model.objectCount; ++o) {
        const MqoDrawObject& object = model.objects[o];
        if (!object.visible)
            continue;
        glShadeModel(object.flatShading ? GL_FLAT : GL_SMOOTH);
        for (int b = 0; b < object.batchCount; ++b) {
            const MqoMaterialBatch& batch = object.batches[b];
            if (batch.vertexCount == 0)
                continue;
            if (batch.hasMaterial) {
                setMaterialColour(GL_DIFFUSE, batch.diffuse, alphaScale);
                setMaterialColour(GL_AMBIENT, batch.ambient, alphaScale);
                setMaterialColour(GL_SPECULAR, batch.specular, alphaScale);
                setMaterialColour(GL_EMISSION, batch.emission, alphaScale);
                glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, batch.power);
            }
            if (batch.useTexture)
                drawTexturedBatch(batch);
            else
                drawPlainBatch(batch);
        }
    }
    glFrontFace(static_cast<GLenum>(savedFrontFace));
    glPopMatrix();
}

void mqoDrawModel(const MqoModel* models) {
    mqoDrawModelSlot(models, 0);
}

void mqoReleaseModelBuffers(MqoModel* models, int first, int count) {
    if (!models || first < 0 || count < 1)
        return;
    for (int m = first; m < first + count; ++m) {
        MqoModel& model = models[m];
        for (int o = 0; o < model.objectCount; ++o)
            mqoReleaseObjectBatches(model.objects[o]);
    }
}

void mqoFreeModels(MqoModel* models, int count) {
    if (!models)
        return;
    mqoReleaseModelBuffers(models, 0, count);
    std::free(models);
}
