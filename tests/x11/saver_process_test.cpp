// The saver of its own on X11 as a process on a private Xvfb screen, driven by xdotool's
// real input (XTEST), which moves the server's idle time as a user's would.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

#include "XProcessSupport.h"

namespace {

// A small scene: the tests are about input, not frames.
const std::vector<std::string> smallScene{"--count", "400"};

void xdotool(const std::string& arguments) {
    ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
}

// Waits until the window's picture changed twice: a frame began after whatever input had
// already reached the saver, so its loop has handled that input.
bool framesPassed(Display* display, Window window) {
    XImage* before = nullptr;
    const auto end = Clock::now() + std::chrono::duration<double>(patience);
    for (int changes = 0; changes < 3 && Clock::now() < end;) {
        XImage* now = XGetImage(display, window, 0, 0, 320, 180, AllPlanes, ZPixmap);
        if (!now)
            return false;
        const bool changed =
            before && std::memcmp(before->data, now->data, static_cast<size_t>(now->bytes_per_line) * 180) != 0;
        if (before && !changed) {
            XDestroyImage(now);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue;
        }
        if (before)
            XDestroyImage(before);
        before = now;
        ++changes;
    }
    XDestroyImage(before);
    return Clock::now() < end;
}

class SaverProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        display = privateDisplay();
        ASSERT_NE(display, nullptr) << "Xvfb did not start";
        XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
        xdotool("mousemove 640 360");
        XSync(display, True);
    }

    pid_t start(std::vector<std::string> arguments, const std::vector<std::string>& environment = {}) {
        arguments.insert(arguments.end(), smallScene.begin(), smallScene.end());
        return startHost(std::move(arguments), environment, errors);
    }

    std::string errorText() const {
        return fileText(errors);
    }

    // The saver's override-redirect window once it is mapped and shows flowers; None when
    // none came in time.
    Window awaitSaver(double seconds = patience) {
        XEvent event{};
        while (nextEvent(display, MapNotify, event, seconds)) {
            XWindowAttributes attributes{};
            if (event.xmap.override_redirect && XGetWindowAttributes(display, event.xmap.window, &attributes) &&
                attributes.width == DisplayWidth(display, 0) && attributes.height == DisplayHeight(display, 0))
                return waitForFlowers(display, event.xmap.window) ? event.xmap.window : None;
        }
        return None;
    }

    // Gives the input and times the saver's exit after it: the figure is printed, never judged.
    // It counts from before xdotool starts, so its own start is in the figure.
    int endWith(pid_t saver, const std::string& input) {
        const auto given = Clock::now();
        xdotool(input);
        int status = 0;
        for (const auto end = given + std::chrono::duration<double>(patience); Clock::now() < end;) {
            if (waitpid(saver, &status, WNOHANG) == saver) {
                const double ms = std::chrono::duration<double, std::milli>(Clock::now() - given).count();
                std::printf("input to exit (%s): at most %.1f ms\n", input.c_str(), ms);
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return exitCode(saver, 0);
    }

    Display* display = nullptr;
    const std::string errors =
        (std::filesystem::temp_directory_path() / ("petalrain_saver_" + std::to_string(getpid()) + ".stderr")).string();
};

// Six motions of any size come from the window appearing; jitter within 3 px follows. Then
// each of the inputs that end it does, with exit code 0.
TEST_F(SaverProcessTest, JitterLeavesItRunningAndEachEndingInputEndsIt) {
    // A press alone, so that xdotool's pause before the release stays out of the figure.
    const char* const endings[] = {"keydown a", "mousedown 1", "mousemove 644 360", "mousemove 640 356"};
    for (const char* ending : endings) {
        const pid_t saver = start({"--saver"});
        const Window window = awaitSaver();
        ASSERT_NE(window, None) << errorText();
        for (const char* far : {"700 360", "640 420", "600 300", "900 700", "10 10", "641 361"})
            xdotool(std::string("mousemove ") + far);
        for (const char* jitter : {"643 360", "637 357", "640 363", "642 358"})
            xdotool(std::string("mousemove ") + jitter);
        ASSERT_TRUE(framesPassed(display, window));
        EXPECT_EQ(waitpid(saver, nullptr, WNOHANG), 0) << "ended by the first motions or by jitter";
        EXPECT_EQ(endWith(saver, ending), 0) << ending << ": " << errorText();
        xdotool("keyup a mouseup 1 mousemove 640 360");
    }
}

// The waking key or button is the saver's own: a window below that has the focus and the
// pointer receives only the next one.
TEST_F(SaverProcessTest, TheWakingInputReachesNoOtherWindow) {
    const Window below = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1280, 720, 0, 0, 0);
    XSelectInput(display, below, KeyPressMask | KeyReleaseMask | ButtonPressMask);
    XMapWindow(display, below);
    XSync(display, False);
    XSetInputFocus(display, below, RevertToParent, CurrentTime);
    struct Case {
        const char* waking;
        const char* next;
        int type;
        unsigned int detail;  // of the next one
    };
    const Case cases[] = {
        {"key a", "key b", KeyPress, XKeysymToKeycode(display, XStringToKeysym("b"))},
        {"click 1", "click 3", ButtonPress, 3},
    };
    for (const Case& test : cases) {
        const pid_t saver = start({"--saver"});
        ASSERT_NE(awaitSaver(), None) << errorText();
        EXPECT_EQ(endWith(saver, test.waking), 0) << errorText();
        xdotool(test.next);
        XEvent event{};
        ASSERT_TRUE(nextEvent(display, test.type, event)) << "the window below gets input again";
        EXPECT_EQ(test.type == KeyPress ? event.xkey.keycode : event.xbutton.button, test.detail)
            << test.waking << " reached the window below";
    }
    XDestroyWindow(display, below);
    XSync(display, True);
}

