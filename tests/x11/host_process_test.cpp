// The Linux host as its hosts run it: a separate process drawing into X windows on a
// private Xvfb screen, ended by signals and keys.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <thread>

#include "FlowerScene.h"
#include "HeadlessGl.h"
#include "SceneStart.h"
#include "XProcessSupport.h"

namespace {

class HostProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        display = privateDisplay();
        ASSERT_NE(display, nullptr) << "Xvfb did not start";
        std::filesystem::create_directories(tempFolder);
    }

    void TearDown() override {
        std::filesystem::remove_all(tempFolder);
    }

    // Starts the host with a private temporary folder; its standard error goes to a file.
    pid_t start(std::vector<std::string> arguments, const char* screensaverWindow = nullptr) {
        std::vector<std::string> settings{"TMPDIR=" + tempFolder.string()};
        if (screensaverWindow)
            settings.push_back(std::string("XSCREENSAVER_WINDOW=") + screensaverWindow);
        return startHost(std::move(arguments), settings, errors);
    }

    std::string errorText() const {
        return fileText(errors);
    }

    Window createWindow(int width, int height, int x = 0) {
        Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), x, 0, width, height, 0, 0, 0);
        XMapWindow(display, window);
        XSync(display, False);
        return window;
    }

    // The daemon's way to end a hack: gone with exit code 0, no file left.
    void expectCleanStop(pid_t pid) {
        kill(pid, SIGTERM);
        EXPECT_EQ(exitCode(pid, patience), 0) << errorText();
        EXPECT_TRUE(std::filesystem::is_empty(tempFolder)) << "files left behind";
    }

    Display* display = nullptr;
    const std::filesystem::path tempFolder =
        std::filesystem::temp_directory_path() / ("petalrain_host_" + std::to_string(getpid()));
    const std::string errors = tempFolder.string() + ".stderr";
};

TEST_F(HostProcessTest, WindowIdDrawsFollowsResizeAndEndsOnSigterm) {
    const Window window = createWindow(320, 240);
    const pid_t host = start({"--window-id", std::to_string(window), "--count", "1500"});
    ASSERT_TRUE(waitForFlowers(display, window)) << errorText();
    EXPECT_TRUE(std::filesystem::is_empty(tempFolder)) << "the model file stays off the disk";
    XResizeWindow(display, window, 640, 240);
    XSync(display, False);
    EXPECT_TRUE(waitForFlowers(display, window, 560)) << "flowers reach the new right edge";
    expectCleanStop(host);

    EXPECT_EQ(exitCode(start({"--window-id", "0x7ffffff"}), patience), 1);
    EXPECT_NE(errorText().find("0x7ffffff"), std::string::npos) << "the message names the window";
}

TEST_F(HostProcessTest, TwoInstancesOneOnXscreensaverWindow) {
    const Window left = createWindow(200, 150);
    const Window right = createWindow(200, 150, 300);
    char hexadecimal[32];
    std::snprintf(hexadecimal, sizeof hexadecimal, "0x%lx", left);
    const pid_t first = start({"--window-id", hexadecimal, "--count", "800"});
    const pid_t second = start({"-root", "-count", "800"}, std::to_string(right).c_str());
    EXPECT_TRUE(waitForFlowers(display, left)) << errorText();
    EXPECT_TRUE(waitForFlowers(display, right)) << errorText();
    expectCleanStop(first);
    EXPECT_EQ(waitpid(second, nullptr, WNOHANG), 0) << "the other one goes on";
    expectCleanStop(second);
}

TEST_F(HostProcessTest, OwnWindowEndsOnEscape) {
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    const pid_t host = start({"--count", "500"});
    XEvent event{};
    ASSERT_TRUE(nextEvent(display, MapNotify, event)) << errorText();
    const Window window = event.xmap.window;
    char* title = nullptr;
    XFetchName(display, window, &title);
    EXPECT_STREQ(title, "Petalrain");
    XFree(title);
    ASSERT_TRUE(waitForFlowers(display, window));
    XEvent key{};
    key.xkey = {KeyPress, 0, True, display, window, DefaultRootWindow(display),           0,   CurrentTime,
                1,        1, 1,    1,       0,      XKeysymToKeycode(display, XK_Escape), True};
    XSendEvent(display, window, False, KeyPressMask, &key);
    XFlush(display);
    EXPECT_EQ(exitCode(host, patience), 0) << errorText();
}

constexpr uint32_t comparedSeed = 20261209;

