// Load speed of large MQO documents: the whole load (reader and mesh building)
// and mesh building alone. Options: --triangles=N (default 1048576), then the
// usual Google Benchmark flags.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "HeadlessGl.h"
#include "MqoLoader.h"
#include "MqoMesh.h"

namespace {

constexpr int kObjects = 4;
constexpr int kMaterials = 3;
constexpr int kColumns = 256;  // quads per grid row

struct Grid {
    int rows;  // quad rows per object
    int vertexCount() const { return (rows + 1) * (kColumns + 1); }
    int quadCount() const { return rows * kColumns; }
    long long triangles() const { return 2LL * quadCount() * kObjects; }
};

// A gently waved height field, so that normals and creases vary.
MqoVec3 gridVertex(int row, int column) {
    const float x = static_cast<float>(column);
    const float z = static_cast<float>(row);
    return {x, 0.5f * static_cast<float>((row * 7 + column * 13) % 5), z};
}

MqoFace gridQuad(int row, int column) {
    MqoFace face{};
    face.cornerCount = 4;
    face.material = (row + column) % kMaterials;
    const int first = row * (kColumns + 1) + column;
    const int corners[4] = {first, first + kColumns + 1, first + kColumns + 2, first + 1};
    for (int c = 0; c < 4; ++c) {
        face.vertexIndex[c] = corners[c];
        face.uv[c * 2] = static_cast<float>(c & 1);
        face.uv[c * 2 + 1] = static_cast<float>(c >> 1);
    }
    return face;
}

std::string documentText(const Grid& grid) {
    std::string text = "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\nMaterial 3 {\r\n";
    text += "\t\"red\" col(1.000 0.200 0.200 1.000) dif(0.800) amb(0.600) emi(0.000) spc(0.000) power(5.00)\r\n";
    text += "\t\"green\" col(0.227 1.000 0.110 1.000) dif(0.800) amb(0.600) emi(0.000) spc(0.100) power(5.00)\r\n";
    text += "\t\"blue\" col(0.200 0.300 1.000 0.800) dif(0.700) amb(0.500) emi(0.100) spc(0.000) power(8.00)\r\n";
    text += "}\r\n";
    char line[256];
    for (int o = 0; o < kObjects; ++o) {
        std::snprintf(line, sizeof line, "Object \"grid%d\" {\r\n\tvisible 15\r\n\tshading 1\r\n\tfacet 59.5\r\n", o);
        text += line;
        std::snprintf(line, sizeof line, "\tvertex %d {\r\n", grid.vertexCount());
        text += line;
        for (int r = 0; r <= grid.rows; ++r) {
            for (int c = 0; c <= kColumns; ++c) {
                const MqoVec3 v = gridVertex(r, c);
                std::snprintf(line, sizeof line, "\t\t%.4f %.4f %.4f\r\n", v.x, v.y, v.z);
                text += line;
            }
        }
        std::snprintf(line, sizeof line, "\t}\r\n\tface %d {\r\n", grid.quadCount());
        text += line;
        for (int r = 0; r < grid.rows; ++r) {
            for (int c = 0; c < kColumns; ++c) {
                const MqoFace f = gridQuad(r, c);
                std::snprintf(line, sizeof line, "\t\t4 V(%d %d %d %d) M(%d) UV(%g %g %g %g %g %g %g %g)\r\n",
                              f.vertexIndex[0], f.vertexIndex[1], f.vertexIndex[2], f.vertexIndex[3], f.material,
                              f.uv[0], f.uv[1], f.uv[2], f.uv[3], f.uv[4], f.uv[5], f.uv[6], f.uv[7]);
                text += line;
            }
        }
        text += "\t}\r\n}\r\n";
    }
    text += "Eof\r\n";
    return text;
}

Grid grid{512};
std::string documentPath;
std::size_t documentBytes = 0;

void reportTriangles(benchmark::State& state) {
    state.counters["triangles/s"] =
        benchmark::Counter(static_cast<double>(grid.triangles()), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["triangles"] = static_cast<double>(grid.triangles());
}

void BM_LoadModel(benchmark::State& state) {
    for (auto _ : state) {
        MqoModel* model = mqoLoadModel(documentPath.c_str(), 0.015);
        if (!model) {
            state.SkipWithError("the document did not load");
            return;
        }
        state.PauseTiming();
        mqoFreeModels(model, 1);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * documentBytes));
    reportTriangles(state);
}

// Several loads: the first one also pays for faulting in fresh memory.
BENCHMARK(BM_LoadModel)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

void BM_BuildObjects(benchmark::State& state) {
    std::vector<MqoVec3> vertices;
    std::vector<MqoFace> faces;
    for (int r = 0; r <= grid.rows; ++r)
        for (int c = 0; c <= kColumns; ++c)
            vertices.push_back(gridVertex(r, c));
    for (int r = 0; r < grid.rows; ++r)
        for (int c = 0; c < kColumns; ++c)
            faces.push_back(gridQuad(r, c));
    MqoObjectData objects[kObjects] = {};
    for (MqoObjectData& object : objects) {
        object.visible = 15;
        object.shading = 1;
        object.facet = 59.5f;
        object.vertexCount = grid.vertexCount();
        object.vertices = vertices.data();
        object.faceCount = grid.quadCount();
        object.faces = faces.data();
    }
    MqoMaterial materials[kMaterials] = {};
    for (MqoMaterial& material : materials)
        material.diffuse[3] = 1.0f;

    for (auto _ : state) {
        MqoModel* model = mqoAllocModels(1);
        mqoBuildObjects(model, objects, kObjects, materials, kMaterials, 0.015);
        state.PauseTiming();
        mqoFreeModels(model, 1);
        state.ResumeTiming();
    }
    reportTriangles(state);
}
BENCHMARK(BM_BuildObjects)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--triangles=", 12) == 0) {
            const long long triangles = std::atoll(argv[i] + 12);
            grid.rows = static_cast<int>(std::max(1LL, triangles / (2LL * kColumns * kObjects)));
        }
    }
    benchmark::Initialize(&argc, argv);
    if (!headlessGlOpen(64, 64)) {
        std::fprintf(stderr, "no OpenGL context\n");
        return 1;
    }
    mqoStartLoader();

    const std::string text = documentText(grid);
    documentPath = (std::filesystem::temp_directory_path() / "petalrain-loader-bench.mqo").string();
    std::FILE* file = std::fopen(documentPath.c_str(), "wb");
    if (!file || std::fwrite(text.data(), 1, text.size(), file) != text.size()) {
        std::fprintf(stderr, "cannot write %s\n", documentPath.c_str());
        return 1;
    }
    std::fclose(file);
    documentBytes = text.size();
    std::printf("document: %lld triangles, %.1f MB, buffers %s\n", grid.triangles(), documentBytes / 1e6,
                mqoLoaderState.buffersSupported ? "on" : "off");

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(documentPath.c_str());
    headlessGlClose();
    return 0;
}
