#include "OutlineField.h"

#include <algorithm>
#include <cmath>

#include "ModelTriangles.h"

namespace {

// The field reaches this far out from the outline, in texels, and the margin keeps it
// inside the texture: far enough for filtering, near enough for 8-bit steps of 1/32 texel.
constexpr double band = 4.0;
constexpr int margin = 6;

// Bounds on the work at start: a flower takes a few hundred thousand texel visits.
constexpr size_t maximumTriangles = 1u << 16;
constexpr double maximumVisits = 64.0 * 1024 * 1024;

struct Point {
    double x, y;
};

double cross(Point o, Point a, Point b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Which side of the edge from a to b the point lies on, worked out the same way for both
// triangles that share the edge, so that no texel centre on it falls between them.
double side(Point a, Point b, Point p) {
    const bool forward = a.x < b.x || (a.x == b.x && a.y < b.y);
    return forward ? cross(a, b, p) : -cross(b, a, p);
}

double segmentDistance(Point p, Point a, Point b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0.0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Texel columns or rows whose centres lie within [low, high].
void texelSpan(double low, double high, int size, int& first, int& last) {
    first = std::max(0, static_cast<int>(std::ceil(low - 0.5)));
    last = std::min(size - 1, static_cast<int>(std::floor(high - 0.5)));
}

// Texel centres inside any triangle, as the rasterizer samples pixel centres.
// The count of texels inside.
size_t markInside(const std::vector<Point>& vertices, const std::vector<unsigned>& indices, int size,
                  std::vector<uint8_t>& inside) {
    size_t count = 0;
    for (size_t t = 0; t + 2 < indices.size(); t += 3) {
        Point a = vertices[indices[t]], b = vertices[indices[t + 1]], c = vertices[indices[t + 2]];
        const double area = cross(a, b, c);
        if (area == 0.0)
            continue;
        if (area < 0.0)
            std::swap(b, c);
        int x0, x1, y0, y1;
        texelSpan(std::min({a.x, b.x, c.x}), std::max({a.x, b.x, c.x}), size, x0, x1);
        texelSpan(std::min({a.y, b.y, c.y}), std::max({a.y, b.y, c.y}), size, y0, y1);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const Point p{x + 0.5, y + 0.5};
                if (side(a, b, p) >= 0.0 && side(b, c, p) >= 0.0 && side(c, a, p) >= 0.0) {
                    count += !inside[static_cast<size_t>(y) * size + x];
                    inside[static_cast<size_t>(y) * size + x] = 1;
                }
            }
    }
    return count;
}

// The outline is made of the edges that an odd number of triangles share; a model whose
// every edge is shared, such as one drawn twice, is measured against all of them.
std::vector<std::pair<unsigned, unsigned>> outlineEdges(const std::vector<unsigned>& indices) {
    std::vector<std::pair<unsigned, unsigned>> edges;
    for (size_t t = 0; t + 2 < indices.size(); t += 3)
        for (int k = 0; k < 3; ++k) {
            const unsigned a = indices[t + k];
            const unsigned b = indices[t + (k + 1) % 3];
            if (a != b)
                edges.emplace_back(std::min(a, b), std::max(a, b));
        }
    std::sort(edges.begin(), edges.end());
    std::vector<std::pair<unsigned, unsigned>> outline;
    for (size_t i = 0; i < edges.size();) {
        size_t j = i;
        while (j < edges.size() && edges[j] == edges[i])
            ++j;
        if ((j - i) % 2 == 1)
            outline.push_back(edges[i]);
        i = j;
    }
    if (outline.empty()) {
        edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
        return edges;
    }
    return outline;
}

// The distance from each texel centre within the band to the nearest outline edge.
void measureDistances(const std::vector<Point>& vertices, const std::vector<std::pair<unsigned, unsigned>>& edges,
                      int size, std::vector<float>& distance) {
    for (const auto& [first, second] : edges) {
        const Point a = vertices[first];
        const Point b = vertices[second];
        int x0, x1, y0, y1;
        texelSpan(std::min(a.x, b.x) - band, std::max(a.x, b.x) + band, size, x0, x1);
        texelSpan(std::min(a.y, b.y) - band, std::max(a.y, b.y) + band, size, y0, y1);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                float& nearest = distance[static_cast<size_t>(y) * size + x];
                nearest = std::min(nearest, static_cast<float>(segmentDistance({x + 0.5, y + 0.5}, a, b)));
            }
    }
}

// False when no texel centre is inside.
bool drawField(const std::vector<Point>& vertices, const std::vector<unsigned>& indices,
               const std::vector<std::pair<unsigned, unsigned>>& edges, int size, std::vector<uint8_t>& texels) {
    const size_t count = static_cast<size_t>(size) * size;
    std::vector<uint8_t> inside(count, 0);
    const bool someInside = markInside(vertices, indices, size, inside) > 0;
    std::vector<float> distance(count, static_cast<float>(band));
    measureDistances(vertices, edges, size, distance);
    texels.resize(count);
    const double steps = 127.0 / band;
    for (size_t i = 0; i < count; ++i) {
        const int away = static_cast<int>(std::lround(std::min(static_cast<double>(distance[i]), band) * steps));
        texels[i] = static_cast<uint8_t>(inside[i] ? 128 + away : 127 - away);
    }
    return someInside;
}

double boxVisits(Point a, Point b, double grow) {
    return (std::fabs(b.x - a.x) + 2 * grow + 1) * (std::fabs(b.y - a.y) + 2 * grow + 1);
}

}  // namespace

