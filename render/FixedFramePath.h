// The fixed-function frame path: one transform and one model draw per flower.
#pragma once

#include "Flower.h"
#include "MqoRecords.h"

// Draws every flower's current step, in array order.
void drawFlowersFixed(const FlowerSet& set, MqoModel* model);
