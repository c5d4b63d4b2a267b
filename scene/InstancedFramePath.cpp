#include "InstancedFramePath.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "FlowerSceneState.h"
#include "MqoLoader.h"

namespace {

// GLSL 1.20 runs on OpenGL 2.1 and on every compatibility context after it. The camera
// comes from the projection matrix that the frame sets, as in the fixed-function path,
// and the tint travels as the built-in colour, which flat shading leaves as it is.
const char vertexShaderSource[] = R"(#version 120
attribute vec3 corner;
attribute vec4 placement;  // x, y, z, turn in degrees
attribute vec4 tint;       // red, green, blue, scale
void main() {
    float turn = radians(placement.w);
    float c = cos(turn);
    float s = sin(turn);
    vec2 p = tint.w * corner.xy;
    vec4 world = vec4(c * p.x - s * p.y + placement.x, s * p.x + c * p.y + placement.y,
                      corner.z + placement.z, 1.0);
    gl_Position = gl_ProjectionMatrix * world;
    gl_FrontColor = vec4(tint.rgb, 1.0);
}
)";

const char fragmentShaderSource[] = R"(#version 120
void main() {
    gl_FragColor = gl_Color;
}
)";

// A million triangles: thousands of copies of anything larger would be no screen saver, and
// the copy's memory stays bounded.
constexpr size_t maximumCorners = 3u << 20;

enum Attribute : GLuint { cornerAttribute, placementAttribute, tintAttribute };

struct InstanceRecord {
    float x, y, z, turn;
    float red, green, blue, scale;
};

struct Entries {
    PFNGLCREATESHADERPROC createShader;
    PFNGLSHADERSOURCEPROC shaderSource;
    PFNGLCOMPILESHADERPROC compileShader;
    PFNGLDELETESHADERPROC deleteShader;
    PFNGLCREATEPROGRAMPROC createProgram;
    PFNGLATTACHSHADERPROC attachShader;
    PFNGLBINDATTRIBLOCATIONPROC bindAttribLocation;
    PFNGLLINKPROGRAMPROC linkProgram;
    PFNGLGETPROGRAMIVPROC getProgramiv;
    PFNGLGETPROGRAMINFOLOGPROC getProgramInfoLog;
    PFNGLDELETEPROGRAMPROC deleteProgram;
    PFNGLUSEPROGRAMPROC useProgram;
    PFNGLGENBUFFERSPROC genBuffers;
    PFNGLBINDBUFFERPROC bindBuffer;
    PFNGLBUFFERDATAPROC bufferData;
    PFNGLBUFFERSUBDATAPROC bufferSubData;
    PFNGLDELETEBUFFERSPROC deleteBuffers;
    PFNGLVERTEXATTRIBPOINTERPROC vertexAttribPointer;
    PFNGLENABLEVERTEXATTRIBARRAYPROC enableVertexAttribArray;
    PFNGLDISABLEVERTEXATTRIBARRAYPROC disableVertexAttribArray;
    PFNGLVERTEXATTRIBDIVISORPROC vertexAttribDivisor;
    PFNGLDRAWELEMENTSINSTANCEDPROC drawElementsInstanced;
};

struct InstancedPath {
    Entries gl;
    GLuint program;  // 0 while the path is not set up
    GLuint cornerBuffer;
    GLuint indexBuffer;
    GLuint instanceBuffer;
    GLsizei indexCount;
    int32_t flowerCount;
    std::unique_ptr<int32_t[]> order;  // flower numbers, nearest first
    std::unique_ptr<InstanceRecord[]> instances;
};

InstancedPath path;

// 3.3 has instancing in its core; 2.1 needs both extensions, whose entry points carry ARB.
const char* checkContext(bool& core) {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0;
    int minor = 0;
    if (!version || std::sscanf(version, "%d.%d", &major, &minor) != 2)
        return "the context does not say its OpenGL version";
    core = major > 3 || (major == 3 && minor >= 3);
    if (core)
        return nullptr;
    if ((major == 2 && minor >= 1) || major == 3) {
        if (mqoHasGlExtension("GL_ARB_draw_instanced") && mqoHasGlExtension("GL_ARB_instanced_arrays"))
            return nullptr;
    }
    return "the context has neither OpenGL 3.3 nor 2.1 with instanced drawing and instanced arrays";
}

