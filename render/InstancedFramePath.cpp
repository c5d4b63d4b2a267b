#include "InstancedFramePath.h"

#include <vector>

#include "GlslInstancing.h"
#include "ModelTriangles.h"

namespace {

const char vertexShaderMain[] = R"(
void main() {
    placeCorner();
}
)";

const char fragmentShaderSource[] = R"(#version 120
void main() {
    gl_FragColor = gl_Color;
}
)";

struct InstancedPath {
    InstancingGl gl;
    GLuint program;  // 0 while the path is not set up
    GLuint cornerBuffer;
    GLuint indexBuffer;
    GLsizei indexCount;
    InstanceStream stream;
};

InstancedPath path;

template <typename T>
GLuint uploadBuffer(const InstancingGl& gl, GLenum target, const std::vector<T>& data) {
    GLuint buffer = 0;
    gl.genBuffers(1, &buffer);
    gl.bindBuffer(target, buffer);
    gl.bufferData(target, static_cast<GLsizeiptr>(data.size() * sizeof(T)), data.data(), GL_STATIC_DRAW);
    gl.bindBuffer(target, 0);
    return buffer;
}

}  // namespace

bool instancedPathStart(const MqoModel* model, int32_t flowerCount, const char** reason) {
    instancedPathRelease(true);
    std::vector<MqoVec3> corners;
    InstancingGl gl{};
    GLuint program = 0;
    const char* refusal = collectPlainCorners(model, corners);
    if (!refusal)
        refusal = instancingStart(vertexShaderMain, fragmentShaderSource, gl, program);
    *reason = refusal;
    if (refusal)
        return false;

    std::vector<MqoVec3> vertices;
    std::vector<GLuint> indices;
    mergeCorners(corners, vertices, indices);
    path.gl = gl;
    path.program = program;
    path.cornerBuffer = uploadBuffer(gl, GL_ARRAY_BUFFER, vertices);
    path.indexBuffer = uploadBuffer(gl, GL_ELEMENT_ARRAY_BUFFER, indices);
    path.indexCount = static_cast<GLsizei>(indices.size());
    instanceStreamStart(gl, path.stream, flowerCount);
    return true;
}

void instancedPathDraw(const FlowerSet& set) {
    const InstancingGl& gl = path.gl;
    if (path.stream.order.count == 0)
        return;
    // The tint is one colour a flower: not interpolated, it stays the very value the
    // fixed-function path hands on, and a tint on a rounding boundary, such as 0.9,
    // gives the same 8-bit value in both.
    glShadeModel(GL_FLAT);
    gl.useProgram(path.program);
    gl.bindBuffer(GL_ARRAY_BUFFER, path.cornerBuffer);
    gl.vertexAttribPointer(cornerAttribute, 3, GL_FLOAT, GL_FALSE, sizeof(MqoVec3), nullptr);
    gl.enableVertexAttribArray(cornerAttribute);
    const int32_t instances = instanceStreamUpload(gl, path.stream, set);
    gl.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, path.indexBuffer);
    gl.drawElementsInstanced(GL_TRIANGLES, path.indexCount, GL_UNSIGNED_INT, nullptr, instances);
    instancingFinish(gl);
    glShadeModel(GL_SMOOTH);
}

void instancedPathRelease(bool contextCurrent) {
    if (path.program && contextCurrent) {
        const GLuint buffers[] = {path.cornerBuffer, path.indexBuffer};
        path.gl.deleteBuffers(2, buffers);
        path.gl.deleteProgram(path.program);
    }
    if (path.program)
        instanceStreamRelease(path.gl, path.stream, contextCurrent);
    path = InstancedPath{};
}
