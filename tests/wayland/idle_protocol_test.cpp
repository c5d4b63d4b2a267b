// The saver daemon's choice of idle protocol and when it shows, for ext-idle-notify-v1, which
// no compositor in Debian 12 offers (sway 1.7 has KDE's alone).
#include <gtest/gtest.h>

#include "wl_idle.h"

TEST(IdleProtocol, TheStandardOneFirstThenKdesThenNone) {
    EXPECT_EQ(chooseIdleProtocol(true, true), IdleProtocol::Ext);
    EXPECT_EQ(chooseIdleProtocol(true, false), IdleProtocol::Ext);
    EXPECT_EQ(chooseIdleProtocol(false, true), IdleProtocol::Kde);
    EXPECT_EQ(chooseIdleProtocol(false, false), IdleProtocol::None);
}

// The events as they come, in order: 'i' idle, 'r' resumed (or the notification made anew
// after a showing); whether the saver is due, without and with an inhibition held.
TEST(IdleProtocol, DueWhileIdleAndNotInhibited) {
    struct Case {
        const char* events;
        bool due;
    };
    const Case cases[] = {
        {"", false}, {"i", true}, {"ir", false}, {"iri", true}, {"irr", false}, {"ii", true},
    };
    for (const Case& c : cases) {
        IdleState state{};
        for (const char* at = c.events; *at; ++at)
            (*at == 'i' ? idleBegan : idleEnded)(state);
        EXPECT_EQ(saverDue(state, false), c.due) << c.events;
        EXPECT_FALSE(saverDue(state, true)) << c.events;
    }
}
