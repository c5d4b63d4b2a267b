// Placeholder until the sd-bus side lands: no bus, never inhibited, on mains power.
#include "session_bus.h"

struct SessionBus {};

SessionBus* sessionBusOpen(SessionBusWants) {
    return new SessionBus{};
}
void sessionBusClose(SessionBus* bus) {
    delete bus;
}
int sessionBusFiles(const SessionBus*, int[2]) {
    return 0;
}
bool sessionBusProcess(SessionBus*) {
    return false;
}
bool sessionBusInhibited(const SessionBus*) {
    return false;
}
bool sessionBusOnBattery(const SessionBus*) {
    return false;
}
