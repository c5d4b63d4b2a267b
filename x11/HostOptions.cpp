#include "HostOptions.h"

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

struct RangedOption {
    const char* name;
    long long low;
    long long high;
};

long long clampToRange(const RangedOption& option, long long value, std::string& warnings) {
    const long long clamped = value < option.low ? option.low : value > option.high ? option.high : value;
    if (clamped != value)
        warnings += "petalrain: --" + std::string(option.name) + " " + std::to_string(value) + " is out of range " +
                    std::to_string(option.low) + " to " + std::to_string(option.high) + "; using " +
                    std::to_string(clamped) + "\n";
    return clamped;
}

}  // namespace

bool parseWindowId(const char* text, unsigned long& id) {
    const bool hexadecimal = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    long long value = 0;
    if (!parseNumber(hexadecimal ? text + 2 : text, hexadecimal ? 16 : 10, value) || value <= 0 ||
        value > 0xFFFFFFFFLL)
        return false;
    id = static_cast<unsigned long>(value);
    return true;
}

bool parseHostOptions(int argc, char** argv, HostOptions& options, std::string& warnings, std::string& error) {
    const RangedOption count{"count", 1, 10000}, size{"size", 10, 300}, delay{"delay", 0, 10000000};
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (argument[0] != '-') {
            error = std::string("unexpected argument \"") + argument + "\"";
            return false;
        }
        std::string name = argument + (argument[1] == '-' ? 2 : 1);
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
        const bool known = name == "window-id" || name == "count" || name == "size" || name == "delay" ||
                           name == "seed" || name == "frames";
        if (!known) {
            error = std::string("unknown option ") + argument;
            return false;
        }
        if (i + 1 >= argc) {
            error = std::string(argument) + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        long long number = 0;
        if (name == "window-id") {
            if (!parseWindowId(value, options.windowId)) {
                error = std::string("--window-id takes a window id in decimal or 0x-hexadecimal, not \"") + value +
                        "\"";
                return false;
            }
            options.target = HostTarget::WindowId;
            continue;
        }
        if (!parseNumber(value, 10, number)) {
            error = "--" + name + " takes a whole number, not \"" + value + "\"";
            return false;
        }
        if (name == "count") {
            options.count = static_cast<int>(clampToRange(count, number, warnings));
        } else if (name == "size") {
            options.size = static_cast<int>(clampToRange(size, number, warnings));
        } else if (name == "delay") {
            options.delayMicroseconds = static_cast<long>(clampToRange(delay, number, warnings));
        } else if (name == "seed") {
            if (number < 0 || number > UINT32_MAX) {
                error = std::string("--seed takes a whole number from 0 to 4294967295, not \"") + value + "\"";
                return false;
            }
            options.seeded = true;
            options.seed = static_cast<uint32_t>(number);
        } else if (number < 1) {
            error = std::string("--frames takes a whole number from 1, not \"") + value + "\"";
            return false;
        } else {
            options.frames = static_cast<long>(number);
        }
    }
    return true;
}