const char* buildOutlineField(const MqoModel* model, int size, OutlineField& field) {
    field = OutlineField{};
    std::vector<MqoVec3> corners;
    if (const char* refusal = collectPlainCorners(model, corners))
        return refusal;
    if (corners.size() / 3 > maximumTriangles)
        return "the model has too many triangles for a sprite outline";
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    for (const MqoVec3& c : corners) {
        if (!std::isfinite(c.x) || !std::isfinite(c.y) || !std::isfinite(c.z))
            return "the model has coordinates that are not finite";
        if (c.z != corners[0].z)
            return "the model is not flat: its triangles lie at several depths";
        minX = std::min(minX, static_cast<double>(c.x));
        maxX = std::max(maxX, static_cast<double>(c.x));
        minY = std::min(minY, static_cast<double>(c.y));
        maxY = std::max(maxY, static_cast<double>(c.y));
    }
    const int inner = size - 2 * margin;
    const double texel = std::max(maxX - minX, maxY - minY) / inner;
    // A texel too small for single precision would put quad corners on one spot.
    if (inner <= 0 || !(texel > 0.0) || !std::isfinite(texel) ||
        texel < 1e-6 * std::max({std::fabs(minX), std::fabs(maxX), std::fabs(minY), std::fabs(maxY)}))
        return "the model's outline has no area to draw";

    // Texel coordinates: the outline's box centred in the field.
    const double left = (minX + maxX) / 2 - texel * size / 2;
    const double bottom = (minY + maxY) / 2 - texel * size / 2;
    std::vector<MqoVec3> merged;
    std::vector<unsigned> indices;
    mergeCorners(corners, merged, indices);
    std::vector<Point> vertices(merged.size());
    for (size_t i = 0; i < merged.size(); ++i)
        vertices[i] = {(merged[i].x - left) / texel, (merged[i].y - bottom) / texel};
    const auto edges = outlineEdges(indices);

    double visits = 0;
    for (size_t t = 0; t + 2 < indices.size(); t += 3) {
        const Point& a = vertices[indices[t]];
        const Point& b = vertices[indices[t + 1]];
        const Point& c = vertices[indices[t + 2]];
        visits += boxVisits({std::min({a.x, b.x, c.x}), std::min({a.y, b.y, c.y})},
                            {std::max({a.x, b.x, c.x}), std::max({a.y, b.y, c.y})}, 0);
    }
    for (const auto& [a, b] : edges)
        visits += boxVisits(vertices[a], vertices[b], band);
    if (visits > maximumVisits)
        return "the model's outline is too intricate for a sprite";

    if (!drawField(vertices, indices, edges, size, field.texels))
        return "the model's outline has no area to draw";
    field.size = size;
    const double reach = (band + 1) * texel;
    const double floats[] = {left, bottom, texel * size, minX - reach, maxX + reach, minY - reach, maxY + reach};
    for (double value : floats)
        if (!std::isfinite(static_cast<float>(value)))
            return "the model's outline is too large to draw";
    field.left = static_cast<float>(left);
    field.bottom = static_cast<float>(bottom);
    field.extent = static_cast<float>(texel * size);
    field.plane = corners[0].z;
    field.quad[0] = static_cast<float>(minX - reach);
    field.quad[1] = static_cast<float>(minY - reach);
    field.quad[2] = static_cast<float>(maxX + reach);
    field.quad[3] = static_cast<float>(maxY + reach);
    return nullptr;
}
