// Frame cost of the scene's frame paths, sprite and instanced against fixed-function, on
// Mesa's llvmpipe and again under GALLIUM_NOOP=1, which does all of the API's work but
// renders nothing: a stand-in for the CPU side of a machine with a GPU. The sprite path's
// OpenGL 1.1 form runs on llvmpipe made to look like Microsoft's software OpenGL 1.1. The
// 1x1 target leaves almost no pixels to fill, so it shows the CPU's share on llvmpipe too.
// The raster path composes on the CPU without OpenGL, on one core and on all of them.
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
    const char* threads = "0";  // the raster path's: "1", or "0" for one a core
};

void composed(benchmark::State& state, Target target) {
    const auto flowers = static_cast<int16_t>(state.range(0));
    setenv("PETALRAIN_RASTER_THREADS", target.threads, 1);
    std::vector<uint32_t> pixels(static_cast<size_t>(target.width) * target.height);
    if (!sceneStart({target.width, target.height, flowers, 100, true, benchSeed, target.renderer}) ||
        sceneActiveRenderer() != target.renderer) {
        state.SkipWithError("no flower model, or not this frame path");
        sceneRelease();
        return;
    }
    state.SetLabel(std::string(sceneActivePathName()) +
                   (target.threads[0] == '1' ? ", one thread" : ", a thread a core"));
    for (auto _ : state) {
        sceneAdvance();
        sceneComposePart(0, 0, target.width, target.height, pixels.data(), target.width);
    }
    sceneRelease();
}

void frames(benchmark::State& state, Target target) {
    if (target.renderer == SceneRenderer::Raster) {
        composed(state, target);
        return;
    }
    const auto flowers = static_cast<int16_t>(state.range(0));
    if (!headlessGlOpen(target.width, target.height) ||
        !sceneStart({target.width, target.height, flowers, 100, true, benchSeed, target.renderer}) ||
        sceneActiveRenderer() != target.renderer) {
        state.SkipWithError("no OpenGL context, no flower model, or not this frame path");
        sceneRelease();
        headlessGlClose();
        return;
    }
    state.SetLabel(sceneActivePathName());
    for (auto _ : state) {
        sceneRenderFrame();
        glFinish();
    }
    sceneRelease();
    headlessGlClose();
}

void flowerCounts(benchmark::internal::Benchmark* bench) {
    bench->Arg(1000)
        ->Arg(7500)
        ->Arg(10000)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MeasureProcessCPUTime()
        ->MinTime(1.0);
}

// The case names are text, "/" and all.
// clang-format off
BENCHMARK_CAPTURE(frames, fixed/1920x1080, Target{1920, 1080, SceneRenderer::Fixed})->Apply(flowerCounts);
BENCHMARK_CAPTURE(frames, instanced/1920x1080, Target{1920, 1080, SceneRenderer::Instanced})->Apply(flowerCounts);
BENCHMARK_CAPTURE(frames, sprite/1920x1080, Target{1920, 1080, SceneRenderer::Sprite})->Apply(flowerCounts);
BENCHMARK_CAPTURE(frames, fixed/1x1, Target{1, 1, SceneRenderer::Fixed})->Apply(flowerCounts);
BENCHMARK_CAPTURE(frames, instanced/1x1, Target{1, 1, SceneRenderer::Instanced})->Apply(flowerCounts);
BENCHMARK_CAPTURE(frames, sprite/1x1, Target{1, 1, SceneRenderer::Sprite})->Apply(flowerCounts);
BENCHMARK_CAPTURE(frames, raster/1920x1080, Target{1920, 1080, SceneRenderer::Raster, "0"})->Apply(flowerCounts);
BENCHMARK_CAPTURE(frames, raster1/1920x1080, Target{1920, 1080, SceneRenderer::Raster, "1"})->Apply(flowerCounts);
BENCHMARK_CAPTURE(frames, raster/3840x2160, Target{3840, 2160, SceneRenderer::Raster, "0"})->Arg(7500)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->MinTime(1.0);
BENCHMARK_CAPTURE(frames, raster1/3840x2160, Target{3840, 2160, SceneRenderer::Raster, "1"})->Arg(7500)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->MinTime(1.0);
BENCHMARK_CAPTURE(frames, sprite/3840x2160, Target{3840, 2160, SceneRenderer::Sprite})->Arg(7500)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->MinTime(1.0);
BENCHMARK_CAPTURE(frames, raster/400x300, Target{400, 300, SceneRenderer::Raster, "0"})->Arg(7500)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->MinTime(1.0);
BENCHMARK_CAPTURE(frames, raster1/400x300, Target{400, 300, SceneRenderer::Raster, "1"})->Arg(7500)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->MinTime(1.0);
// clang-format on

struct Times {
    std::string name;  // "frames/PATH/TARGET/FLOWERS"
    double wall;
    double cpu;
};

