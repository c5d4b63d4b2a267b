// The fixed-function frame path: one transform and one model draw per flower.
#pragma once

// Steps and draws every flower of the scene, in array order.
void advanceAndDrawFlowers();
