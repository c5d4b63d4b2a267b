// What the two shader frame paths share: the context check, the entry points, the
// program's build, and the per-flower instance buffer streamed once a frame.
#pragma once

#include <cstdint>
#include <memory>

#include "DrawOrder.h"
#include "Flower.h"
#include "GlProc.h"

// The attribute slots both programs bind.
enum InstancingAttribute : GLuint { cornerAttribute, placementAttribute, tintAttribute, spotAttribute };

struct InstancingGl {
    PFNGLCREATESHADERPROC createShader;
    PFNGLSHADERSOURCEPROC shaderSource;
    PFNGLCOMPILESHADERPROC compileShader;
    PFNGLGETSHADERIVPROC getShaderiv;
    PFNGLGETSHADERINFOLOGPROC getShaderInfoLog;
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
    PFNGLDRAWARRAYSINSTANCEDPROC drawArraysInstanced;
};

// Checks the context (OpenGL 3.3, or 2.1 with instanced drawing and instanced arrays),
// fetches the entry points and links the program. The vertex shader is the shared GLSL
// 1.20 placeCorner(), which places the corner attribute as the flower's placement and
// tint have it, followed by vertexMain; the fragment shader is fragmentSource. Null on
// success; else a one-line reason, with nothing left behind.
const char* instancingStart(const char* vertexMain, const char* fragmentSource, InstancingGl& gl, GLuint& program);

struct InstanceRecord {
    float x, y, z, turn;
    float red, green, blue, scale;
};

// Frames a driver may still be drawing while the next is written.
constexpr int instanceBufferCount = 3;

struct InstanceStream {
    GLuint buffers[instanceBufferCount];
    int next;                    // the buffer the last frame wrote
    uint64_t writtenGeneration;  // of the flowers it holds; 0: none yet
    DrawOrder order;
    std::unique_ptr<InstanceRecord[]> records;
};

// Sized once for the scene's flowers.
void instanceStreamStart(const InstancingGl& gl, InstanceStream& stream, int32_t flowerCount);

// Writes the flowers' current step nearest first into the buffer no draw in flight reads,
// unless it holds that step already (a second surface), and points the placement and tint
// attributes at it, one record an instance. The count of instances.
int32_t instanceStreamUpload(const InstancingGl& gl, InstanceStream& stream, const FlowerSet& set);

// Leaves the attributes, buffers and program as the fixed-function path expects them.
void instancingFinish(const InstancingGl& gl);

void instanceStreamRelease(const InstancingGl& gl, InstanceStream& stream, bool contextCurrent);
