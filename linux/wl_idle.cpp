#include "wl_idle.h"

#include <wayland-client.h>

#include "ext-idle-notify-v1-client-protocol.h"
#include "kde-idle-client-protocol.h"
#include "wl_client.h"

namespace {

void extIdled(void* data, ext_idle_notification_v1*) {
    idleBegan(static_cast<WlClient*>(data)->idle);
}

void extResumed(void* data, ext_idle_notification_v1*) {
    idleEnded(static_cast<WlClient*>(data)->idle);
}

const ext_idle_notification_v1_listener extListener = {extIdled, extResumed};

void kdeIdled(void* data, org_kde_kwin_idle_timeout*) {
    idleBegan(static_cast<WlClient*>(data)->idle);
}

void kdeResumed(void* data, org_kde_kwin_idle_timeout*) {
    idleEnded(static_cast<WlClient*>(data)->idle);
}

const org_kde_kwin_idle_timeout_listener kdeListener = {kdeIdled, kdeResumed};

}  // namespace

IdleProtocol chooseIdleProtocol(bool extOffered, bool kdeOffered) {
    return extOffered ? IdleProtocol::Ext : kdeOffered ? IdleProtocol::Kde : IdleProtocol::None;
}

void idleBegan(IdleState& state) {
    state.idle = true;
}

void idleEnded(IdleState& state) {
    state.idle = false;
}

bool saverDue(const IdleState& state, bool inhibited) {
    return state.idle && !inhibited;
}

IdleProtocol offeredIdleProtocol(const WlClient& client) {
    return chooseIdleProtocol(client.idleNotifier != nullptr, client.kdeIdle != nullptr);
}

// Made anew after each showing: the next one then comes the timeout after the input that
// ended it, whether or not the old notification's resumed has come yet.
void watchIdle(WlClient& client) {
    dropIdleWatch(client);
    switch (offeredIdleProtocol(client)) {
        case IdleProtocol::Ext:
            client.idleNotification =
                ext_idle_notifier_v1_get_idle_notification(client.idleNotifier, client.idleMs, client.seat);
            ext_idle_notification_v1_add_listener(client.idleNotification, &extListener, &client);
            break;
        case IdleProtocol::Kde:
            client.kdeIdleTimeout = org_kde_kwin_idle_get_idle_timeout(client.kdeIdle, client.seat, client.idleMs);
            org_kde_kwin_idle_timeout_add_listener(client.kdeIdleTimeout, &kdeListener, &client);
            break;
        case IdleProtocol::None:
            break;
    }
}

void dropIdleWatch(WlClient& client) {
    if (client.idleNotification)
        ext_idle_notification_v1_destroy(client.idleNotification);
    if (client.kdeIdleTimeout)
        org_kde_kwin_idle_timeout_release(client.kdeIdleTimeout);
    client.idleNotification = nullptr;
    client.kdeIdleTimeout = nullptr;
    idleEnded(client.idle);
}
