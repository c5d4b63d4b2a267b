#include "SpriteFramePath.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "GlslInstancing.h"
#include "OutlineField.h"

namespace {

const char vertexShaderMain[] = R"(
attribute vec2 spot;  // where the corner falls on the outline's field
varying vec2 fieldSpot;
void main() {
    placeCorner();
    fieldSpot = spot;
}
)";

// The field's bytes above 127 are inside: a filtered sample over half is inside.
const char fragmentShaderSource[] = R"(#version 120
uniform sampler2D outline;
varying vec2 fieldSpot;
void main() {
    if (texture2D(outline, fieldSpot).a <= 0.5)
        discard;
    gl_FragColor = gl_Color;
}
)";

// 1 MiB of texture at most: enough for the largest flowers on a 4K screen.
constexpr int largestField = 512;
constexpr int smallestField = 64;

struct QuadCorner {
    float x, y, z;
    float u, v;
};

struct SpriteVertex {
    float x, y, z;
    float red, green, blue;
};

struct SpritePath {
    SpriteForm form;
    GLuint texture;  // 0 while the path is not set up
    QuadCorner quad[4];
    // The shader form
    InstancingGl gl;
    GLuint program;
    GLuint quadBuffer;
    InstanceStream stream;
    // The OpenGL 1.1 form: quads built on the CPU, their texture spots fixed at start
    DrawOrder order;
    uint64_t builtGeneration;  // of the flowers the quads show; 0: none yet
    std::unique_ptr<SpriteVertex[]> vertices;
    std::unique_ptr<float[]> spots;
    std::unique_ptr<GLuint[]> indices;  // two triangles a quad
};

SpritePath path;

int fieldSize() {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    int size = largestField;
    while (size > largest && size > smallestField)
        size /= 2;
    return size <= largest ? size : 0;
}

void clearGlErrors() {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

GLuint uploadField(const OutlineField& field) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, field.size, field.size, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                 field.texels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

void placeQuad(const OutlineField& field) {
    const float xs[4] = {field.quad[0], field.quad[2], field.quad[2], field.quad[0]};
    const float ys[4] = {field.quad[1], field.quad[1], field.quad[3], field.quad[3]};
    for (int k = 0; k < 4; ++k)
        path.quad[k] = {xs[k], ys[k], field.plane, (xs[k] - field.left) / field.extent,
                        (ys[k] - field.bottom) / field.extent};
}

// Null when it started; else why not.
const char* startShaderForm(int32_t flowerCount) {
    InstancingGl gl{};
    GLuint program = 0;
    if (const char* refusal = instancingStart(vertexShaderMain, fragmentShaderSource, gl, program))
        return refusal;
    path.gl = gl;
    path.program = program;
    gl.genBuffers(1, &path.quadBuffer);
    gl.bindBuffer(GL_ARRAY_BUFFER, path.quadBuffer);
    gl.bufferData(GL_ARRAY_BUFFER, sizeof path.quad, path.quad, GL_STATIC_DRAW);
    gl.bindBuffer(GL_ARRAY_BUFFER, 0);
    instanceStreamStart(gl, path.stream, flowerCount);
    return nullptr;
}

void startOpenGl11Form(int32_t flowerCount) {
    drawOrderReset(path.order, flowerCount);
    const size_t corners = static_cast<size_t>(path.order.count) * 4;
    path.vertices.reset(new SpriteVertex[corners + 4]);
    path.spots.reset(new float[corners * 2 + 8]);
    for (size_t i = 0; i < corners; ++i) {
        path.spots[2 * i] = path.quad[i % 4].u;
        path.spots[2 * i + 1] = path.quad[i % 4].v;
    }
    path.indices.reset(new GLuint[static_cast<size_t>(path.order.count) * 6 + 6]);
    for (size_t q = 0; q < static_cast<size_t>(path.order.count); ++q) {
        const GLuint first = static_cast<GLuint>(q * 4);
        const GLuint quad[6] = {first, first + 1, first + 2, first, first + 2, first + 3};
        std::copy(quad, quad + 6, &path.indices[q * 6]);
    }
}

void drawShaderForm(const FlowerSet& set) {
    const InstancingGl& gl = path.gl;
    // The caller's program, buffer, texture and shading come back as they were.
    GLint program = 0, buffer = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &buffer);
    glPushAttrib(GL_LIGHTING_BIT | GL_TEXTURE_BIT);
    // One tint a flower, not interpolated: the fixed-function path's very value.
    glShadeModel(GL_FLAT);
    glBindTexture(GL_TEXTURE_2D, path.texture);
    gl.useProgram(path.program);
    gl.bindBuffer(GL_ARRAY_BUFFER, path.quadBuffer);
    gl.vertexAttribPointer(cornerAttribute, 3, GL_FLOAT, GL_FALSE, sizeof(QuadCorner), nullptr);
    gl.enableVertexAttribArray(cornerAttribute);
    gl.vertexAttribPointer(spotAttribute, 2, GL_FLOAT, GL_FALSE, sizeof(QuadCorner),
                           reinterpret_cast<const void*>(offsetof(QuadCorner, u)));
    gl.enableVertexAttribArray(spotAttribute);
    const int32_t instances = instanceStreamUpload(gl, path.stream, set);
    gl.drawArraysInstanced(GL_TRIANGLE_FAN, 0, 4, instances);
    instancingFinish(gl);
    glPopAttrib();
    gl.useProgram(static_cast<GLuint>(program));
    gl.bindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(buffer));
}

