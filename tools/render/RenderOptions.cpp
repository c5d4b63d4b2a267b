#include "RenderOptions.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

const char renderUsage[] =
    "usage: petalrain-render [--width N] [--height N] [--flowers N] [--size PERCENT]\n"
    "                        [--frames N] [--save F1,F2,... | --save-every K] [--seed N] [--out DIR]\n"
    "                        [--renderer raster|sprite|instanced|fixed]\n"
    "  defaults: 1920x1080, 7500 flowers, size 100, 120 frames, the last frame saved,\n"
    "            seed from the clock, pictures in out/frames, the fastest path the model and context allow\n";

namespace {

bool parseInteger(const char* text, long long low, long long high, long long& value) {
    if (!*text)
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text, &end, 10);
    return errno == 0 && *end == '\0' && value >= low && value <= high;
}

bool parseFrameList(const char* text, std::vector<int>& frames) {
    std::string list = text;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = std::min(list.find(',', start), list.size());
        long long frame = 0;
        if (!parseInteger(list.substr(start, comma - start).c_str(), 1, 1000000, frame))
            return false;
        frames.push_back(static_cast<int>(frame));
        start = comma + 1;
    }
    return true;
}

}  // namespace

bool parseRenderOptions(int argc, char** argv, RenderOptions& options, std::string& error) {
    struct IntegerOption {
        const char* name;
        long long low;
        long long high;
        int* target;
    };
    const IntegerOption integers[] = {
        {"--width", 1, 16384, &options.width},     {"--height", 1, 16384, &options.height},
        {"--flowers", 0, 32767, &options.flowers}, {"--size", -32768, 32767, &options.size},
        {"--frames", 1, 1000000, &options.frames}, {"--save-every", 1, 1000000, &options.saveEvery},
    };
    for (int i = 1; i < argc; ++i) {
        const char* name = argv[i];
        if (!std::strcmp(name, "--help") || !std::strcmp(name, "-h")) {
            error.clear();
            return false;
        }
        if (i + 1 >= argc) {
            error = std::string(name) + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        const IntegerOption* integer = std::find_if(std::begin(integers), std::end(integers),
                                                    [&](const IntegerOption& o) { return !std::strcmp(o.name, name); });
        long long number = 0;
        if (integer != std::end(integers)) {
            if (!parseInteger(value, integer->low, integer->high, number)) {
                error = std::string(name) + " takes a whole number from " + std::to_string(integer->low) + " to " +
                        std::to_string(integer->high) + ", not \"" + value + "\"";
                return false;
            }
            *integer->target = static_cast<int>(number);
        } else if (!std::strcmp(name, "--save")) {
            if (!parseFrameList(value, options.saveFrames)) {
                error = std::string("--save takes frame numbers from 1 separated by commas, not \"") + value + "\"";
                return false;
            }
        } else if (!std::strcmp(name, "--seed")) {
            if (!parseInteger(value, 0, UINT32_MAX, number)) {
                error = std::string("--seed takes a whole number from 0 to 4294967295, not \"") + value + "\"";
                return false;
            }
            options.seeded = true;
            options.seed = static_cast<uint32_t>(number);
        } else if (!std::strcmp(name, "--renderer")) {
            if (!sceneRendererFromName(value, options.renderer)) {
                error = std::string("--renderer takes raster, sprite, instanced or fixed, not \"") + value + "\"";
                return false;
            }
        } else if (!std::strcmp(name, "--out")) {
            if (!*value) {
                error = "--out needs a folder";
                return false;
            }
            options.outDir = value;
        } else {
            error = std::string("unknown option ") + name;
            return false;
        }
    }
    if (options.saveEvery > 0 && !options.saveFrames.empty()) {
        error = "--save and --save-every exclude each other";
        return false;
    }
    return true;
}

bool shouldSaveFrame(const RenderOptions& options, int frame) {
    if (options.saveEvery > 0)
        return frame % options.saveEvery == 0;
    if (options.saveFrames.empty())
        return frame == options.frames;
    return std::find(options.saveFrames.begin(), options.saveFrames.end(), frame) != options.saveFrames.end();
}
