#include "XProcessSupport.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <X11/Xutil.h>
#include <unistd.h>

namespace {

pid_t xvfb;

}  // namespace

// Xvfb picks a free display and writes its number, then a line end in a second write:
// the pipe stays open until both came, or the server dies.
std::string startXvfb(pid_t& server) {
    int channel[2];
    if (pipe(channel) != 0 || (server = fork()) < 0)
        return {};
    if (server == 0) {
        dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);
        execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(channel[1]).c_str(), "-screen", "0", "1280x720x24",
               "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(channel[1]);
    std::string name = ":";
    char c = 0;
    while (read(channel[0], &c, 1) == 1 && c != '\n')
        name += c;
    close(channel[0]);
    return name.size() > 1 ? name : std::string();
}

Display* privateDisplay() {
    static Display* display = [] {
        const std::string name = startXvfb(xvfb);
        if (name.empty())
            return static_cast<Display*>(nullptr);
        std::atexit([] { kill(xvfb, SIGTERM); });
        setenv("DISPLAY", name.c_str(), 1);
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });  // a window not viewable yet
        return XOpenDisplay(name.c_str());
    }();
    return display;
}

int exitCode(pid_t pid, double seconds) {
    int status = 0;
    for (const auto end = Clock::now() + std::chrono::duration<double>(seconds); Clock::now() < end;) {
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

bool nextEvent(Display* display, int type, XEvent& event, double seconds) {
    for (const auto end = Clock::now() + std::chrono::duration<double>(seconds); Clock::now() < end;) {
        while (XPending(display) > 0) {
            XNextEvent(display, &event);
            if (event.type == type)
                return true;
        }
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, 100);
    }
    return false;
}

// True when the window's columns from left on show both white ground and flower tints.
bool showsFlowers(Display* display, Window window, int left) {
    XWindowAttributes size{};
    XGetWindowAttributes(display, window, &size);
    XImage* image = XGetImage(display, window, 0, 0, size.width, size.height, AllPlanes, ZPixmap);
    if (!image)
        return false;
    int white = 0, tinted = 0;
    for (int y = 0; y < size.height; ++y)
        for (int x = left; x < size.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            const int r = pixel >> 16 & 255, g = pixel >> 8 & 255, b = pixel & 255;
            white += r == 255 && g == 255 && b == 255;
            tinted += r >= 225 && b + 40 >= g && (g < 250 || b < 250);
        }
    XDestroyImage(image);
    const int area = (size.width - left) * size.height;
    return white > area / 20 && tinted > area / 20;
}

bool waitForFlowers(Display* display, Window window, int left) {
    for (const auto end = Clock::now() + std::chrono::duration<double>(patience); Clock::now() < end;) {
        if (showsFlowers(display, window, left))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

pid_t startHost(std::vector<std::string> arguments, const std::vector<std::string>& settings,
                const std::string& errors) {
    arguments.insert(arguments.begin(), PETALRAIN_HOST);
    std::vector<std::string> environment = settings;
    const pid_t pid = fork();
    if (pid == 0) {
        for (std::string& setting : environment)
            putenv(setting.data());
        dup2(open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
        std::vector<char*> argv;
        for (std::string& word : arguments)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

std::string fileText(const std::string& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}
