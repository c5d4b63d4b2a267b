// What the desktop says over D-Bus: inhibitions that programs ask of
// org.freedesktop.ScreenSaver on the session bus (browsers and video players do), and
// UPower's OnBattery on the system bus.
#pragma once

struct SessionBus;

struct SessionBusWants {
    bool inhibitions;  // own org.freedesktop.ScreenSaver where the name is free, and keep Inhibit calls
    bool battery;      // follow UPower's OnBattery
};

// Never null. A bus or service that is missing leaves its part quiet: not inhibited, on
// mains power; a name that another program owns is left to it, said once on stderr.
SessionBus* sessionBusOpen(SessionBusWants wants);
void sessionBusClose(SessionBus* bus);

// The connections' files, to wait on for reading; the count, at most 2.
int sessionBusFiles(const SessionBus* bus, int files[2]);

// Handles whatever came on the connections without blocking; true when the inhibition or
// the battery state changed.
bool sessionBusProcess(SessionBus* bus);

bool sessionBusInhibited(const SessionBus* bus);  // some caller holds an inhibition
bool sessionBusOnBattery(const SessionBus* bus);