void buildQuads(const FlowerSet& set) {
    constexpr double degreesToRadians = 3.14159265358979323846 / 180.0;
    drawOrderSort(path.order, set.flowers);
    const float scale = set.sizeFactor;
    SpriteVertex* out = path.vertices.get();
    for (int32_t k = 0; k < path.order.count; ++k) {
        const Flower& flower = set.flowers[path.order.flowers[k]];
        const double turn = flower.angle * degreesToRadians;
        const float c = static_cast<float>(std::cos(turn)) * scale;
        const float s = static_cast<float>(std::sin(turn)) * scale;
        const float z = flower.depth * set.depthScale;
        for (const QuadCorner& q : path.quad)
            *out++ = {c * q.x - s * q.y + flower.x,
                      s * q.x + c * q.y + flower.y,
                      q.z + z,
                      flower.red,
                      flower.green,
                      flower.blue};
    }
}

void drawOpenGl11Form(const FlowerSet& set) {
    // A second surface shows the same step: the quads stand as they were built.
    if (path.builtGeneration != set.generation) {
        buildQuads(set);
        path.builtGeneration = set.generation;
    }
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_LIGHTING_BIT | GL_TEXTURE_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glShadeModel(GL_FLAT);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, path.texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(SpriteVertex), &path.vertices[0].x);
    glColorPointer(3, GL_FLOAT, sizeof(SpriteVertex), &path.vertices[0].red);
    glTexCoordPointer(2, GL_FLOAT, 0, path.spots.get());
    glDrawElements(GL_TRIANGLES, path.order.count * 6, GL_UNSIGNED_INT, path.indices.get());
    glPopClientAttrib();
    glPopAttrib();
}

}  // namespace

bool spritePathStart(const MqoModel* model, int32_t flowerCount, SpriteForm* form, const char** reason) {
    spritePathRelease(true);
    const int size = fieldSize();
    if (!size) {
        *reason = "the context's textures are too small for the outline";
        return false;
    }
    OutlineField field;
    if ((*reason = buildOutlineField(model, size, field)))
        return false;
    clearGlErrors();
    path.texture = uploadField(field);
    if (glGetError() != GL_NO_ERROR) {
        spritePathRelease(true);
        *reason = "the context did not take the outline's texture";
        return false;
    }
    placeQuad(field);
    const char* shaderRefusal = startShaderForm(flowerCount);
    path.form = shaderRefusal ? SpriteForm::OpenGl11 : SpriteForm::Shader;
    if (shaderRefusal) {
        startOpenGl11Form(flowerCount);
        *reason = shaderRefusal;
    }
    *form = path.form;
    return true;
}

void spritePathDraw(const FlowerSet& set) {
    const int32_t count = path.form == SpriteForm::Shader ? path.stream.order.count : path.order.count;
    if (count == 0)
        return;
    if (path.form == SpriteForm::Shader)
        drawShaderForm(set);
    else
        drawOpenGl11Form(set);
}

void spritePathRelease(bool contextCurrent) {
    if (path.texture && contextCurrent)
        glDeleteTextures(1, &path.texture);
    if (path.program) {
        if (contextCurrent) {
            path.gl.deleteBuffers(1, &path.quadBuffer);
            path.gl.deleteProgram(path.program);
        }
        instanceStreamRelease(path.gl, path.stream, contextCurrent);
    }
    path = SpritePath{};
}
