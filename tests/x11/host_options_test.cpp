// Options as XScreenSaver, a settings dialog and a shell pass them.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "HostOptions.h"

namespace {

struct Parsed {
    bool ok;
    HostOptions options;
    std::string warnings;
    std::string error;
};

Parsed parse(std::initializer_list<const char*> words) {
    std::vector<std::string> storage{"petalrain"};
    storage.insert(storage.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (std::string& word : storage)
        argv.push_back(word.data());
    Parsed parsed;
    parsed.ok =
        parseHostOptions(static_cast<int>(argv.size()), argv.data(), parsed.options, parsed.warnings, parsed.error);
    return parsed;
}

}  // namespace

TEST(HostOptions, OneDashOrTwoBothIdFormsAndClampedSettings) {
    const Parsed daemon = parse({"-root", "-count", "300", "--size", "250", "-delay", "0", "--seed", "4294967295"});
    ASSERT_TRUE(daemon.ok) << daemon.error;
    EXPECT_EQ(daemon.options.target, HostTarget::Root);
    EXPECT_EQ(daemon.options.count, 300);
    EXPECT_EQ(daemon.options.size, 250);
    EXPECT_EQ(daemon.options.delayMicroseconds, 0);
    EXPECT_EQ(daemon.options.seed, 4294967295u);
    EXPECT_TRUE(daemon.warnings.empty());
    EXPECT_EQ(parse({"--window-id", "0x2a00007"}).options.windowId, 0x2a00007ul);
    EXPECT_EQ(parse({"-window-id", "44040199"}).options.windowId, 44040199ul);

    const Parsed clamped = parse({"--count", "20000", "--size", "-5"});
    ASSERT_TRUE(clamped.ok);
    EXPECT_EQ(clamped.options.count, 10000);
    EXPECT_EQ(clamped.options.size, 10);
    EXPECT_NE(clamped.warnings.find("--count 20000"), std::string::npos) << clamped.warnings;
    EXPECT_NE(clamped.warnings.find("--size -5"), std::string::npos);
}

TEST(HostOptions, XScreenSaverStandardOptionsRendererAndFrameRate) {
    const Parsed standard =
        parse({"-window", "-install", "-noinstall", "-mono", "-visual", "0x21", "-fps", "--renderer", "fixed"});
    ASSERT_TRUE(standard.ok) << standard.error;
    EXPECT_EQ(standard.options.target, HostTarget::OwnWindow);
    EXPECT_EQ(standard.options.visual, HostVisual::Id);
    EXPECT_EQ(standard.options.visualId, 0x21ul);
    EXPECT_TRUE(standard.options.fps);
    EXPECT_EQ(standard.options.renderer, SceneRenderer::Fixed);
    EXPECT_FALSE(parse({"--fps", "--no-fps"}).options.fps);
    EXPECT_EQ(parse({"--visual", "default"}).options.visual, HostVisual::Default);
    EXPECT_EQ(parse({"--root", "-window"}).options.target, HostTarget::OwnWindow);
    EXPECT_EQ(parse({"-renderer", "instanced"}).options.renderer, SceneRenderer::Instanced);
    EXPECT_EQ(parse({"-renderer", "sprite"}).options.renderer, SceneRenderer::Sprite);
}

TEST(HostOptions, WaylandOutputAndHold) {
    const Parsed wayland = parse({"--wayland", "-output", "DP-1", "--frames", "5", "-hold"});
    ASSERT_TRUE(wayland.ok) << wayland.error;
    EXPECT_EQ(wayland.options.target, HostTarget::Wayland);
    EXPECT_EQ(wayland.options.output, "DP-1");
    EXPECT_EQ(wayland.options.frames, 5);
    EXPECT_TRUE(wayland.options.hold);
}

// Which window system a run gets, from its options and its session's environment.
TEST(HostOptions, TheEnvironmentPicksTheWindowSystemWhenNoOptionDoes) {
    struct Case {
        std::initializer_list<const char*> words;
        HostEnvironment environment;  // DISPLAY, WAYLAND_DISPLAY, WAYLAND_SOCKET, XSCREENSAVER_WINDOW, plugin output
        HostTarget target;
        const char* output;
    };
    const Case cases[] = {
        {{}, {":0", nullptr, nullptr, nullptr, nullptr}, HostTarget::OwnWindow, ""},
        {{}, {":0", "wayland-1", nullptr, nullptr, nullptr}, HostTarget::OwnWindow, ""},
        {{}, {nullptr, "wayland-1", nullptr, nullptr, nullptr}, HostTarget::Wayland, ""},
        {{}, {"", "wayland-1", nullptr, nullptr, nullptr}, HostTarget::Wayland, ""},
        {{}, {":0", nullptr, "5", nullptr, "HDMI-A-1"}, HostTarget::Wayland, "HDMI-A-1"},
        {{}, {nullptr, "wayland-1", nullptr, "0x2a00007", nullptr}, HostTarget::OwnWindow, ""},
        {{"--output", "DP-2"}, {":0", nullptr, "5", nullptr, "HDMI-A-1"}, HostTarget::Wayland, "DP-2"},
        {{"--output", "DP-2"}, {":0", nullptr, nullptr, nullptr, nullptr}, HostTarget::Wayland, "DP-2"},
        {{"--root"}, {nullptr, "wayland-1", "5", nullptr, "HDMI-A-1"}, HostTarget::Root, ""},
        {{"--window"}, {nullptr, "wayland-1", nullptr, nullptr, nullptr}, HostTarget::OwnWindow, ""},
        {{"--wayland"}, {":0", nullptr, nullptr, nullptr, nullptr}, HostTarget::Wayland, ""},
    };
    for (const Case& c : cases) {
        Parsed parsed = parse(c.words);
        ASSERT_TRUE(parsed.ok);
        EXPECT_TRUE(settleHostTarget(parsed.options, c.environment, parsed.error)) << parsed.error;
        EXPECT_EQ(parsed.options.target, c.target) << "case " << &c - cases;
        EXPECT_EQ(parsed.options.output, c.output) << "case " << &c - cases;
    }
    Parsed x11 = parse({"--window-id", "0x2a00007", "--output", "DP-1"});
    EXPECT_FALSE(settleHostTarget(x11.options, {":0", nullptr, nullptr, nullptr, nullptr}, x11.error));
    EXPECT_NE(x11.error.find("--output"), std::string::npos);
}

TEST(HostOptions, BadOptionsAndValuesAreRefused) {
    for (auto words : {std::initializer_list<const char*>{"--bogus"},
                       {"--count"},
                       {"--count", "many"},
                       {"--count", "12x"},
                       {"--count", " 5"},
                       {"--size", "99999999999999999999"},
                       {"--window-id", "0"},
                       {"--window-id", "-5"},
                       {"--window-id", "0x"},
                       {"--window-id", "0x1ffffffff"},
                       {"--seed", "-1"},
                       {"--frames", "0"},
                       {"--renderer", "gpu"},
                       {"--renderer"},
                       {"--visual", "0"},
                       {"--visual", "TrueColor"},
                       {"--output"},
                       {"--output", ""},
                       {"--hold", "1"},
                       {"--wayland", "yes"},
                       {"--fps", "1"},
                       {"stray"}}) {
        const Parsed parsed = parse(words);
        EXPECT_FALSE(parsed.ok) << *words.begin() << " " << (words.size() > 1 ? *(words.begin() + 1) : "");
        EXPECT_FALSE(parsed.error.empty());
    }
}
