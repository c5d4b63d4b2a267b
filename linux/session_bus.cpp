// The D-Bus side through sd-bus: org.freedesktop.ScreenSaver on the session bus, and UPower's
// OnBattery on the system bus.
#include "session_bus.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/epoll.h>
#include <unistd.h>
#include <vector>

#include <systemd/sd-bus.h>

namespace {

constexpr const char* saverName = "org.freedesktop.ScreenSaver";
constexpr const char* saverPaths[] = {"/org/freedesktop/ScreenSaver", "/ScreenSaver"};
constexpr const char* upowerName = "org.freedesktop.UPower";
constexpr const char* upowerPath = "/org/freedesktop/UPower";
// The start's calls may wait this long for a busy bus; later traffic never waits.
constexpr uint64_t startCallMicroseconds = 1000000;

struct Inhibition {
    uint32_t cookie;
    sd_bus_track* caller;  // the inhibition goes when its caller leaves the bus
};

}  // namespace

struct SessionBus {
    int readable;  // an epoll file over both connections: a connection that closes leaves it
    sd_bus* user;
    sd_bus* system;
    std::vector<Inhibition> inhibitions;
    uint32_t lastCookie;
    bool onBattery;
    bool changed;
};

namespace {

void dropInhibition(SessionBus& bus, std::vector<Inhibition>::iterator inhibition) {
    sd_bus_track_unref(inhibition->caller);
    bus.inhibitions.erase(inhibition);
    bus.changed = true;
}

int callerLeft(sd_bus_track* track, void* userdata) {
    SessionBus& bus = *static_cast<SessionBus*>(userdata);
    for (auto it = bus.inhibitions.begin(); it != bus.inhibitions.end(); ++it)
        if (it->caller == track) {
            dropInhibition(bus, it);
            break;
        }
    return 0;
}

int inhibit(sd_bus_message* message, void* userdata, sd_bus_error*) {
    SessionBus& bus = *static_cast<SessionBus*>(userdata);
    const char* application = nullptr;
    const char* reason = nullptr;
    int r = sd_bus_message_read(message, "ss", &application, &reason);
    if (r < 0)
        return r;
    sd_bus_track* caller = nullptr;
    if ((r = sd_bus_track_new(bus.user, &caller, callerLeft, &bus)) < 0)
        return r;
    if ((r = sd_bus_track_add_sender(caller, message)) < 0) {
        sd_bus_track_unref(caller);
        return r;
    }
    // Cookies are never 0, which some callers read as a failure.
    if (++bus.lastCookie == 0)
        ++bus.lastCookie;
    bus.inhibitions.push_back({bus.lastCookie, caller});
    bus.changed = true;
    return sd_bus_reply_method_return(message, "u", bus.lastCookie);
}

int uninhibit(sd_bus_message* message, void* userdata, sd_bus_error* error) {
    SessionBus& bus = *static_cast<SessionBus*>(userdata);
    uint32_t cookie = 0;
    const int r = sd_bus_message_read(message, "u", &cookie);
    if (r < 0)
        return r;
    for (auto it = bus.inhibitions.begin(); it != bus.inhibitions.end(); ++it)
        if (it->cookie == cookie) {
            dropInhibition(bus, it);
            return sd_bus_reply_method_return(message, "");
        }
    return sd_bus_error_setf(error, SD_BUS_ERROR_INVALID_ARGS, "no inhibition %u", cookie);
}

const sd_bus_vtable saverTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD_WITH_NAMES("Inhibit", "ss", SD_BUS_PARAM(application_name) SD_BUS_PARAM(reason_for_inhibit), "u",
                             SD_BUS_PARAM(cookie), inhibit, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD_WITH_NAMES("UnInhibit", "u", SD_BUS_PARAM(cookie), "", , uninhibit, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END};

// PropertiesChanged of UPower: the interface, the changed values, the invalidated names.
int powerChanged(sd_bus_message* message, void* userdata, sd_bus_error*) {
    SessionBus& bus = *static_cast<SessionBus*>(userdata);
    const char* interface = nullptr;
    if (sd_bus_message_read(message, "s", &interface) < 0 || std::strcmp(interface, upowerName) != 0 ||
        sd_bus_message_enter_container(message, 'a', "{sv}") < 0)
        return 0;
    while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
        const char* name = nullptr;
        int onBattery = 0;
        if (sd_bus_message_read(message, "s", &name) < 0)
            return 0;
        if (std::strcmp(name, "OnBattery") == 0 && sd_bus_message_read(message, "v", "b", &onBattery) >= 0) {
            bus.changed = bus.changed || bus.onBattery != (onBattery != 0);
            bus.onBattery = onBattery != 0;
        } else if (sd_bus_message_skip(message, "v") < 0) {
            return 0;
        }
        sd_bus_message_exit_container(message);
    }
    return 0;
}

void openInhibitions(SessionBus& bus) {
    if (sd_bus_open_user(&bus.user) < 0) {
        bus.user = sd_bus_unref(bus.user);
        return;
    }
    sd_bus_set_method_call_timeout(bus.user, startCallMicroseconds);
    for (const char* path : saverPaths)
        if (sd_bus_add_object_vtable(bus.user, nullptr, path, saverName, saverTable, &bus) < 0) {
            bus.user = sd_bus_flush_close_unref(bus.user);
            return;
        }
    const int r = sd_bus_request_name(bus.user, saverName, 0);
    if (r == -EEXIST)
        std::fprintf(stderr, "petalrain: another program owns %s on the session bus; its inhibitions are its own\n",
                     saverName);
    if (r < 0)
        bus.user = sd_bus_flush_close_unref(bus.user);
}

void openBattery(SessionBus& bus) {
    if (sd_bus_open_system(&bus.system) < 0) {
        bus.system = sd_bus_unref(bus.system);
        return;
    }
    sd_bus_set_method_call_timeout(bus.system, startCallMicroseconds);
    // The match first, so that no change between the read and the match is missed.
    if (sd_bus_match_signal(bus.system, nullptr, upowerName, upowerPath, "org.freedesktop.DBus.Properties",
                            "PropertiesChanged", powerChanged, &bus) < 0) {
        bus.system = sd_bus_flush_close_unref(bus.system);
        return;
    }
    int onBattery = 0;
    if (sd_bus_get_property_trivial(bus.system, upowerName, upowerPath, upowerName, "OnBattery", nullptr, 'b',
                                    &onBattery) >= 0)
        bus.onBattery = onBattery != 0;
}

void watch(const SessionBus& bus, sd_bus* connection) {
    epoll_event event{};
    event.events = EPOLLIN;
    if (connection)
        epoll_ctl(bus.readable, EPOLL_CTL_ADD, sd_bus_get_fd(connection), &event);
}

bool processAll(sd_bus*& connection) {
    if (!connection)
        return true;
    int r = 0;
    while ((r = sd_bus_process(connection, nullptr)) > 0) {
    }
    return r >= 0;
}

}  // namespace

