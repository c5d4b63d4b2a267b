// The fixed-function frame path: one transform and one model draw per flower.
#pragma once

// Draws every flower's current step, in array order.
void drawFlowersFixed();
