#include "HostOptions.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

const char hostUsage[] =
    "usage: petalrain [--root | --window-id ID | --window [--fullscreen] [--visual NAME]\n"
    "                  | --wayland [--output NAME] [--on-battery run|pause]]\n"
    "                 [--saver | --idle SECONDS]\n"
    "                 [--count N] [--size PERCENT] [--delay MICROSECONDS] [--fps | --no-fps]\n"
    "                 [--renderer raster|sprite|instanced|fixed] [--seed N] [--frames N [--hold]]\n"
    "  --root            draw on $XSCREENSAVER_WINDOW, or on the root window\n"
    "  --window-id ID    draw into the window ID (decimal or 0x-hexadecimal)\n"
    "  --window          a 1280x720 window of its own (the default; Esc or q ends it)\n"
    "  --fullscreen      a window of its own over the whole screen\n"
    "  --visual NAME     its own window's visual: best (default), default, or a visual id\n"
    "  --wayland         the desktop background of every output, on a layer-shell compositor\n"
    "  --output NAME     only the output NAME (Wayland; also $SWAYLOCK_PLUGIN_OUTPUT_NAME)\n"
    "  --on-battery WHAT the background on battery: pause (default) or run\n"
    "  --saver           a screen saver over every output, ended by a key, a click, a touch\n"
    "                    or a clear move of the pointer (exit 0)\n"
    "  --idle SECONDS    keep running: show the saver after SECONDS without input\n"
    "  --count N         number of flowers, 1 to 10000 (default 7500)\n"
    "  --size PERCENT    flower size, 10 to 300 (default 100)\n"
    "  --delay MICROSECONDS  time between frames (default 15625: 64 frames a second)\n"
    "  --seed N          the same flowers every run (default: from the clock)\n"
    "  --frames N        stop after N frames (default: run until stopped)\n"
    "  --hold            after --frames, keep showing the last frame until stopped\n"
    "  --fps             show the frame rate and the load in the bottom left\n"
    "  --renderer NAME   raster, sprite, instanced or fixed (default: raster where OpenGL is\n"
    "                    software, else the first of the others that OpenGL allows)\n"
    "  --install, --mono accepted, as for every XScreenSaver hack; nothing changes\n"
    "Options take one dash or two.\n";

namespace {

bool parseNumber(const char* text, int base, long long& value) {
    if (!*text || std::isspace(static_cast<unsigned char>(*text)))
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text, &end, base);
    return errno == 0 && *end == '\0';
}

// A whole-number option. Settings out of range are clamped with a warning, as a settings
// dialog would; the others are refused.
struct NumberOption {
    const char* name;
    long long low;
    long long high;
    bool clamps;
    long long value;
    bool given;
};

bool setNumber(NumberOption& option, const char* text, std::string& warnings, std::string& error) {
    long long value = 0;
    if (!parseNumber(text, 10, value) || (!option.clamps && (value < option.low || value > option.high))) {
        error = "--" + std::string(option.name) + " takes a whole number from " + std::to_string(option.low) + " to " +
                std::to_string(option.high) + ", not \"" + text + "\"";
        return false;
    }
    option.value = value < option.low ? option.low : value > option.high ? option.high : value;
    option.given = true;
    if (option.value != value)
        warnings += "petalrain: --" + std::string(option.name) + " " + std::to_string(value) + " is out of range " +
                    std::to_string(option.low) + " to " + std::to_string(option.high) + "; using " +
                    std::to_string(option.value) + "\n";
    return true;
}

}  // namespace

bool parseXId(const char* text, unsigned long& id) {
    const bool hexadecimal = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    long long value = 0;
    if (!parseNumber(hexadecimal ? text + 2 : text, hexadecimal ? 16 : 10, value) || value <= 0 || value > 0xFFFFFFFFLL)
        return false;
    id = static_cast<unsigned long>(value);
    return true;
}

