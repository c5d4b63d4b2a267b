#include "GlslInstancing.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "MqoLoader.h"

namespace {

// GLSL 1.20 runs on OpenGL 2.1 and on every compatibility context after it. The camera
// comes from the matrices that the frame sets, as in the fixed-function path, and the
// tint travels as the built-in colour, which flat shading leaves as it is.
const char placementSource[] = R"(#version 120
attribute vec3 corner;
attribute vec4 placement;  // x, y, z, turn in degrees
attribute vec4 tint;       // red, green, blue, scale
void placeCorner() {
    float turn = radians(placement.w);
    float c = cos(turn);
    float s = sin(turn);
    vec2 p = tint.w * corner.xy;
    vec4 world = vec4(c * p.x - s * p.y + placement.x, s * p.x + c * p.y + placement.y,
                      corner.z + placement.z, 1.0);
    gl_Position = gl_ModelViewProjectionMatrix * world;
    gl_FrontColor = vec4(tint.rgb, 1.0);
}
)";

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

bool fetchEntries(InstancingGl& gl, bool core) {
    return fetchGlEntry(gl.createShader, "glCreateShader") && fetchGlEntry(gl.shaderSource, "glShaderSource") &&
           fetchGlEntry(gl.compileShader, "glCompileShader") && fetchGlEntry(gl.getShaderiv, "glGetShaderiv") &&
           fetchGlEntry(gl.getShaderInfoLog, "glGetShaderInfoLog") && fetchGlEntry(gl.deleteShader, "glDeleteShader") &&
           fetchGlEntry(gl.createProgram, "glCreateProgram") && fetchGlEntry(gl.attachShader, "glAttachShader") &&
           fetchGlEntry(gl.bindAttribLocation, "glBindAttribLocation") &&
           fetchGlEntry(gl.linkProgram, "glLinkProgram") && fetchGlEntry(gl.getProgramiv, "glGetProgramiv") &&
           fetchGlEntry(gl.getProgramInfoLog, "glGetProgramInfoLog") &&
           fetchGlEntry(gl.deleteProgram, "glDeleteProgram") && fetchGlEntry(gl.useProgram, "glUseProgram") &&
           fetchGlEntry(gl.genBuffers, "glGenBuffers") && fetchGlEntry(gl.bindBuffer, "glBindBuffer") &&
           fetchGlEntry(gl.bufferData, "glBufferData") && fetchGlEntry(gl.bufferSubData, "glBufferSubData") &&
           fetchGlEntry(gl.deleteBuffers, "glDeleteBuffers") &&
           fetchGlEntry(gl.vertexAttribPointer, "glVertexAttribPointer") &&
           fetchGlEntry(gl.enableVertexAttribArray, "glEnableVertexAttribArray") &&
           fetchGlEntry(gl.disableVertexAttribArray, "glDisableVertexAttribArray") &&
           fetchGlEntry(gl.vertexAttribDivisor, core ? "glVertexAttribDivisor" : "glVertexAttribDivisorARB") &&
           fetchGlEntry(gl.drawElementsInstanced, core ? "glDrawElementsInstanced" : "glDrawElementsInstancedARB") &&
           fetchGlEntry(gl.drawArraysInstanced, core ? "glDrawArraysInstanced" : "glDrawArraysInstancedARB");
}

// Why a shader or the program failed: the first line of its log keeps the message to one line.
const char* logMessage(const char* what, PFNGLGETSHADERINFOLOGPROC getLog, GLuint object) {
    static char message[200];
    char log[160] = {};
    getLog(object, sizeof log, nullptr, log);
    log[std::strcspn(log, "\r\n")] = '\0';
    std::snprintf(message, sizeof message, "the flower shader did not %s: %s", what, log[0] ? log : "no reason given");
    return message;
}

GLuint compileShader(const InstancingGl& gl, GLenum type, const char* const* sources, GLsizei count,
                     const char** failure) {
    const GLuint shader = gl.createShader(type);
    gl.shaderSource(shader, count, sources, nullptr);
    gl.compileShader(shader);
    GLint compiled = GL_FALSE;
    gl.getShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled == GL_TRUE)
        return shader;
    *failure = logMessage("compile", gl.getShaderInfoLog, shader);
    gl.deleteShader(shader);
    return 0;
}

