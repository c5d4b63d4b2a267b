// A saver that holds the keyboard must never strand the user: when its loop has not come
// back to its input for 2 s while the saver shows (a driver stuck in a frame, a swap that
// never returns), the process ends and the window system gives the input back.
#pragma once

// Starts the watch once; it sleeps while nothing shows.
void inputWatchdogStart();

// Armed only while a saver that takes the input shows.
void inputWatchdogShowing(bool showing);

// The loop is alive: called each time it comes back to its connection.
void inputWatchdogBeat();

// While armed, a loop with nothing to draw (outputs off, no frame asked for) still comes
// back well within the 2 s: waiting on the input is no stall.
bool inputWatchdogArmed();

// For tests of the above: PETALRAIN_TEST_STALL_FRAME=N in the environment makes frame N
// never end. Called by the frame loop after each frame it draws.
void stallIfAsked(long frame);