TEST_F(SaverProcessTest, AGrabHeldElsewhereEndsItWithOneLine) {
    ASSERT_EQ(XGrabKeyboard(display, DefaultRootWindow(display), False, GrabModeAsync, GrabModeAsync, CurrentTime),
              GrabSuccess);
    XSync(display, False);
    EXPECT_EQ(exitCode(start({"--saver"}), patience), 1);
    const std::string text = errorText();
    EXPECT_NE(text.find("grab"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    XUngrabKeyboard(display, CurrentTime);
    XSync(display, False);
}

// A frame that never ends: the process ends by itself and the input comes back.
TEST_F(SaverProcessTest, AStalledLoopGivesTheInputBack) {
    const pid_t saver = start({"--saver"}, {"PETALRAIN_TEST_STALL_FRAME=3"});
    EXPECT_EQ(exitCode(saver, patience), 1) << errorText();
    EXPECT_NE(errorText().find("input"), std::string::npos);
    EXPECT_EQ(XGrabKeyboard(display, DefaultRootWindow(display), False, GrabModeAsync, GrabModeAsync, CurrentTime),
              GrabSuccess);
    XUngrabKeyboard(display, CurrentTime);
    XSync(display, False);
}

// A session bus of the test's own, and a caller on it that holds an inhibition until its
// input closes.
struct PrivateBus {
    pid_t daemon = -1;
    std::string address;

    bool open() {
        int channel[2];
        if (pipe(channel) != 0 || (daemon = fork()) < 0)
            return false;
        if (daemon == 0) {
            dup2(channel[1], STDOUT_FILENO);
            execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(channel[1]);
        char c = 0;
        while (read(channel[0], &c, 1) == 1 && c != '\n')
            address += c;
        close(channel[0]);
        return !address.empty();
    }
    ~PrivateBus() {
        if (daemon > 0) {
            kill(daemon, SIGTERM);
            waitpid(daemon, nullptr, 0);
        }
    }
};

// A python3 client on the bus, running script: its standard output on *output, its standard
// input, when input is not null, on *input. A client that reads its input ends with the test.
pid_t startClient(const PrivateBus& bus, const char* script, int* output, int* input = nullptr) {
    int out[2], in[2];
    if (pipe(out) != 0 || pipe(in) != 0)
        return -1;
    const pid_t client = fork();
    if (client == 0) {
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        close(in[1]);
        close(out[0]);
        setenv("DBUS_SESSION_BUS_ADDRESS", bus.address.c_str(), 1);
        execl("/usr/bin/python3", "python3", "-c", script, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    *output = out[0];
    if (input)
        *input = in[1];
    else
        close(in[1]);
    return client;
}

constexpr char inhibitingCaller[] = R"(
import dbus, sys
saver = dbus.SessionBus().get_object('org.freedesktop.ScreenSaver', '/org/freedesktop/ScreenSaver')
print(saver.Inhibit('a test', 'a video plays', dbus_interface='org.freedesktop.ScreenSaver'), flush=True)
sys.stdin.read()
)";

// --idle 2: the saver after 2 s without input, ended by input, again after the next 2 s;
// none while a caller holds an inhibition, and the caller's exit releases it.
TEST_F(SaverProcessTest, IdleShowsAfterEachIdlePeriodUnlessInhibited) {
    PrivateBus bus;
    ASSERT_TRUE(bus.open());
    const pid_t daemon = start({"--idle", "2"}, {"DBUS_SESSION_BUS_ADDRESS=" + bus.address});
    for (const char* input : {"key a", "mousemove 100 100 click 1"}) {
        const Window window = awaitSaver();
        ASSERT_NE(window, None) << errorText();
        xdotool(input);
        XEvent event{};
        ASSERT_TRUE(nextEvent(display, UnmapNotify, event)) << input << " ends the saver";
        EXPECT_EQ(waitpid(daemon, nullptr, WNOHANG), 0) << "the daemon goes on";
    }

    int fromCaller = -1, toCaller = -1;
    const pid_t caller = startClient(bus, inhibitingCaller, &fromCaller, &toCaller);
    ASSERT_GT(caller, 0);
    xdotool("key a");  // the saver ended: a fresh period
    char cookie[32] = {};
    ASSERT_GT(read(fromCaller, cookie, sizeof cookie - 1), 0) << "the caller got an inhibition";
    EXPECT_GT(std::atoi(cookie), 0);
    // Three idle periods with no saver: a slow machine only makes this weaker, never wrong.
    EXPECT_EQ(awaitSaver(6.0), None) << "the saver shows while inhibited";
    close(toCaller);
    EXPECT_EQ(exitCode(caller, patience), 0);
    EXPECT_NE(awaitSaver(), None) << "the caller's exit ends its inhibition";
    xdotool("key a");

    kill(daemon, SIGTERM);
    EXPECT_EQ(exitCode(daemon, patience), 0) << errorText();
    close(fromCaller);
}

// Another program owns the name: the daemon leaves it, says so once, and still runs.
TEST_F(SaverProcessTest, ANameOwnedElsewhereIsLeftWithOneLine) {
    PrivateBus bus;
    ASSERT_TRUE(bus.open());
    // It holds the name until its input closes, with the test at the latest.
    int fromOwner = -1, toOwner = -1;
    const pid_t owner = startClient(bus,
                                    "import dbus, sys\n"
                                    "bus = dbus.SessionBus()\n"
                                    "print(bus.request_name('org.freedesktop.ScreenSaver'), flush=True)\n"
                                    "sys.stdin.read()\n",
                                    &fromOwner, &toOwner);
    ASSERT_GT(owner, 0);
    char owned[8] = {};
    ASSERT_GT(read(fromOwner, owned, sizeof owned - 1), 0) << "the other program owns the name";
    const pid_t daemon = start({"--idle", "600"}, {"DBUS_SESSION_BUS_ADDRESS=" + bus.address});
    for (const auto end = Clock::now() + std::chrono::duration<double>(patience);
         Clock::now() < end && errorText().find('\n') == std::string::npos;)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const std::string text = errorText();
    EXPECT_NE(text.find("another program owns org.freedesktop.ScreenSaver"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    kill(daemon, SIGINT);
    EXPECT_EQ(exitCode(daemon, patience), 0) << errorText();
    close(toOwner);
    EXPECT_EQ(exitCode(owner, patience), 0);
    close(fromOwner);
}

// The X server's end is the session's: a shown saver, and a daemon that waits after its
// first showing, leave quietly with it.
TEST_F(SaverProcessTest, TheServerEndingEndsItWithZero) {
    for (const bool daemon : {false, true}) {
        pid_t server = 0;
        const std::string name = startXvfb(server);
        ASSERT_FALSE(name.empty());
        Display* other = XOpenDisplay(name.c_str());
        ASSERT_NE(other, nullptr);
        XSelectInput(other, DefaultRootWindow(other), SubstructureNotifyMask);
        XSync(other, False);
        const pid_t saver =
            start(daemon ? std::vector<std::string>{"--idle", "1"} : std::vector<std::string>{"--saver"},
                  {"DISPLAY=" + name});
        XEvent event{};
        ASSERT_TRUE(nextEvent(other, MapNotify, event)) << errorText();
        if (daemon) {
            ASSERT_EQ(std::system(("DISPLAY=" + name + " xdotool key a").c_str()), 0);
            ASSERT_TRUE(nextEvent(other, UnmapNotify, event)) << "the daemon waits again";
        }
        XCloseDisplay(other);
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
        EXPECT_EQ(exitCode(saver, patience), 0) << (daemon ? "--idle: " : "--saver: ") << errorText();
    }
}

}  // namespace
