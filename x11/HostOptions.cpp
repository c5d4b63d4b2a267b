#include "HostOptions.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>

const char hostUsage[] =
    "usage: petalrain [--root | --window-id ID | --fullscreen] [--count N] [--size PERCENT]\n"
    "                 [--delay MICROSECONDS] [--seed N] [--frames N]\n"
    "  --root            draw on $XSCREENSAVER_WINDOW, or on the root window\n"
    "  --window-id ID    draw into the window ID (decimal or 0x-hexadecimal)\n"
    "  --fullscreen      a window of its own over the whole screen\n"
    "                    (without these, a 1280x720 window; Esc or q ends it)\n"
    "  --count N         number of flowers, 1 to 10000 (default 7500)\n"
    "  --size PERCENT    flower size, 10 to 300 (default 100)\n"
    "  --delay MICROSECONDS  time between frames (default 15625: 64 frames a second)\n"
    "  --seed N          the same flowers every run (default: from the clock)\n"
    "  --frames N        stop after N frames (default: run until stopped)\n"
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

bool parseWindowId(const char* text, unsigned long& id) {
    const bool hexadecimal = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    long long value = 0;
    if (!parseNumber(hexadecimal ? text + 2 : text, hexadecimal ? 16 : 10, value) || value <= 0 || value > 0xFFFFFFFFLL)
        return false;
    id = static_cast<unsigned long>(value);
    return true;
}

bool parseHostOptions(int argc, char** argv, HostOptions& options, std::string& warnings, std::string& error) {
    NumberOption numbers[] = {
        {"count", 1, 10000, true, options.count, false},
        {"size", 10, 300, true, options.size, false},
        {"delay", 0, 10000000, true, options.delayMicroseconds, false},
        {"seed", 0, UINT32_MAX, false, 0, false},
        {"frames", 1, 1000000000, false, options.frames, false},
    };
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (argument[0] != '-') {
            error = std::string("unexpected argument \"") + argument + "\"";
            return false;
        }
        const std::string name = argument + (argument[1] == '-' ? 2 : 1);
        if (name == "help" || name == "h") {
            options.help = true;
            continue;
        }
        if (name == "root") {
            options.target = HostTarget::Root;
            continue;
        }
        if (name == "fullscreen") {
            options.fullscreen = true;
            continue;
        }
        NumberOption* number = std::find_if(std::begin(numbers), std::end(numbers),
                                            [&](const NumberOption& option) { return name == option.name; });
        if (number == std::end(numbers))
            number = nullptr;
        if (!number && name != "window-id") {
            error = std::string("unknown option ") + argument;
            return false;
        }
        if (i + 1 >= argc) {
            error = std::string(argument) + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        if (number) {
            if (!setNumber(*number, value, warnings, error))
                return false;
        } else if (parseWindowId(value, options.windowId)) {
            options.target = HostTarget::WindowId;
        } else {
            error = std::string("--window-id takes a window id in decimal or 0x-hexadecimal, not \"") + value + "\"";
            return false;
        }
    }
    options.count = static_cast<int>(numbers[0].value);
    options.size = static_cast<int>(numbers[1].value);
    options.delayMicroseconds = static_cast<long>(numbers[2].value);
    options.seeded = numbers[3].given;
    options.seed = static_cast<uint32_t>(numbers[3].value);
    options.frames = static_cast<long>(numbers[4].value);
    return true;
}
