// The Linux host as its hosts run it: a separate process drawing into X windows on a
// private Xvfb screen, ended by signals, keys and the window manager's close request.
#include <gtest/gtest.h>

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <signal.h>
#include <sys/wait.h>
#include <thread>

#include "FlowerScene.h"
#include "HeadlessGl.h"
#include "SaverGeometry.h"
#include "SaverSettings.h"
#include "SceneSeed.h"
#include "X11TestSupport.h"

namespace {

const std::string host = PETALRAIN_HOST;

std::string hex(Window window) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", window);
    return text;
}

bool exitedWithZero(int status) {
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class HostProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        display = privateDisplay();
        ASSERT_NE(display, nullptr) << "Xvfb did not start";
        tempFolder = std::filesystem::temp_directory_path() /
                     ("petalrain_host_" + std::to_string(getpid()) + "_" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(tempFolder);
    }

    void TearDown() override { std::filesystem::remove_all(tempFolder); }

    HostProcess start(const std::vector<std::string>& arguments, std::vector<std::string> environment = {}) {
        environment.push_back("TMPDIR=" + tempFolder.string());
        return startProgram(host, arguments, environment);
    }

    // Ends the host the way the daemon does; it must go within a second, cleanly.
    void expectCleanStop(HostProcess& process) {
        kill(process.pid, SIGTERM);
        EXPECT_TRUE(exitedWithZero(waitForExit(process, 1.0))) << readText(process.errorOutput);
        EXPECT_TRUE(std::filesystem::is_empty(tempFolder)) << "files left behind";
    }

    Display* display = nullptr;
    std::filesystem::path tempFolder;
};

TEST_F(HostProcessTest, WindowIdDrawsFollowsResizeAndEndsOnSigterm) {
    const Window window = createTestWindow(display, 320, 240);
    HostProcess process = start({"--window-id", hex(window), "--count", "1500"});
    ASSERT_TRUE(waitForFlowers(display, window, 15.0)) << readText(process.errorOutput);
    EXPECT_TRUE(std::filesystem::is_empty(tempFolder)) << "the model file stays off the disk";

    XResizeWindow(display, window, 640, 240);
    XSync(display, False);
    bool filled = false;
    for (int attempt = 0; attempt < 100 && !filled; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const std::vector<Rgb> pixels = windowPixels(display, window);
        std::vector<Rgb> rightEdge;
        for (size_t i = 0; i < pixels.size(); ++i)
            if (i % 640 >= 560)
                rightEdge.push_back(pixels[i]);
        const PictureShares shares = pictureShares(rightEdge);
        filled = shares.tinted > 0.05 && shares.white > 0.05;
    }
    EXPECT_TRUE(filled) << "flowers reach the new right edge";
    expectCleanStop(process);
}

TEST_F(HostProcessTest, RootDrawsIntoXscreensaverWindow) {
    const Window window = createTestWindow(display, 200, 150);
    HostProcess process = start({"-root", "-count", "800"}, {"XSCREENSAVER_WINDOW=" + std::to_string(window)});
    ASSERT_TRUE(waitForFlowers(display, window, 15.0)) << readText(process.errorOutput);
    expectCleanStop(process);
}

