// Command-line options of the Linux host. Every option takes one dash or two, as
// XScreenSaver's hacks do.
#pragma once

#include <cstdint>
#include <string>

#include "SceneRenderer.h"
#include "SettingsLimits.h"

enum class HostTarget {
    OwnWindow,  // a window of its own, titled "Petalrain"
    Root,       // $XSCREENSAVER_WINDOW, else the root window
    WindowId,   // the window named by --window-id
};

// The visual of a window of its own, as XScreenSaver's -visual names it.
enum class HostVisual {
    Best,     // the best OpenGL visual with a depth buffer (the default)
    Default,  // the screen's default visual
    Id,       // the visual visualId
};

struct HostOptions {
    HostTarget target = HostTarget::OwnWindow;
    unsigned long windowId = 0;
    bool fullscreen = false;
    int count = flowerCountLimits.defaultValue;
    int size = flowerSizeLimits.defaultValue;
    long delayMicroseconds = defaultFramePeriodMicroseconds;
    bool seeded = false;
    uint32_t seed = 0;
    long frames = 0;  // 0: until stopped
    SceneRenderer renderer = SceneRenderer::Automatic;
    bool fps = false;  // the frame-rate display
    HostVisual visual = HostVisual::Best;
    unsigned long visualId = 0;
    bool help = false;
};

// False with the reason in error when an option is unknown or a value is not a number.
// Values out of range are clamped, each with a line in warnings.
bool parseHostOptions(int argc, char** argv, HostOptions& options, std::string& warnings, std::string& error);

// A window or visual id in decimal or 0x-hexadecimal; false for anything else, zero included.
bool parseXId(const char* text, unsigned long& id);

extern const char hostUsage[];
