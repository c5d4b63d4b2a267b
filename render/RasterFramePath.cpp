#include "RasterFramePath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "DrawOrder.h"
#include "OutlineField.h"
#include "RasterCompositor.h"

namespace {

// The sprite path's field: the same edges to a small part of a pixel.
constexpr int fieldSize = 512;
constexpr double degreesToRadians = 3.14159265358979323846 / 180.0;

struct RasterPath {
    RasterCompositor* compositor;  // null while the path is not set up
    RasterField field;
    float quad[4];  // left, bottom, right, top of the outline with its margin, in the model's plane
    double left, bottom, extent;
    double plane;
    DrawOrder order;
    std::unique_ptr<RasterStamp[]> stamps;
    int32_t stampCount;
    uint64_t stampedGeneration;  // of the flowers the stamps show; 0: none yet
    int32_t stampedWidth;        // of the area they were placed on
    int32_t stampedHeight;
};

RasterPath path;

// As OpenGL turns a float tint into 8 bits.
uint32_t channel(float value) {
    return static_cast<uint32_t>(std::lrint(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

// One flower's stamp on the area: pixel centres back to the field's padded texels, the
// inverse of the sprite quad's placement, perspective and viewport. False when the depth
// test or the frustum would drop it.
// focal: the projection's cotangent of half the vertical field of view.
bool placeStamp(const Flower& flower, const FlowerSet& set, const RasterView& view, double focal, RasterStamp& stamp) {
    const double z = path.plane + static_cast<double>(flower.depth * set.depthScale);
    if (!(z > view.nearPlane && z < view.farPlane))
        return false;
    const double k = focal * view.areaHeight / (2.0 * z);  // pixels per unit at the flower's depth
    const double turn = flower.angle * degreesToRadians;
    const double c = static_cast<float>(std::cos(turn)) * set.sizeFactor;
    const double s = static_cast<float>(std::sin(turn)) * set.sizeFactor;
    const double norm = c * c + s * s;
    if (!(norm > 0.0))
        return false;
    const double a = c / norm;
    const double b = s / norm;
    // The flower's offset from its centre at pixel (0, 0); x runs the other way on screen.
    const double x0 = (view.areaWidth * 0.5 - 0.5) / k - flower.x;
    const double y0 = (view.areaHeight * 0.5 - 0.5) / k - flower.y;
    const double texels = path.field.size / path.extent;
    const auto u = [&](double x, double y) { return ((a * x + b * y) - path.left) * texels + 0.5; };
    const auto v = [&](double x, double y) { return ((a * y - b * x) - path.bottom) * texels + 0.5; };
    stamp.u0 = static_cast<float>(u(x0, y0));
    stamp.v0 = static_cast<float>(v(x0, y0));
    stamp.uX = static_cast<float>(-a / k * texels);
    stamp.vX = static_cast<float>(b / k * texels);
    stamp.uY = static_cast<float>(-b / k * texels);
    stamp.vY = static_cast<float>(-a / k * texels);

    // The quad's corners on screen bound the pixels it can cover.
    double minX = HUGE_VAL, maxX = -HUGE_VAL, minY = HUGE_VAL, maxY = -HUGE_VAL;
    for (int corner = 0; corner < 4; ++corner) {
        const double qx = path.quad[corner & 1 ? 2 : 0];
        const double qy = path.quad[corner & 2 ? 3 : 1];
        const double screenX = view.areaWidth * 0.5 - k * (c * qx - s * qy + flower.x);
        const double screenY = view.areaHeight * 0.5 - k * (s * qx + c * qy + flower.y);
        minX = std::min(minX, screenX);
        maxX = std::max(maxX, screenX);
        minY = std::min(minY, screenY);
        maxY = std::max(maxY, screenY);
    }
    stamp.left = static_cast<int32_t>(std::clamp(std::floor(minX), 0.0, static_cast<double>(view.areaWidth)));
    stamp.right = static_cast<int32_t>(std::clamp(std::ceil(maxX), 0.0, static_cast<double>(view.areaWidth)));
    stamp.top = static_cast<int32_t>(std::clamp(std::floor(minY), 0.0, static_cast<double>(view.areaHeight)));
    stamp.bottom = static_cast<int32_t>(std::clamp(std::ceil(maxY), 0.0, static_cast<double>(view.areaHeight)));
    stamp.colour = channel(flower.red) << 16 | channel(flower.green) << 8 | channel(flower.blue);
    return stamp.left < stamp.right && stamp.top < stamp.bottom;
}

void placeStamps(const FlowerSet& set, const RasterView& view) {
    drawOrderSort(path.order, set.flowers);
    const double focal = 1.0 / std::tan(view.fovY * 0.5 * degreesToRadians);
    int32_t placed = 0;
    for (int32_t k = 0; k < path.order.count; ++k)
        placed += placeStamp(set.flowers[path.order.flowers[k]], set, view, focal, path.stamps[placed]);
    path.stampCount = placed;
}

int threadCount() {
    const char* asked = std::getenv("PETALRAIN_RASTER_THREADS");
    return asked ? std::max(0, std::atoi(asked)) : 0;
}

}  // namespace

bool rasterPathStart(const MqoModel* model, int32_t flowerCount, const char** reason) {
    rasterPathRelease();
    OutlineField outline;
    if ((*reason = buildOutlineField(model, fieldSize, outline)))
        return false;
    rasterFieldFrom(outline.texels.data(), outline.size, path.field);
    std::copy(outline.quad, outline.quad + 4, path.quad);
    path.left = outline.left;
    path.bottom = outline.bottom;
    path.extent = outline.extent;
    path.plane = outline.plane;
    drawOrderReset(path.order, flowerCount);
    path.stamps.reset(new RasterStamp[static_cast<size_t>(path.order.count) + 1]);
    path.compositor = rasterCompositorStart(threadCount());
    return true;
}

void rasterPathCompose(const FlowerSet& set, const RasterView& view, const RasterTarget& target) {
    if (!path.compositor)
        return;
    // A second surface shows the same step: the stamps stand as they were placed.
    if (path.stampedGeneration != set.generation || path.stampedWidth != view.areaWidth ||
        path.stampedHeight != view.areaHeight) {
        placeStamps(set, view);
        path.stampedGeneration = set.generation;
        path.stampedWidth = view.areaWidth;
        path.stampedHeight = view.areaHeight;
    }
    rasterCompose(path.compositor, path.field, path.stamps.get(), path.stampCount, target);
}

void rasterPathRelease() {
    if (path.compositor)
        rasterCompositorStop(path.compositor);
    path = RasterPath{};
}
