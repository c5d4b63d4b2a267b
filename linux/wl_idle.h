// When a saver daemon on Wayland shows: the compositor says when the seat has been idle for
// the time asked (ext-idle-notify-v1, else KDE's older notification), and programs may hold
// inhibitions over D-Bus.
#pragma once

enum class IdleProtocol { None, Ext, Kde };

// ext-idle-notify-v1 where offered: it is the standard one, and it honours the compositor's
// idle inhibitors by definition.
IdleProtocol chooseIdleProtocol(bool extOffered, bool kdeOffered);

struct IdleState {
    bool idle;  // the compositor said idle, and no input came since
};

void idleBegan(IdleState& state);
void idleEnded(IdleState& state);  // input came, or the notification was made anew
bool saverDue(const IdleState& state, bool inhibited);