// Keeps each run's time per frame so that the paths can be set side by side at the end.
class KeepingReporter : public benchmark::ConsoleReporter {
public:
    explicit KeepingReporter(std::vector<Times>& kept) : kept(kept) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration) {
                const std::string name = run.benchmark_name();
                kept.push_back(
                    {name.substr(0, name.find("/min_time")), run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()});
            }
        ConsoleReporter::ReportRuns(runs);
    }

private:
    std::vector<Times>& kept;
};

void printRatios(const char* title, const std::vector<Times>& times, const std::vector<Times>& baseTimes,
                 const char* path, const char* base) {
    std::printf("\n%s (wall time; CPU time of all threads)\n", title);
    const std::string prefix = std::string("frames/") + base + "/";
    for (const Times& reference : baseTimes) {
        if (reference.name.rfind(prefix, 0) != 0 || reference.wall <= 0.0 || reference.cpu <= 0.0)
            continue;
        const std::string rest = reference.name.substr(prefix.size());
        const auto found = std::find_if(times.begin(), times.end(), [&](const Times& t) {
            return t.name == std::string("frames/") + path + "/" + rest;
        });
        if (found == times.end())
            continue;
        std::printf("  %-16s wall %9.3f / %9.3f ms = %.3f (1/%.1f)   CPU %9.3f / %9.3f ms = %.3f (1/%.1f)\n",
                    rest.c_str(), found->wall, reference.wall, found->wall / reference.wall,
                    reference.wall / found->wall, found->cpu, reference.cpu, found->cpu / reference.cpu,
                    reference.cpu / found->cpu);
    }
}

std::vector<Times> runAll(int argc, char** argv, const char* driver, const char* filter) {
    std::vector<char*> arguments(argv, argv + argc);
    std::string filterArgument = std::string("--benchmark_filter=") + (filter ? filter : "");
    if (filter)
        arguments.push_back(filterArgument.data());
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    std::vector<Times> times;
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data()))
        return times;
    std::printf("== %s\n", driver);
    std::fflush(stdout);
    KeepingReporter reporter(times);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return times;
}

// Mesa reads its environment once, when the driver loads: each driver's run is a child
// process that sets it before any OpenGL call and hands its times back through a pipe.
std::vector<Times> runInChild(int argc, char** argv, const char* driver, const char* filter,
                              std::initializer_list<std::pair<const char*, const char*>> environment) {
    std::fflush(stdout);
    int channel[2];
    if (pipe(channel) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        for (const auto& [name, value] : environment)
            setenv(name, value, 1);
        FILE* out = fdopen(channel[1], "w");
        for (const Times& t : runAll(argc, argv, driver, filter))
            std::fprintf(out, "%s %.17g %.17g\n", t.name.c_str(), t.wall, t.cpu);
        std::fclose(out);
        std::fflush(stdout);
        _exit(0);
    }
    close(channel[1]);
    std::vector<Times> times;
    FILE* in = fdopen(channel[0], "r");
    char name[200];
    double wall = 0;
    double cpu = 0;
    while (in && std::fscanf(in, "%199s %lf %lf", name, &wall, &cpu) == 3)
        times.push_back({name, wall, cpu});
    if (in)
        std::fclose(in);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "frame_bench: the %s run failed\n", driver);
    std::printf("\n");
    return times;
}

}  // namespace

int main(int argc, char** argv) {
    const char* gl11 = "llvmpipe as OpenGL 1.1 alone";
    // The raster path needs no driver: it runs once, beside llvmpipe.
    const std::vector<Times> noop =
        runInChild(argc, argv, "GALLIUM_NOOP=1", "frames/(fixed|instanced|sprite)/", {{"GALLIUM_NOOP", "1"}});
    const std::vector<Times> legacy = runInChild(
        argc, argv, gl11, "frames/sprite/", {{"MESA_GL_VERSION_OVERRIDE", "1.1"}, {"MESA_EXTENSION_MAX_YEAR", "1997"}});
    const std::vector<Times> llvmpipe = runInChild(argc, argv, "llvmpipe", nullptr, {});
    for (const auto& [driver, times] : {std::pair{"GALLIUM_NOOP=1", &noop}, std::pair{"llvmpipe", &llvmpipe}}) {
        printRatios((std::string(driver) + ": sprite / fixed per frame").c_str(), *times, *times, "sprite", "fixed");
        printRatios((std::string(driver) + ": instanced / fixed per frame").c_str(), *times, *times, "instanced",
                    "fixed");
    }
    printRatios("llvmpipe: the sprite path's OpenGL 1.1 form / its shader form per frame", legacy, llvmpipe, "sprite",
                "sprite");
    printRatios("the raster path on one core / the sprite path on llvmpipe per frame", llvmpipe, llvmpipe, "raster1",
                "sprite");
    printRatios("the raster path on every core / the sprite path on llvmpipe per frame", llvmpipe, llvmpipe, "raster",
                "sprite");
    return 0;
}