bool fetchEntries(Entries& gl, bool core) {
    return mqoFetchGlEntry(gl.createShader, "glCreateShader") && mqoFetchGlEntry(gl.shaderSource, "glShaderSource") &&
           mqoFetchGlEntry(gl.compileShader, "glCompileShader") && mqoFetchGlEntry(gl.deleteShader, "glDeleteShader") &&
           mqoFetchGlEntry(gl.createProgram, "glCreateProgram") && mqoFetchGlEntry(gl.attachShader, "glAttachShader") &&
           mqoFetchGlEntry(gl.bindAttribLocation, "glBindAttribLocation") && mqoFetchGlEntry(gl.linkProgram, "glLinkProgram") &&
           mqoFetchGlEntry(gl.getProgramiv, "glGetProgramiv") && mqoFetchGlEntry(gl.getProgramInfoLog, "glGetProgramInfoLog") &&
           mqoFetchGlEntry(gl.deleteProgram, "glDeleteProgram") && mqoFetchGlEntry(gl.useProgram, "glUseProgram") &&
           mqoFetchGlEntry(gl.genBuffers, "glGenBuffers") && mqoFetchGlEntry(gl.bindBuffer, "glBindBuffer") &&
           mqoFetchGlEntry(gl.bufferData, "glBufferData") && mqoFetchGlEntry(gl.bufferSubData, "glBufferSubData") &&
           mqoFetchGlEntry(gl.deleteBuffers, "glDeleteBuffers") && mqoFetchGlEntry(gl.vertexAttribPointer, "glVertexAttribPointer") &&
           mqoFetchGlEntry(gl.enableVertexAttribArray, "glEnableVertexAttribArray") &&
           mqoFetchGlEntry(gl.disableVertexAttribArray, "glDisableVertexAttribArray") &&
           mqoFetchGlEntry(gl.vertexAttribDivisor, core ? "glVertexAttribDivisor" : "glVertexAttribDivisorARB") &&
           mqoFetchGlEntry(gl.drawElementsInstanced, core ? "glDrawElementsInstanced" : "glDrawElementsInstancedARB");
}

// The message keeps the log's first line, so that it stays one line.
const char* linkProgram(const Entries& gl, GLuint& program) {
    static char message[200];
    const GLuint vertexShader = gl.createShader(GL_VERTEX_SHADER);
    const GLuint fragmentShader = gl.createShader(GL_FRAGMENT_SHADER);
    const char* vertexText = vertexShaderSource;
    const char* fragmentText = fragmentShaderSource;
    gl.shaderSource(vertexShader, 1, &vertexText, nullptr);
    gl.shaderSource(fragmentShader, 1, &fragmentText, nullptr);
    gl.compileShader(vertexShader);
    gl.compileShader(fragmentShader);
    program = gl.createProgram();
    gl.attachShader(program, vertexShader);
    gl.attachShader(program, fragmentShader);
    gl.bindAttribLocation(program, cornerAttribute, "corner");
    gl.bindAttribLocation(program, placementAttribute, "placement");
    gl.bindAttribLocation(program, tintAttribute, "tint");
    gl.linkProgram(program);
    gl.deleteShader(vertexShader);
    gl.deleteShader(fragmentShader);
    GLint linked = GL_FALSE;
    gl.getProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked == GL_TRUE)
        return nullptr;
    char log[160] = {};
    gl.getProgramInfoLog(program, sizeof log, nullptr, log);
    log[std::strcspn(log, "\r\n")] = '\0';
    std::snprintf(message, sizeof message, "the flower shader did not link: %s", log[0] ? log : "no reason given");
    gl.deleteProgram(program);
    program = 0;
    return message;
}

bool sameMaterial(const MqoMaterialBatch& a, const MqoMaterialBatch& b) {
    return a.hasMaterial == b.hasMaterial && a.power == b.power &&
           !std::memcmp(a.diffuse, b.diffuse, sizeof a.diffuse) && !std::memcmp(a.ambient, b.ambient, sizeof a.ambient) &&
           !std::memcmp(a.emission, b.emission, sizeof a.emission) &&
           !std::memcmp(a.specular, b.specular, sizeof a.specular);
}

