// The saver's hold on the input: the keyboard and pointer grabbed with the cursor hidden, so
// that the input that ends it reaches no other window.
#pragma once

#include <X11/Xlib.h>

#include "WakeRule.h"

// Grabs the keyboard and the pointer on the root window, before the saver's window shows,
// with an empty cursor. Another client's grab (an open menu, a locker) is waited out for
// about a second, as XScreenSaver does; false when it still holds one, with nothing grabbed.
bool grabInput(Display* display);

void releaseInput(Display* display);

// Where the pointer stands as the saver appears: the start of the motion rule.
void placePointer(Display* display, WakeRule& rule);

// True for the input that ends the saver: a key, a button, or motion by the rule (in root
// coordinates, so that every monitor counts alike).
bool endsSaver(const XEvent& event, WakeRule& rule);
