// Shared by the Linux host's tests: a private X server, test windows, and the host
// started as a separate process.
#pragma once

#include <X11/Xlib.h>
#include <string>
#include <sys/types.h>
#include <vector>

// Starts Xvfb once per process on a free display and points DISPLAY at it.
Display* privateDisplay();

Window createTestWindow(Display* display, int width, int height);

struct Rgb {
    int r, g, b;
};

// The window's pixels, row by row from the top.
std::vector<Rgb> windowPixels(Display* display, Window window);

struct PictureShares {
    double white;
    double tinted;  // flower colours: strong red, blue not far below green
};
PictureShares pictureShares(const std::vector<Rgb>& pixels);

struct HostProcess {
    pid_t pid = -1;
    std::string errorOutput;  // file that receives the host's standard error
};

// Starts a program with the arguments and extra NAME=VALUE environment entries.
HostProcess startProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment = {});

// Waits up to the timeout for the process to end; its wait status, or -1 if it did not end
// (it is then killed).
int waitForExit(HostProcess& process, double timeoutSeconds);

std::string readText(const std::string& path);

// Polls until the window shows both white ground and flowers, up to the timeout.
bool waitForFlowers(Display* display, Window window, double timeoutSeconds);
