// Helpers for tests that run the host as a process on a private Xvfb screen.
#pragma once

#include <X11/Xlib.h>
#include <chrono>
#include <sys/types.h>

using Clock = std::chrono::steady_clock;

// Limits for conditions awaited: generous, as a slow machine or a sanitizer build is
// many times slower, and a passing run never waits for them.
constexpr double patience = 60.0;

#include <string>
#include <vector>

// Starts the host with the arguments, the environment's settings ("NAME=VALUE") added, its
// standard error written to the file errors.
pid_t startHost(std::vector<std::string> arguments, const std::vector<std::string>& settings,
                const std::string& errors);

// What the file holds, for messages.
std::string fileText(const std::string& path);

// Starts a 1280x720 Xvfb on a free display; its name, empty when it did not start.
std::string startXvfb(pid_t& server);

// A 1280x720 Xvfb of this test process's own, started once; DISPLAY names it afterwards.
Display* privateDisplay();

// The process's exit code, or -1 when it has not ended in time (it is killed then).
int exitCode(pid_t pid, double seconds);

// The next event of the given type, or false when none came in time.
bool nextEvent(Display* display, int type, XEvent& event, double seconds = patience);

// True when the window's columns from left on show both white ground and flower tints.
bool showsFlowers(Display* display, Window window, int left = 0);
bool waitForFlowers(Display* display, Window window, int left = 0);
