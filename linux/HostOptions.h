// Command-line options of the Linux host. Every option takes one dash or two, as
// XScreenSaver's hacks do.
#pragma once

#include <cstdint>
#include <string>

#include "SceneRenderer.h"
#include "SettingsLimits.h"

enum class HostTarget {
    Automatic,  // none named: settled from the environment by settleHostTarget
    OwnWindow,  // a window of its own, titled "Petalrain"
    Root,       // $XSCREENSAVER_WINDOW, else the root window
    WindowId,   // the window named by --window-id
    Wayland,    // the background layer of every output, or of --output's
};

// The visual of a window of its own, as XScreenSaver's -visual names it.
enum class HostVisual {
    Best,     // the best OpenGL visual with a depth buffer (the default)
    Default,  // the screen's default visual
    Id,       // the visual visualId
};

struct HostOptions {
    HostTarget target = HostTarget::Automatic;
    unsigned long windowId = 0;
    bool fullscreen = false;
    int count = flowerCountLimits.defaultValue;
    int size = flowerSizeLimits.defaultValue;
    long delayMicroseconds = defaultFramePeriodMicroseconds;
    bool seeded = false;
    uint32_t seed = 0;
    long frames = 0;    // 0: until stopped
    bool hold = false;  // after the frames, the last one stays until stopped
    SceneRenderer renderer = SceneRenderer::Automatic;
    bool fps = false;  // the frame-rate display
    HostVisual visual = HostVisual::Best;
    unsigned long visualId = 0;
    std::string output;         // Wayland: the one output to draw on; empty: all
    bool saver = false;         // a screen saver of its own: over everything, ended by input (exit 0)
    long idleSeconds = 0;       // >0: a saver daemon that shows the saver after this long idle
    bool runOnBattery = false;  // the background draws on battery too (--on-battery run)
    bool help = false;
};

// What the environment says about the session, as getenv gives it (null: unset).
struct HostEnvironment {
    const char* display;             // DISPLAY
    const char* waylandDisplay;      // WAYLAND_DISPLAY
    const char* waylandSocket;       // WAYLAND_SOCKET: a connection handed down, as lockers do
    const char* xscreensaverWindow;  // XSCREENSAVER_WINDOW
    const char* pluginOutputName;    // SWAYLOCK_PLUGIN_OUTPUT_NAME
};

HostEnvironment hostEnvironment();

// False with the reason in error when an option is unknown or a value is not a number.
// Values out of range are clamped, each with a line in warnings.
bool parseHostOptions(int argc, char** argv, HostOptions& options, std::string& warnings, std::string& error);

// Picks the window system when no option named one: Wayland for --output, or for a
// handed-down connection or a Wayland session without an X display unless a screen-saver
// daemon named its window; else a window of its own. The environment's output name applies
// when --output gave none. False, with the reason, for --output beside an X11 target.
bool settleHostTarget(HostOptions& options, const HostEnvironment& environment, std::string& error);

// A window or visual id in decimal or 0x-hexadecimal; false for anything else, zero included.
bool parseXId(const char* text, unsigned long& id);

extern const char hostUsage[];
