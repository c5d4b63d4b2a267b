// How long the X session has been idle, from the SYNC extension's IDLETIME counter, told by
// the server's alarms: the wait costs nothing.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/sync.h>
#include <cstdint>
#include <string>

struct IdleWatch {
    Display* display;
    int eventBase;
    XSyncCounter idleTime;  // milliseconds since the last input
    XSyncAlarm idle;        // idle time reached the target
    XSyncAlarm input;       // input came, only while the target is later than the usual one
    int64_t usualMs;
};

enum class IdleNews {
    Nothing,
    Idle,   // idle time reached the target
    Input,  // input came before a later target: the usual target holds again
};

// False, with the reason, where the server lacks SYNC or its IDLETIME counter.
bool idleWatchStart(Display* display, int64_t usualMs, IdleWatch& watch, std::string& error);

// Tells of idle time reaching targetMs once: the usual target, or a later one that input
// brings back to the usual.
void idleWatchArm(IdleWatch& watch, int64_t targetMs);

// The session's idle time now, in milliseconds.
int64_t idleWatchNow(const IdleWatch& watch);

// What an event says about the idle time: the alarms' events, any other is Nothing.
IdleNews idleWatchNews(IdleWatch& watch, const XEvent& event);