// The host adds nothing to the scene's frames: after the same frames, the window shows
// what the scene draws headless for the same seed, size and path (the raster path's image
// or OpenGL). The frame-rate display shows text on its dark box in the bottom left and
// leaves the rest of every frame as it was.
TEST_F(HostProcessTest, FramesMatchTheHeadlessRendererWithAndWithoutTheFrameRate) {
    constexpr int width = 320, height = 180, frames = 5;
    const SceneStart scene{width, height, 2000, 150, true, comparedSeed, SceneRenderer::Automatic};
    const bool withGl = !sceneStartWithoutGl(scene);
    ASSERT_TRUE(!withGl || headlessGlOpen(width, height));
    sceneStart(scene);
    std::vector<uint8_t> rgba(width * height * 4);
    if (withGl) {
        for (int i = 0; i < frames; ++i)
            sceneRenderFrame();
        headlessGlReadPixels(rgba.data());
        headlessGlClose();
    } else {
        std::vector<uint32_t> composed(width * height);
        for (int i = 0; i < frames; ++i)
            sceneAdvance();
        sceneComposePart(0, 0, width, height, composed.data(), width);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint32_t pixel = composed[(height - 1 - y) * width + x];
                uint8_t* out = &rgba[(y * width + x) * 4];
                out[0] = pixel >> 16 & 255, out[1] = pixel >> 8 & 255, out[2] = pixel & 255;
            }
    }
    sceneRelease();

    for (const bool fps : {false, true}) {
        const Window window = createWindow(width, height);
        std::vector<std::string> options{"--window-id", std::to_string(window),
                                         "--seed",      std::to_string(comparedSeed),
                                         "--count",     "2000",
                                         "--size",      "150",
                                         "--frames",    std::to_string(frames)};
        if (fps)
            options.push_back("-fps");
        ASSERT_EQ(exitCode(start(options), patience), 0) << errorText();
        XImage* shown = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
        ASSERT_NE(shown, nullptr);
        EXPECT_TRUE(showsFlowers(display, window)) << "a picture worth comparing";
        const auto expectedAt = [&](int x, int y) {
            const uint8_t* drawn = &rgba[((height - 1 - y) * width + x) * 4];
            return static_cast<unsigned long>(drawn[0] << 16 | drawn[1] << 8 | drawn[2]);
        };
        // The box is found in the picture, as its width follows the text's (a slow machine's
        // "Load: 100.0%" is wider): the run of darkened pixels along its bottom row and left
        // column, from the bottom-left corner 4 pixels in.
        const auto darkened = [&](int x, int y) {
            const unsigned long pixel = XGetPixel(shown, x, y), expected = expectedAt(x, y);
            for (const int shift : {16, 8, 0})
                if ((pixel >> shift & 255) * 2 > (expected >> shift & 255) + 4)
                    return false;
            return true;
        };
        const int boxLeft = 4, boxBottom = height - 5;
        int boxRight = boxLeft, boxTop = boxBottom;
        while (fps && boxRight < width && darkened(boxRight, boxBottom))
            ++boxRight;
        while (fps && boxTop >= 0 && darkened(boxLeft, boxTop))
            --boxTop;
        if (fps) {
            EXPECT_FALSE(darkened(boxLeft - 1, boxBottom) || darkened(boxLeft, boxBottom + 1)) << "the box's corner";
            EXPECT_GE(boxRight - boxLeft, 40) << "the box holds a line of text";
            EXPECT_LE(boxRight - boxLeft, width / 2);
            EXPECT_GE(boxBottom - boxTop, 15) << "the box holds two lines";
            EXPECT_LE(boxBottom - boxTop, 40);
        }
        const auto inBox = [&](int x, int y) { return x >= boxLeft && x < boxRight && y > boxTop && y <= boxBottom; };
        int different = 0, light = 0, dark = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const unsigned long expected = expectedAt(x, y);
                const unsigned long pixel = XGetPixel(shown, x, y);
                if (!fps || !inBox(x, y)) {
                    different += pixel != expected;
                    continue;
                }
                light += pixel == 0xffffff;
                dark += (pixel >> 16 & 255) < 100 && (pixel >> 8 & 255) < 100 && (pixel & 255) < 100;
            }
        XDestroyImage(shown);
        XDestroyWindow(display, window);
        EXPECT_EQ(different, 0) << "pixels that differ from the headless frame" << (fps ? ", frame rate shown" : "");
        if (fps) {
            EXPECT_GT(light, 60) << "the text's pixels";
            EXPECT_GT(dark, 600) << "the box behind it";
        }
    }
}

}  // namespace
