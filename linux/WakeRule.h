// When input ends a saver that shows: any key, button or touch at once; pointer motion only
// after the first six motion events, as the Windows saver judges it, and then once the
// pointer stands more than 3 pixels from where it first stood on either axis.
#pragma once

struct WakeRule {
    int motions;    // motion events seen
    bool placed;    // the first position is known
    double startX;  // in the saver's one coordinate space: every output's, or the screen's
    double startY;
};

// Where the pointer stood when the saver appeared (a pointer's enter); the first of these or
// of the motions becomes the start.
void wakePointerAt(WakeRule& rule, double x, double y);

// One motion event to x, y; true when it ends the saver.
bool wakeOnMotion(WakeRule& rule, double x, double y);
