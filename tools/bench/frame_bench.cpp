// Frame cost of the real scene against an ideal reference that draws the same flowers
// with one instanced call. The 1x1 target leaves almost no pixels to fill, so it shows
// the CPU's share: the calls and the driver's work per flower.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "FlowerScene.h"
#include "FlowerSceneState.h"
#include "HeadlessGl.h"
#include "SaverGeometry.h"
#include "SaverSettings.h"
#include "SceneSeed.h"

namespace {

uint32_t benchSeed() {
    return 20240401u;
}

struct Size {
    int width;
    int height;
};

const Size fullHd = {1920, 1080};
const Size onePixel = {1, 1};

bool startScene(Size size, int flowers) {
    if (!headlessGlOpen(size.width, size.height))
        return false;
    saverGeometry = {0, 0, size.width, size.height};
    saverSettings = {static_cast<int16_t>(flowers), 100, 1};
    sceneSetSeedSource(benchSeed);
    sceneInit();
    return flowerScene.flowerModel != nullptr;
}

void stopScene() {
    sceneRelease();
    headlessGlClose();
}

const char vertexShader[] = R"(#version 330 core
layout(location = 0) in vec2 corner;
layout(location = 1) in vec4 placement;  // x, y, z, angle in degrees
layout(location = 2) in vec4 tint;       // red, green, blue, size factor
uniform mat4 camera;
out vec3 colour;
void main() {
    float turn = radians(placement.w);
    vec2 p = tint.w * corner;
    vec2 turned = vec2(cos(turn) * p.x - sin(turn) * p.y, sin(turn) * p.x + cos(turn) * p.y);
    gl_Position = camera * vec4(turned + placement.xy, placement.z, 1.0);
    colour = tint.rgb;
}
)";

const char fragmentShader[] = R"(#version 330 core
in vec3 colour;
out vec4 fragColour;
void main() { fragColour = vec4(colour, 1.0); }
)";

GLuint compile(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

// The same flowers, moved by the same step, drawn with all transforms on the GPU.
class IdealPath {
public:
    IdealPath() {
        const MqoMaterialBatch& batch = flowerScene.flowerModel->objects[0].batches[0];
        vertexCount = batch.vertexCount;
        std::vector<float> corners;
        for (int i = 0; i < vertexCount; ++i) {
            corners.push_back(batch.plainVertices[i].position[0]);
            corners.push_back(batch.plainVertices[i].position[1]);
        }
        program = glCreateProgram();
        glAttachShader(program, compile(GL_VERTEX_SHADER, vertexShader));
        glAttachShader(program, compile(GL_FRAGMENT_SHADER, fragmentShader));
        glLinkProgram(program);

        glGenVertexArrays(1, &vertexArray);
        glBindVertexArray(vertexArray);
        glGenBuffers(2, buffers);
        glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(corners.size() * sizeof(float)), corners.data(),
                     GL_STATIC_DRAW);
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
        glEnableVertexAttribArray(0);

        instances.resize(static_cast<size_t>(flowerScene.flowerCount) * 8);
        glBindBuffer(GL_ARRAY_BUFFER, buffers[1]);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(instances.size() * sizeof(float)), nullptr,
                     GL_STREAM_DRAW);
        for (GLuint attribute = 1; attribute <= 2; ++attribute) {
            glVertexAttribPointer(attribute, 4, GL_FLOAT, GL_FALSE, 8 * sizeof(float),
                                  reinterpret_cast<const void*>((attribute - 1) * 4 * sizeof(float)));
            glVertexAttribDivisor(attribute, 1);
            glEnableVertexAttribArray(attribute);
        }
        glBindVertexArray(0);

        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(flowerScene.fovY, static_cast<double>(saverGeometry.width) / saverGeometry.height,
                       flowerScene.nearPlane, flowerScene.farPlane);
        gluLookAt(0.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 1.0, 0.0);
        GLfloat camera[16];
        glGetFloatv(GL_PROJECTION_MATRIX, camera);
        glUseProgram(program);
        glUniformMatrix4fv(glGetUniformLocation(program, "camera"), 1, GL_FALSE, camera);
        glUseProgram(0);
    }

    ~IdealPath() {
        glDeleteBuffers(2, buffers);
        glDeleteVertexArrays(1, &vertexArray);
        glDeleteProgram(program);
    }

    void drawFrame() {
        glClearColor(1.0f, 1.0f, 1.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const float size = static_cast<float>(saverSettings.hanaRate / 100.0);
        float* out = instances.data();
        for (int32_t i = 0; i < flowerScene.flowerCount; ++i) {
            Flower& flower = flowerScene.flowers[i];
            advanceFlower(flower);
            *out++ = flower.x;
            *out++ = flower.y;
            *out++ = flower.depth * flowerScene.depthScale;
            *out++ = flower.angle;
            *out++ = flower.red;
            *out++ = flower.green;
            *out++ = flower.blue;
            *out++ = size;
        }
        glUseProgram(program);
        glBindVertexArray(vertexArray);
        glBindBuffer(GL_ARRAY_BUFFER, buffers[1]);
        glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(instances.size() * sizeof(float)),
                        instances.data());
        glDrawArraysInstanced(GL_TRIANGLES, 0, vertexCount, flowerScene.flowerCount);
        glBindVertexArray(0);
        glUseProgram(0);
        glFlush();
    }

private:
    GLuint program = 0;
    GLuint vertexArray = 0;
    GLuint buffers[2] = {};
    int vertexCount = 0;
    std::vector<float> instances;
};

void realFrames(benchmark::State& state, Size size) {
    if (!startScene(size, static_cast<int>(state.range(0)))) {
        state.SkipWithError("no OpenGL context or no flower model");
        return;
    }
    for (auto _ : state) {
        sceneRenderFrame();
        glFinish();
    }
    stopScene();
}

void idealFrames(benchmark::State& state, Size size) {
    if (!startScene(size, static_cast<int>(state.range(0)))) {
        state.SkipWithError("no OpenGL context or no flower model");
        return;
    }
    {
        IdealPath ideal;
        for (auto _ : state) {
            ideal.drawFrame();
            glFinish();
        }
    }
    stopScene();
}

void flowerCounts(benchmark::internal::Benchmark* bench) {
    bench->Arg(1000)->Arg(7500)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
}

BENCHMARK_CAPTURE(realFrames, 1920x1080, fullHd)->Apply(flowerCounts);
BENCHMARK_CAPTURE(idealFrames, 1920x1080, fullHd)->Apply(flowerCounts);
BENCHMARK_CAPTURE(realFrames, 1x1, onePixel)->Apply(flowerCounts);
BENCHMARK_CAPTURE(idealFrames, 1x1, onePixel)->Apply(flowerCounts);

// Keeps each run's time per frame so that real and ideal can be compared at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration)
                milliseconds[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatios() const {
        std::printf("\nreal / ideal time per frame\n");
        for (const auto& [name, real] : milliseconds) {
            if (name.rfind("realFrames/", 0) != 0)
                continue;
            const auto ideal = milliseconds.find("idealFrames/" + name.substr(11));
            if (ideal == milliseconds.end() || ideal->second <= 0.0)
                continue;
            const std::string shown = name.substr(11, name.find("/min_time") - 11);
            std::printf("  %-16s %8.2f ms / %8.2f ms = %5.2fx\n", shown.c_str(), real, ideal->second,
                        real / ideal->second);
        }
    }

private:
    std::map<std::string, double> milliseconds;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