// The corners of every drawn triangle, in drawing order; null when the model has
// something that this path would not draw as the fixed-function path does.
const char* collectCorners(const MqoModel* model, std::vector<MqoVec3>& corners) {
    if (!model)
        return "there is no flower model";
    const MqoMaterialBatch* first = nullptr;
    for (int o = 0; o < model->objectCount && o < MQO_OBJECT_SLOTS; ++o) {
        const MqoDrawObject& object = model->objects[o];
        if (!object.visible)
            continue;
        for (int b = 0; b < object.batchCount; ++b) {
            const MqoMaterialBatch& batch = object.batches[b];
            if (batch.vertexCount <= 0)
                continue;
            if (batch.useTexture || !batch.plainVertices)
                return "the model has a textured material";
            if (first && !sameMaterial(*first, batch))
                return "the model has several materials";
            if (model->alpha < 255 || (batch.hasMaterial && batch.diffuse[3] < 1.0f))
                return "the model has a transparent material";
            first = &batch;
            if (corners.size() + static_cast<size_t>(batch.vertexCount) > maximumCorners)
                return "the model has too many triangles to copy";
            for (int v = 0; v < batch.vertexCount; ++v) {
                const float* p = batch.plainVertices[v].position;
                corners.push_back({p[0], p[1], p[2]});
            }
        }
    }
    if (corners.empty())
        return "the model has no triangles to draw";
    return nullptr;
}

// Positions compare by their bits: a total order even for the NaN a hostile file can hold.
bool lessByPosition(const MqoVec3& a, const MqoVec3& b) {
    return std::memcmp(&a, &b, sizeof a) < 0;
}

bool samePosition(const MqoVec3& a, const MqoVec3& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Corners that share a position become one vertex; the indices keep the triangles' order.
void mergeCorners(const std::vector<MqoVec3>& corners, std::vector<MqoVec3>& vertices, std::vector<GLuint>& indices) {
    std::vector<GLuint> byPosition(corners.size());
    for (size_t i = 0; i < corners.size(); ++i)
        byPosition[i] = static_cast<GLuint>(i);
    std::sort(byPosition.begin(), byPosition.end(),
              [&](GLuint a, GLuint b) { return lessByPosition(corners[a], corners[b]); });
    indices.assign(corners.size(), 0);
    for (size_t i = 0; i < byPosition.size(); ++i) {
        const MqoVec3& corner = corners[byPosition[i]];
        if (vertices.empty() || !samePosition(vertices.back(), corner))
            vertices.push_back(corner);
        indices[byPosition[i]] = static_cast<GLuint>(vertices.size() - 1);
    }
}

template <typename T>
GLuint uploadBuffer(const Entries& gl, GLenum target, const std::vector<T>& data) {
    GLuint buffer = 0;
    gl.genBuffers(1, &buffer);
    gl.bindBuffer(target, buffer);
    gl.bufferData(target, static_cast<GLsizeiptr>(data.size() * sizeof(T)), data.data(), GL_STATIC_DRAW);
    gl.bindBuffer(target, 0);
    return buffer;
}

bool nearerFirst(int32_t a, int32_t b) {
    const float depthA = flowerScene.flowers[a].depth;
    const float depthB = flowerScene.flowers[b].depth;
    return depthA < depthB || (depthA == depthB && a < b);
}

// Depths change only when a flower respawns, so last frame's order is nearly sorted
// and an insertion sort costs little more than one pass.
void sortNearestFirst(int32_t* order, int32_t count) {
    for (int32_t i = 1; i < count; ++i) {
        const int32_t flower = order[i];
        int32_t j = i;
        while (j > 0 && nearerFirst(flower, order[j - 1])) {
            order[j] = order[j - 1];
            --j;
        }
        order[j] = flower;
    }
}

void setAttribute(const Entries& gl, Attribute attribute, GLint size, GLsizei stride, size_t offset, GLuint divisor) {
    gl.vertexAttribPointer(attribute, size, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(offset));
    gl.vertexAttribDivisor(attribute, divisor);
    gl.enableVertexAttribArray(attribute);
}

void draw(const Entries& gl) {
    const GLsizei stride = sizeof(InstanceRecord);
    // The tint is one colour a flower: not interpolated, it stays the very value the
    // fixed-function path hands on, and a tint on a rounding boundary, such as 0.9,
    // gives the same 8-bit value in both.
    glShadeModel(GL_FLAT);
    gl.useProgram(path.program);
    gl.bindBuffer(GL_ARRAY_BUFFER, path.cornerBuffer);
    setAttribute(gl, cornerAttribute, 3, sizeof(MqoVec3), 0, 0);
    gl.bindBuffer(GL_ARRAY_BUFFER, path.instanceBuffer);
    gl.bufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(path.flowerCount * sizeof(InstanceRecord)),
                     path.instances.get());
    setAttribute(gl, placementAttribute, 4, stride, offsetof(InstanceRecord, x), 1);
    setAttribute(gl, tintAttribute, 4, stride, offsetof(InstanceRecord, red), 1);
    gl.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, path.indexBuffer);
    gl.drawElementsInstanced(GL_TRIANGLES, path.indexCount, GL_UNSIGNED_INT, nullptr, path.flowerCount);

    // What the fixed-function path and the host find afterwards is as before the draw.
    for (Attribute attribute : {cornerAttribute, placementAttribute, tintAttribute}) {
        gl.vertexAttribDivisor(attribute, 0);
        gl.disableVertexAttribArray(attribute);
    }
    gl.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    gl.bindBuffer(GL_ARRAY_BUFFER, 0);
    gl.useProgram(0);
    glShadeModel(GL_SMOOTH);
}

}  // namespace

