// Frame cost of the scene's two frame paths, fixed-function against instanced, on Mesa's
// llvmpipe and again under GALLIUM_NOOP=1, which does all of the API's work but renders
// nothing: a stand-in for the CPU side of a machine with a GPU. The 1x1 target leaves
// almost no pixels to fill, so it shows the CPU's share on llvmpipe too.
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "FlowerScene.h"
#include "HeadlessGl.h"
#include "SceneStart.h"

namespace {

constexpr uint32_t benchSeed = 20240401u;

struct Target {
    int width;
    int height;
    SceneRenderer renderer;
};

void frames(benchmark::State& state, Target target) {
    const auto flowers = static_cast<int16_t>(state.range(0));
    if (!headlessGlOpen(target.width, target.height) ||
        !sceneStart({target.width, target.height, flowers, 100, true, benchSeed, target.renderer}) ||
        sceneActiveRenderer() != target.renderer) {
        state.SkipWithError("no OpenGL context, no flower model, or not this frame path");
        sceneRelease();
        headlessGlClose();
        return;
    }
    for (auto _ : state) {
        sceneRenderFrame();
        glFinish();
    }
    sceneRelease();
    headlessGlClose();
}

void flowerCounts(benchmark::internal::Benchmark* bench) {
    bench->Arg(1000)->Arg(7500)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->MinTime(1.0);
}

BENCHMARK_CAPTURE(frames, fixed/1920x1080, Target{1920, 1080, SceneRenderer::Fixed})->Apply(flowerCounts);
BENCHMARK_CAPTURE(frames, instanced/1920x1080, Target{1920, 1080, SceneRenderer::Instanced})->Apply(flowerCounts);
BENCHMARK_CAPTURE(frames, fixed/1x1, Target{1, 1, SceneRenderer::Fixed})->Apply(flowerCounts);
BENCHMARK_CAPTURE(frames, instanced/1x1, Target{1, 1, SceneRenderer::Instanced})->Apply(flowerCounts);

// Keeps each run's time per frame so that the two paths can be set side by side at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration)
                times.push_back({run.benchmark_name(), run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()});
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatios(const char* driver) const {
        std::printf("\n%s: instanced / fixed per frame (wall time; CPU time of all threads)\n", driver);
        const std::string prefix = "frames/fixed/";
        for (const Times& fixed : times) {
            if (fixed.name.rfind(prefix, 0) != 0 || fixed.wall <= 0.0 || fixed.cpu <= 0.0)
                continue;
            const std::string rest = fixed.name.substr(prefix.size());
            const auto instanced = std::find_if(times.begin(), times.end(), [&](const Times& t) {
                return t.name == "frames/instanced/" + rest;
            });
            if (instanced == times.end())
                continue;
            const std::string shown = rest.substr(0, rest.find("/min_time"));
            std::printf("  %-16s wall %9.3f / %9.3f ms = %.3f (1/%.1f)   CPU %9.3f / %9.3f ms = %.3f (1/%.1f)\n",
                        shown.c_str(), instanced->wall, fixed.wall, instanced->wall / fixed.wall,
                        fixed.wall / instanced->wall, instanced->cpu, fixed.cpu, instanced->cpu / fixed.cpu,
                        fixed.cpu / instanced->cpu);
        }
    }

private:
    struct Times {
        std::string name;
        double wall;
        double cpu;
    };
    std::vector<Times> times;
};

int runAll(int argc, char** argv, const char* driver) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::printf("== %s\n", driver);
    std::fflush(stdout);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios(driver);
    benchmark::Shutdown();
    return 0;
}

}  // namespace

// Mesa reads GALLIUM_NOOP once, when the driver loads: the no-op run is a child process
// that sets it before any OpenGL call, then the parent runs on llvmpipe.
int main(int argc, char** argv) {
    if (std::getenv("GALLIUM_NOOP"))
        return runAll(argc, argv, "GALLIUM_NOOP=1");
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        setenv("GALLIUM_NOOP", "1", 1);
        std::exit(runAll(argc, argv, "GALLIUM_NOOP=1"));
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "frame_bench: the GALLIUM_NOOP=1 run failed\n");
    std::printf("\n");
    return runAll(argc, argv, "llvmpipe");
}
