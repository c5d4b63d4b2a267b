#include "X11TestSupport.h"

#include <X11/Xutil.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

pid_t xvfb = -1;

// A window of the host's may not be viewable yet when its pixels are asked for: no pixels then.
int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

void stopXvfb() {
    if (xvfb > 0) {
        kill(xvfb, SIGTERM);
        waitpid(xvfb, nullptr, 0);
    }
}

// Xvfb chooses a free display itself and writes its number to the pipe.
int startXvfb() {
    int channel[2];
    if (pipe(channel) != 0)
        return -1;
    xvfb = fork();
    if (xvfb == 0) {
        close(channel[0]);
        const std::string fd = std::to_string(channel[1]);
        freopen("/dev/null", "w", stderr);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x720x24", "-nolisten", "tcp", "-noreset",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(channel[1]);
    // The number and its line end come in separate writes; closing early would kill the server.
    std::string number;
    char c = 0;
    while (number.size() < 16 && read(channel[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(channel[0]);
    std::atexit(stopXvfb);
    return number.empty() ? -1 : std::atoi(number.c_str());
}

}  // namespace

Display* privateDisplay() {
    static Display* display = [] {
        const int number = startXvfb();
        if (number < 0)
            return static_cast<Display*>(nullptr);
        const std::string name = ":" + std::to_string(number);
        setenv("DISPLAY", name.c_str(), 1);
        XSetErrorHandler(ignoreXError);
        return XOpenDisplay(name.c_str());
    }();
    return display;
}

Window createTestWindow(Display* display, int width, int height) {
    const int screen = DefaultScreen(display);
    Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                                        static_cast<unsigned>(height), 0, 0, BlackPixel(display, screen));
    XMapWindow(display, window);
    XSync(display, False);
    return window;
}

std::vector<Rgb> windowPixels(Display* display, Window window) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    std::vector<Rgb> pixels;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image)
        return pixels;
    pixels.reserve(static_cast<size_t>(attributes.width) * attributes.height);
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            pixels.push_back({static_cast<int>(pixel >> 16 & 255), static_cast<int>(pixel >> 8 & 255),
                              static_cast<int>(pixel & 255)});
        }
    XDestroyImage(image);
    return pixels;
}

PictureShares pictureShares(const std::vector<Rgb>& pixels) {
    size_t white = 0;
    size_t tinted = 0;
    for (const Rgb& c : pixels) {
        if (c.r == 255 && c.g == 255 && c.b == 255)
            ++white;
        else if (c.r >= 225 && c.b + 40 >= c.g && (c.g < 250 || c.b < 250))
            ++tinted;
    }
    const double count = pixels.empty() ? 1.0 : static_cast<double>(pixels.size());
    return {white / count, tinted / count};
}

HostProcess startProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment) {
    HostProcess process;
    char errorName[] = "/tmp/petalrain_host_stderr_XXXXXX";
    const int errorFile = mkstemp(errorName);
    process.errorOutput = errorName;

    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables(environment);
    for (char** entry = environ; *entry; ++entry)
        variables.push_back(*entry);
    std::vector<char*> envp;
    for (std::string& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, errorFile, STDERR_FILENO);
    if (posix_spawn(&process.pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
        process.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(errorFile);
    return process;
}

int waitForExit(HostProcess& process, double timeoutSeconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    int status = 0;
    while (std::chrono::steady_clock::now() < end) {
        if (waitpid(process.pid, &status, WNOHANG) == process.pid) {
            process.pid = -1;
            return status;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(process.pid, SIGKILL);
    waitpid(process.pid, &status, 0);
    process.pid = -1;
    return -1;
}

std::string readText(const std::string& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool waitForFlowers(Display* display, Window window, double timeoutSeconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (std::chrono::steady_clock::now() < end) {
        const PictureShares shares = pictureShares(windowPixels(display, window));
        if (shares.white > 0.05 && shares.tinted > 0.05)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}