bool instancedPathStart(const MqoModel* model, int32_t flowerCount, const char** reason) {
    instancedPathRelease(true);
    std::vector<MqoVec3> corners;
    bool core = false;
    const char* refusal = collectCorners(model, corners);
    if (!refusal)
        refusal = checkContext(core);
    Entries gl{};
    if (!refusal && !fetchEntries(gl, core))
        refusal = "the context lacks an entry point of instanced drawing";
    GLuint program = 0;
    if (!refusal)
        refusal = linkProgram(gl, program);
    if (refusal) {
        *reason = refusal;
        return false;
    }

    std::vector<MqoVec3> vertices;
    std::vector<GLuint> indices;
    mergeCorners(corners, vertices, indices);
    path.gl = gl;
    path.program = program;
    path.cornerBuffer = uploadBuffer(gl, GL_ARRAY_BUFFER, vertices);
    path.indexBuffer = uploadBuffer(gl, GL_ELEMENT_ARRAY_BUFFER, indices);
    path.indexCount = static_cast<GLsizei>(indices.size());
    path.flowerCount = flowerCount > 0 ? flowerCount : 0;
    path.order.reset(new int32_t[static_cast<size_t>(path.flowerCount) + 1]);
    path.instances.reset(new InstanceRecord[static_cast<size_t>(path.flowerCount) + 1]);
    for (int32_t i = 0; i < path.flowerCount; ++i)
        path.order[i] = i;
    gl.genBuffers(1, &path.instanceBuffer);
    gl.bindBuffer(GL_ARRAY_BUFFER, path.instanceBuffer);
    gl.bufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(path.flowerCount * sizeof(InstanceRecord)), nullptr,
                  GL_STREAM_DRAW);
    gl.bindBuffer(GL_ARRAY_BUFFER, 0);
    *reason = nullptr;
    return true;
}

void instancedPathAdvanceAndDraw() {
    const int32_t count = path.flowerCount;
    Flower* flowers = flowerScene.flowers;
    // In array order, as the fixed-function path steps them: respawns draw the same numbers.
    for (int32_t i = 0; i < count; ++i)
        advanceFlower(flowers[i]);
    if (count == 0)
        return;
    sortNearestFirst(path.order.get(), count);
    const float scale = flowerSizeFactor();
    const float depthScale = flowerScene.depthScale;
    InstanceRecord* out = path.instances.get();
    for (int32_t k = 0; k < count; ++k) {
        const Flower& flower = flowers[path.order[k]];
        out[k] = {flower.x,   flower.y,     flower.depth * depthScale, flower.angle,
                  flower.red, flower.green, flower.blue,               scale};
    }
    draw(path.gl);
}

void instancedPathRelease(bool contextCurrent) {
    if (path.program && contextCurrent) {
        const GLuint buffers[] = {path.cornerBuffer, path.indexBuffer, path.instanceBuffer};
        path.gl.deleteBuffers(3, buffers);
        path.gl.deleteProgram(path.program);
    }
    path = InstancedPath{};
}