TEST_F(HostProcessTest, WindowsThatDoNotExistEndWithAMessage) {
    HostProcess missing = start({"--window-id", "0x7ffffff"});
    const int status = waitForExit(missing, 5.0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    EXPECT_NE(readText(missing.errorOutput).find("0x7ffffff"), std::string::npos);

    HostProcess unnamed = start({"--root"}, {"XSCREENSAVER_WINDOW=nonsense"});
    const int unnamedStatus = waitForExit(unnamed, 5.0);
    EXPECT_TRUE(WIFEXITED(unnamedStatus) && WEXITSTATUS(unnamedStatus) == 1);
    EXPECT_NE(readText(unnamed.errorOutput).find("nonsense"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(tempFolder));
}

TEST_F(HostProcessTest, TwoInstancesDrawSideBySide) {
    const Window left = createTestWindow(display, 200, 150);
    const Window right = createTestWindow(display, 200, 150);
    XMoveWindow(display, right, 300, 0);
    HostProcess first = start({"--window-id", hex(left), "--count", "800"});
    HostProcess second = start({"--window-id", std::to_string(right), "--count", "800"});
    EXPECT_TRUE(waitForFlowers(display, left, 15.0)) << readText(first.errorOutput);
    EXPECT_TRUE(waitForFlowers(display, right, 15.0)) << readText(second.errorOutput);
    expectCleanStop(first);
    EXPECT_EQ(waitpid(second.pid, nullptr, WNOHANG), 0) << "the other one goes on";
    expectCleanStop(second);
}

Window findWindowNamed(Display* display, const char* name, double timeoutSeconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (std::chrono::steady_clock::now() < end) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
        Window found = 0;
        for (unsigned i = 0; i < count && !found; ++i) {
            char* title = nullptr;
            if (XFetchName(display, children[i], &title) && title) {
                if (std::string(title) == name)
                    found = children[i];
                XFree(title);
            }
        }
        if (children)
            XFree(children);
        if (found)
            return found;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}

TEST_F(HostProcessTest, OwnWindowEndsOnEscapeAndOnCloseRequest) {
    HostProcess process = start({"--count", "500"});
    const Window window = findWindowNamed(display, "Petalrain", 10.0);
    ASSERT_NE(window, 0u) << readText(process.errorOutput);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    EXPECT_EQ(attributes.width, 1280);
    EXPECT_EQ(attributes.height, 720);
    ASSERT_TRUE(waitForFlowers(display, window, 15.0));
    XEvent key{};
    key.xkey = {KeyPress, 0, True, display, window, DefaultRootWindow(display), 0, CurrentTime, 1, 1, 1, 1, 0,
                XKeysymToKeycode(display, XK_Escape), True};
    XSendEvent(display, window, False, KeyPressMask, &key);
    XFlush(display);
    EXPECT_TRUE(exitedWithZero(waitForExit(process, 2.0))) << readText(process.errorOutput);

    HostProcess closed = start({"--count", "500"});
    const Window second = findWindowNamed(display, "Petalrain", 10.0);
    ASSERT_NE(second, 0u);
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = second;
    request.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    request.xclient.format = 32;
    request.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    request.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, second, False, NoEventMask, &request);
    XFlush(display);
    EXPECT_TRUE(exitedWithZero(waitForExit(closed, 5.0))) << readText(closed.errorOutput);
}

uint32_t comparedSeed() {
    return 20261209;
}

// The host adds nothing to the scene's frames: after the same frames, the window shows
// what the headless renderer draws for the same seed and size.
TEST_F(HostProcessTest, FramesMatchTheHeadlessRenderer) {
    constexpr int width = 320, height = 180, frames = 5;
    const Window window = createTestWindow(display, width, height);
    HostProcess process = start({"--window-id", hex(window), "--seed", std::to_string(comparedSeed()),
                                 "--count", "2000", "--size", "150", "--frames", std::to_string(frames)});
    ASSERT_TRUE(exitedWithZero(waitForExit(process, 20.0))) << readText(process.errorOutput);
    const std::vector<Rgb> shown = windowPixels(display, window);

    ASSERT_TRUE(headlessGlOpen(width, height));
    saverGeometry = {0, 0, width, height};
    saverSettings = {2000, 150, 1};
    sceneSetSeedSource(comparedSeed);
    sceneInit();
    for (int i = 0; i < frames; ++i)
        sceneRenderFrame();
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    headlessGlReadPixels(rgba.data());
    sceneRelease();
    headlessGlClose();

    ASSERT_EQ(shown.size(), static_cast<size_t>(width) * height);
    EXPECT_GT(pictureShares(shown).tinted, 0.05) << "a picture worth comparing";
    int different = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* drawn = &rgba[(static_cast<size_t>(height - 1 - y) * width + x) * 4];
            const Rgb& seen = shown[static_cast<size_t>(y) * width + x];
            different += seen.r != drawn[0] || seen.g != drawn[1] || seen.b != drawn[2];
        }
    EXPECT_EQ(different, 0) << "pixels that differ from the headless frame";
}

}  // namespace
