#include "FlowerOutline.h"

#include <cmath>

namespace {

constexpr int petalCount = 5;
constexpr int pointsPerPetal = flowerOutlinePointCount / petalCount;
constexpr double pi = 3.14159265358979323846;
constexpr double tipRadius = 100.0;
constexpr double valleyRadius = 36.0;
constexpr double notchDepth = 13.0;
constexpr double notchHalfWidth = 0.16;  // share of half a petal

// Distance from the centre at s in [-1, 1] across one petal (0: its tip, ±1: the valleys):
// a rounded petal that narrows into deep valleys, with a small notch at the tip.
double petalRadius(double s) {
    const double swell = std::sqrt(std::cos(s * pi / 2.0));
    const double notch = std::fabs(s) < notchHalfWidth ? 1.0 - std::fabs(s) / notchHalfWidth : 0.0;
    return valleyRadius + (tipRadius - valleyRadius) * swell - notchDepth * notch * notch;
}

FlowerPoint pointAt(double petalAngle, double s) {
    const double angle = petalAngle + s * pi / petalCount;
    const double radius = petalRadius(s);
    return {radius * std::cos(angle), radius * std::sin(angle)};
}

// Petal positions s of the outline points, spaced along the curve with fewer points
// towards the valleys: the nearly radial petal sides then need no thin triangles.
std::vector<double> petalSamples() {
    constexpr double valleyThinning = 0.7;
    constexpr int fine = 4000;
    std::vector<double> length(fine + 1, 0.0);
    FlowerPoint previous = pointAt(0.0, -1.0);
    for (int i = 1; i <= fine; ++i) {
        const double s = -1.0 + 2.0 * i / fine;
        const FlowerPoint point = pointAt(0.0, s);
        const double weight = 1.0 - valleyThinning * std::fabs(s);
        length[i] = length[i - 1] + weight * std::hypot(point.x - previous.x, point.y - previous.y);
        previous = point;
    }
    std::vector<double> samples;
    int j = 0;
    for (int k = 0; k < pointsPerPetal; ++k) {
        const double target = length[fine] * k / pointsPerPetal;
        while (length[j + 1] < target)
            ++j;
        const double within = (target - length[j]) / (length[j + 1] - length[j]);
        samples.push_back(-1.0 + 2.0 * (j + within) / fine);
    }
    return samples;
}

}  // namespace

std::vector<FlowerPoint> flowerOutline() {
    const std::vector<double> samples = petalSamples();
    std::vector<FlowerPoint> outline;
    outline.reserve(flowerOutlinePointCount);
    for (int petal = 0; petal < petalCount; ++petal) {
        const double petalAngle = pi / 2.0 + 2.0 * pi * petal / petalCount;
        for (double s : samples)
            outline.push_back(pointAt(petalAngle, s));
    }
    return outline;
}