SessionBus* sessionBusOpen(SessionBusWants wants) {
    auto* bus = new SessionBus{};
    bus->readable = epoll_create1(EPOLL_CLOEXEC);
    if (wants.inhibitions)
        openInhibitions(*bus);
    if (wants.battery)
        openBattery(*bus);
    watch(*bus, bus->user);
    watch(*bus, bus->system);
    bus->changed = false;
    return bus;
}

void sessionBusClose(SessionBus* bus) {
    for (Inhibition& inhibition : bus->inhibitions)
        sd_bus_track_unref(inhibition.caller);
    sd_bus_flush_close_unref(bus->user);
    sd_bus_flush_close_unref(bus->system);
    if (bus->readable >= 0)
        close(bus->readable);
    delete bus;
}

int sessionBusFiles(const SessionBus* bus, int files[2]) {
    if (bus->readable < 0 || (!bus->user && !bus->system))
        return 0;
    files[0] = bus->readable;
    return 1;
}

bool sessionBusProcess(SessionBus* bus) {
    if (!processAll(bus->user)) {
        // The session is over: so are its inhibitions.
        for (Inhibition& inhibition : bus->inhibitions)
            sd_bus_track_unref(inhibition.caller);
        bus->inhibitions.clear();
        bus->changed = true;
        bus->user = sd_bus_unref(bus->user);
    }
    if (!processAll(bus->system)) {
        bus->changed = bus->changed || bus->onBattery;
        bus->onBattery = false;
        bus->system = sd_bus_unref(bus->system);
    }
    const bool changed = bus->changed;
    bus->changed = false;
    return changed;
}

bool sessionBusInhibited(const SessionBus* bus) {
    return !bus->inhibitions.empty();
}

bool sessionBusOnBattery(const SessionBus* bus) {
    return bus->onBattery;
}