const char* linkProgram(const InstancingGl& gl, const char* vertexMain, const char* fragmentSource, GLuint& program) {
    const char* failure = nullptr;
    const char* vertexSources[] = {placementSource, vertexMain};
    const GLuint vertexShader = compileShader(gl, GL_VERTEX_SHADER, vertexSources, 2, &failure);
    if (!vertexShader)
        return failure;
    const GLuint fragmentShader = compileShader(gl, GL_FRAGMENT_SHADER, &fragmentSource, 1, &failure);
    if (!fragmentShader) {
        gl.deleteShader(vertexShader);
        return failure;
    }
    program = gl.createProgram();
    gl.attachShader(program, vertexShader);
    gl.attachShader(program, fragmentShader);
    gl.bindAttribLocation(program, cornerAttribute, "corner");
    gl.bindAttribLocation(program, placementAttribute, "placement");
    gl.bindAttribLocation(program, tintAttribute, "tint");
    gl.bindAttribLocation(program, spotAttribute, "spot");
    gl.linkProgram(program);
    gl.deleteShader(vertexShader);
    gl.deleteShader(fragmentShader);
    GLint linked = GL_FALSE;
    gl.getProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked == GL_TRUE)
        return nullptr;
    failure = logMessage("link", gl.getProgramInfoLog, program);
    gl.deleteProgram(program);
    program = 0;
    return failure;
}

void setInstanceAttribute(const InstancingGl& gl, InstancingAttribute attribute, size_t offset) {
    gl.vertexAttribPointer(attribute, 4, GL_FLOAT, GL_FALSE, sizeof(InstanceRecord),
                           reinterpret_cast<const void*>(offset));
    gl.vertexAttribDivisor(attribute, 1);
    gl.enableVertexAttribArray(attribute);
}

// The flowers as they stand now, nearest first, into the least recently used buffer.
void writeInstances(const InstancingGl& gl, InstanceStream& stream, const FlowerSet& set) {
    const int32_t count = stream.order.count;
    drawOrderSort(stream.order, set.flowers);
    const float scale = set.sizeFactor;
    const float depthScale = set.depthScale;
    InstanceRecord* out = stream.records.get();
    for (int32_t k = 0; k < count; ++k) {
        const Flower& flower = set.flowers[stream.order.flowers[k]];
        out[k] = {flower.x,    flower.y, flower.depth * depthScale, flower.angle, flower.red, flower.green,
                  flower.blue, scale};
    }
    // The previous frames' draws may still be reading their buffers: each frame writes the
    // one least recently used. A fresh store each frame would cost a new allocation.
    const auto bytes = static_cast<GLsizeiptr>(static_cast<size_t>(count) * sizeof(InstanceRecord));
    stream.next = (stream.next + 1) % instanceBufferCount;
    gl.bindBuffer(GL_ARRAY_BUFFER, stream.buffers[stream.next]);
    gl.bufferSubData(GL_ARRAY_BUFFER, 0, bytes, out);
}

}  // namespace

const char* instancingStart(const char* vertexMain, const char* fragmentSource, InstancingGl& gl, GLuint& program) {
    bool core = false;
    if (const char* refusal = checkContext(core))
        return refusal;
    if (!fetchEntries(gl, core))
        return "the context lacks an entry point of instanced drawing";
    return linkProgram(gl, vertexMain, fragmentSource, program);
}

void instanceStreamStart(const InstancingGl& gl, InstanceStream& stream, int32_t flowerCount) {
    drawOrderReset(stream.order, flowerCount);
    stream.records.reset(new InstanceRecord[static_cast<size_t>(stream.order.count) + 1]);
    gl.genBuffers(instanceBufferCount, stream.buffers);
    for (GLuint buffer : stream.buffers) {
        gl.bindBuffer(GL_ARRAY_BUFFER, buffer);
        gl.bufferData(GL_ARRAY_BUFFER,
                      static_cast<GLsizeiptr>(static_cast<size_t>(stream.order.count) * sizeof(InstanceRecord)),
                      nullptr, GL_STREAM_DRAW);
    }
    gl.bindBuffer(GL_ARRAY_BUFFER, 0);
}

int32_t instanceStreamUpload(const InstancingGl& gl, InstanceStream& stream, const FlowerSet& set) {
    const int32_t count = stream.order.count;
    if (stream.writtenGeneration == set.generation) {
        gl.bindBuffer(GL_ARRAY_BUFFER, stream.buffers[stream.next]);
    } else {
        writeInstances(gl, stream, set);
        stream.writtenGeneration = set.generation;
    }
    setInstanceAttribute(gl, placementAttribute, offsetof(InstanceRecord, x));
    setInstanceAttribute(gl, tintAttribute, offsetof(InstanceRecord, red));
    return count;
}

void instancingFinish(const InstancingGl& gl) {
    for (InstancingAttribute attribute : {cornerAttribute, placementAttribute, tintAttribute, spotAttribute}) {
        gl.vertexAttribDivisor(attribute, 0);
        gl.disableVertexAttribArray(attribute);
    }
    gl.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    gl.bindBuffer(GL_ARRAY_BUFFER, 0);
    gl.useProgram(0);
}

void instanceStreamRelease(const InstancingGl& gl, InstanceStream& stream, bool contextCurrent) {
    if (stream.buffers[0] && contextCurrent)
        gl.deleteBuffers(instanceBufferCount, stream.buffers);
    stream = InstanceStream{};
}
