// The saver's input: whatever reaches its surfaces is the saver's own, as the overlay with
// the exclusive keyboard takes it, and a key, a button, a touch or motion by the wake rule
// ends it.
#include <algorithm>
#include <unistd.h>
#include <wayland-client.h>

#include "wl_client.h"

namespace {

constexpr uint32_t seatVersion = 5;  // the release requests and the pointer's frame events

WlClient& clientOf(void* data) {
    return *static_cast<WlClient*>(data);
}

void keymap(void*, wl_keyboard*, uint32_t, int32_t file, uint32_t) {
    close(file);  // no key is read for its meaning: any press ends the saver
}

void keyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void keyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}

void key(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t state) {
    WlClient& client = clientOf(data);
    client.woken = client.woken || (client.showing && state == WL_KEYBOARD_KEY_STATE_PRESSED);
}

void modifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void repeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}

const wl_keyboard_listener keyboardListener = {keymap, keyboardEnter, keyboardLeave, key, modifiers, repeatInfo};

void pointerEnter(void* data, wl_pointer* pointer, uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
    WlClient& client = clientOf(data);
    // Hidden on each of the saver's surfaces, at each enter: the compositor forgets it.
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    const auto on = std::find_if(client.outputs.begin(), client.outputs.end(),
                                 [&](const auto& output) { return surface && output->surface == surface; });
    if (on == client.outputs.end())
        return;
    client.pointerOriginX = (*on)->x;
    client.pointerOriginY = (*on)->y;
    const double atX = client.pointerOriginX + wl_fixed_to_double(x);
    const double atY = client.pointerOriginY + wl_fixed_to_double(y);
    // The first enter is where the pointer stood as the saver appeared; a later one is the
    // pointer moving from one output's surface to the next, with no motion event of its own.
    if (!client.wakeRule.placed)
        wakePointerAt(client.wakeRule, atX, atY);
    else if (client.showing && wakeOnMotion(client.wakeRule, atX, atY))
        client.woken = true;
}

void pointerLeave(void*, wl_pointer*, uint32_t, wl_surface*) {}

void motion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
    WlClient& client = clientOf(data);
    if (client.showing && wakeOnMotion(client.wakeRule, client.pointerOriginX + wl_fixed_to_double(x),
                                       client.pointerOriginY + wl_fixed_to_double(y)))
        client.woken = true;
}

void button(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
    WlClient& client = clientOf(data);
    client.woken = client.woken || (client.showing && state == WL_POINTER_BUTTON_STATE_PRESSED);
}

void axis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void pointerFrame(void*, wl_pointer*) {}
void axisSource(void*, wl_pointer*, uint32_t) {}
void axisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void axisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
void axisValue120(void*, wl_pointer*, uint32_t, int32_t) {}

const wl_pointer_listener pointerListener = {pointerEnter, pointerLeave, motion,   button,       axis,
                                             pointerFrame, axisSource,   axisStop, axisDiscrete, axisValue120};

void touchDown(void* data, wl_touch*, uint32_t, uint32_t, wl_surface*, int32_t, wl_fixed_t, wl_fixed_t) {
    WlClient& client = clientOf(data);
    client.woken = client.woken || client.showing;
}

void touchUp(void*, wl_touch*, uint32_t, uint32_t, int32_t) {}
void touchMotion(void*, wl_touch*, uint32_t, int32_t, wl_fixed_t, wl_fixed_t) {}
void touchFrame(void*, wl_touch*) {}
void touchCancel(void*, wl_touch*) {}
void touchShape(void*, wl_touch*, int32_t, wl_fixed_t, wl_fixed_t) {}
void touchOrientation(void*, wl_touch*, int32_t, wl_fixed_t) {}

const wl_touch_listener touchListener = {touchDown,   touchUp,    touchMotion,     touchFrame,
                                         touchCancel, touchShape, touchOrientation};

template <typename Device>
void releaseDevice(Device*& device, void (*release)(Device*), void (*destroy)(Device*), uint32_t version) {
    if (device)
        (version >= WL_KEYBOARD_RELEASE_SINCE_VERSION ? release : destroy)(device);
    device = nullptr;
}

void releaseDevices(WlClient& client) {
    releaseDevice(client.keyboard, wl_keyboard_release, wl_keyboard_destroy, client.seatVersion);
    releaseDevice(client.pointer, wl_pointer_release, wl_pointer_destroy, client.seatVersion);
    releaseDevice(client.touch, wl_touch_release, wl_touch_destroy, client.seatVersion);
}

// Devices come and go with the seat's capabilities (a virtual keyboard's client, a mouse
// plugged in).
void capabilities(void* data, wl_seat* seat, uint32_t has) {
    WlClient& client = clientOf(data);
    if ((has & WL_SEAT_CAPABILITY_KEYBOARD) && !client.keyboard) {
        client.keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(client.keyboard, &keyboardListener, &client);
    } else if (!(has & WL_SEAT_CAPABILITY_KEYBOARD)) {
        releaseDevice(client.keyboard, wl_keyboard_release, wl_keyboard_destroy, client.seatVersion);
    }
    if ((has & WL_SEAT_CAPABILITY_POINTER) && !client.pointer) {
        client.pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(client.pointer, &pointerListener, &client);
    } else if (!(has & WL_SEAT_CAPABILITY_POINTER)) {
        releaseDevice(client.pointer, wl_pointer_release, wl_pointer_destroy, client.seatVersion);
    }
    if ((has & WL_SEAT_CAPABILITY_TOUCH) && !client.touch) {
        client.touch = wl_seat_get_touch(seat);
        wl_touch_add_listener(client.touch, &touchListener, &client);
    } else if (!(has & WL_SEAT_CAPABILITY_TOUCH)) {
        releaseDevice(client.touch, wl_touch_release, wl_touch_destroy, client.seatVersion);
    }
}

void seatName(void*, wl_seat*, const char*) {}

const wl_seat_listener seatListener = {capabilities, seatName};

}  // namespace

void listenToSeat(WlClient& client, uint32_t name, uint32_t offered) {
    client.seatVersion = std::min(offered, seatVersion);
    client.seat =
        static_cast<wl_seat*>(wl_registry_bind(client.registry, name, &wl_seat_interface, client.seatVersion));
    wl_seat_add_listener(client.seat, &seatListener, &client);
}

void dropSeat(WlClient& client) {
    if (!client.seat)
        return;
    releaseDevices(client);
    if (client.seatVersion >= WL_SEAT_RELEASE_SINCE_VERSION)
        wl_seat_release(client.seat);
    else
        wl_seat_destroy(client.seat);
    client.seat = nullptr;
}

void rearmWakeRule(WlClient& client) {
    client.wakeRule = WakeRule{};
    client.woken = false;
}
