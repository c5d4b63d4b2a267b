#include "wl_layout.h"

#include <algorithm>
#include <cmath>

namespace {

int toPixels(int logical, double scale) {
    return static_cast<int>(std::lround(logical * scale));
}

}  // namespace

SceneArea sceneAreaOf(const OutputPlace* places, int count) {
    if (count <= 0)
        return {0, 0, 1.0, 0, 0};
    int left = places[0].x, top = places[0].y;
    int right = left + places[0].width, bottom = top + places[0].height;
    double scale = places[0].scale;
    for (int i = 1; i < count; ++i) {
        left = std::min(left, places[i].x);
        top = std::min(top, places[i].y);
        right = std::max(right, places[i].x + places[i].width);
        bottom = std::max(bottom, places[i].y + places[i].height);
        scale = std::max(scale, places[i].scale);
    }
    return {left, top, scale, toPixels(right - left, scale), toPixels(bottom - top, scale)};
}

ScenePart scenePartOf(const SceneArea& area, const OutputPlace& place) {
    const int left = toPixels(place.x - area.originX, area.scale);
    const int top = toPixels(place.y - area.originY, area.scale);
    return {left, top, toPixels(place.x + place.width - area.originX, area.scale) - left,
            toPixels(place.y + place.height - area.originY, area.scale) - top};
}

int pixelExtent(int logical, double scale) {
    return std::max(1, toPixels(logical, scale));
}