namespace {

// Options without a value. -install and -mono are XScreenSaver's own: accepted, with
// nothing to do (a window of its own has its own colormap; the flowers stay in colour).
bool setSwitch(const std::string& name, HostOptions& options) {
    if (name == "help" || name == "h")
        options.help = true;
    else if (name == "root")
        options.target = HostTarget::Root;
    else if (name == "window")
        options.target = HostTarget::OwnWindow;
    else if (name == "wayland")
        options.target = HostTarget::Wayland;
    else if (name == "hold")
        options.hold = true;
    else if (name == "fullscreen")
        options.fullscreen = true;
    else if (name == "fps")
        options.fps = true;
    else if (name == "no-fps")
        options.fps = false;
    else if (name == "saver")
        options.saver = true;
    else
        return name == "install" || name == "noinstall" || name == "mono";
    return true;
}

bool setVisual(const char* value, HostOptions& options) {
    const std::string name = value;
    if (name == "best")
        options.visual = HostVisual::Best;
    else if (name == "default")
        options.visual = HostVisual::Default;
    else if (parseXId(value, options.visualId))
        options.visual = HostVisual::Id;
    else
        return false;
    return true;
}

// Options with a value other than a number.
bool setNamed(const std::string& name, const char* value, HostOptions& options, std::string& error) {
    if (name == "window-id" && parseXId(value, options.windowId)) {
        options.target = HostTarget::WindowId;
        return true;
    }
    if (name == "output" && *value) {
        options.output = value;
        return true;
    }
    if (name == "on-battery" && (!std::strcmp(value, "run") || !std::strcmp(value, "pause"))) {
        options.runOnBattery = !std::strcmp(value, "run");
        return true;
    }
    if ((name == "renderer" && sceneRendererFromName(value, options.renderer)) ||
        (name == "visual" && setVisual(value, options)))
        return true;
    const char* wanted = name == "window-id"    ? "a window id in decimal or 0x-hexadecimal"
                         : name == "renderer"   ? "raster, sprite, instanced or fixed"
                         : name == "on-battery" ? "run or pause"
                         : name == "output"     ? "an output name"
                                                : "default, best or a visual id";
    error = "--" + name + " takes " + wanted + ", not \"" + value + "\"";
    return false;
}

}  // namespace

bool parseHostOptions(int argc, char** argv, HostOptions& options, std::string& warnings, std::string& error) {
    NumberOption numbers[] = {
        {"count", flowerCountLimits.lowest, flowerCountLimits.highest, true, options.count, false},
        {"size", flowerSizeLimits.lowest, flowerSizeLimits.highest, true, options.size, false},
        {"delay", 0, 10000000, true, options.delayMicroseconds, false},
        {"seed", 0, UINT32_MAX, false, 0, false},
        {"frames", 1, 1000000000, false, options.frames, false},
        {"idle", 1, 86400, false, options.idleSeconds, false},
    };
    const char* const named[] = {"window-id", "renderer", "visual", "output", "on-battery"};
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (argument[0] != '-') {
            error = std::string("unexpected argument \"") + argument + "\"";
            return false;
        }
        const std::string name = argument + (argument[1] == '-' ? 2 : 1);
        if (setSwitch(name, options))
            continue;
        NumberOption* number = std::find_if(std::begin(numbers), std::end(numbers),
                                            [&](const NumberOption& option) { return name == option.name; });
        const bool isNamed = std::find(std::begin(named), std::end(named), name) != std::end(named);
        if (number == std::end(numbers) && !isNamed) {
            error = std::string("unknown option ") + argument;
            return false;
        }
        if (i + 1 >= argc) {
            error = std::string(argument) + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        if (isNamed ? !setNamed(name, value, options, error) : !setNumber(*number, value, warnings, error))
            return false;
    }
    options.count = static_cast<int>(numbers[0].value);
    options.size = static_cast<int>(numbers[1].value);
    options.delayMicroseconds = static_cast<long>(numbers[2].value);
    options.seeded = numbers[3].given;
    options.seed = static_cast<uint32_t>(numbers[3].value);
    options.frames = static_cast<long>(numbers[4].value);
    options.idleSeconds = static_cast<long>(numbers[5].value);
    options.saver = options.saver || options.idleSeconds > 0;
    return true;
}

HostEnvironment hostEnvironment() {
    return {std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), std::getenv("WAYLAND_SOCKET"),
            std::getenv("XSCREENSAVER_WINDOW"), std::getenv("SWAYLOCK_PLUGIN_OUTPUT_NAME")};
}

bool settleHostTarget(HostOptions& options, const HostEnvironment& environment, std::string& error) {
    const auto set = [](const char* value) { return value && *value; };
    if (options.target == HostTarget::Automatic) {
        const bool waylandSession =
            set(environment.waylandSocket) || (!set(environment.display) && set(environment.waylandDisplay));
        const bool wayland = !options.output.empty() || (waylandSession && !set(environment.xscreensaverWindow));
        options.target = wayland ? HostTarget::Wayland : HostTarget::OwnWindow;
    }
    if (options.saver && (options.target == HostTarget::Root || options.target == HostTarget::WindowId)) {
        error = "--saver and --idle show a window of their own, not with --root or --window-id";
        return false;
    }
    if (options.target != HostTarget::Wayland) {
        if (!options.output.empty()) {
            error = "--output is for the Wayland mode (--wayland)";
            return false;
        }
        return true;
    }
    if (options.output.empty() && set(environment.pluginOutputName))
        options.output = environment.pluginOutputName;
    return true;
}
