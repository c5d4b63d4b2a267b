// Triangulates the flower outline with a few points inside it, keeping the
// smallest angles as large as the points allow.
#pragma once

#include <array>
#include <vector>

#include "FlowerOutline.h"

using Triangle = std::array<int, 3>;  // indices, counter-clockwise

// points: the outline in counter-clockwise order followed by the inside points.
// The outline must be visible from the first inside point.
std::vector<Triangle> triangulateFlower(const std::vector<FlowerPoint>& points, int outlineCount);
