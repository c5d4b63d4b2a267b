// The outline of the five-petalled flower, shared by the model and the program icon.
#pragma once

#include <vector>

struct FlowerPoint {
    double x;
    double y;
};

constexpr int flowerOutlinePointCount = 110;

// Counter-clockwise (x right, y up), centred at the origin, about 200 units across;
// one petal points straight up. Every point is visible from the origin.
std::vector<FlowerPoint> flowerOutline();
