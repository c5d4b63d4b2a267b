#include "FlowerTriangulation.h"

#include <cstddef>
#include <stdexcept>

namespace {

double orientation(const FlowerPoint& a, const FlowerPoint& b, const FlowerPoint& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Positive when d lies inside the circle through the counter-clockwise a, b, c.
double inCircle(const FlowerPoint& a, const FlowerPoint& b, const FlowerPoint& c, const FlowerPoint& d) {
    const double ax = a.x - d.x, ay = a.y - d.y;
    const double bx = b.x - d.x, by = b.y - d.y;
    const double cx = c.x - d.x, cy = c.y - d.y;
    return (ax * ax + ay * ay) * (bx * cy - cx * by) - (bx * bx + by * by) * (ax * cy - cx * ay) +
           (cx * cx + cy * cy) * (ax * by - bx * ay);
}

bool contains(const std::vector<FlowerPoint>& points, const Triangle& triangle, const FlowerPoint& p) {
    for (int i = 0; i < 3; ++i)
        if (orientation(points[triangle[i]], points[triangle[(i + 1) % 3]], p) <= 0.0)
            return false;
    return true;
}

// Splits the triangle holding the point into three.
void insertPoint(const std::vector<FlowerPoint>& points, std::vector<Triangle>& triangles, int point) {
    for (Triangle& triangle : triangles) {
        if (!contains(points, triangle, points[point]))
            continue;
        const Triangle whole = triangle;
        triangle = {whole[0], whole[1], point};
        triangles.push_back({whole[1], whole[2], point});
        triangles.push_back({whole[2], whole[0], point});
        return;
    }
    throw std::runtime_error("inside point lies on an edge or outside the outline");
}

// Finds where triangle `other` holds the edge b -> a (the reverse of one of `first`'s edges).
bool sharedEdge(const Triangle& first, const Triangle& other, int& edge, int& otherEdge) {
    for (edge = 0; edge < 3; ++edge)
        for (otherEdge = 0; otherEdge < 3; ++otherEdge)
            if (first[edge] == other[(otherEdge + 1) % 3] && first[(edge + 1) % 3] == other[otherEdge])
                return true;
    return false;
}

// One pass of Lawson flips; outline edges belong to one triangle only and never flip.
bool flipOnce(const std::vector<FlowerPoint>& points, std::vector<Triangle>& triangles) {
    for (size_t i = 0; i < triangles.size(); ++i) {
        for (size_t j = i + 1; j < triangles.size(); ++j) {
            int edge = 0, otherEdge = 0;
            if (!sharedEdge(triangles[i], triangles[j], edge, otherEdge))
                continue;
            const int a = triangles[i][edge];
            const int b = triangles[i][(edge + 1) % 3];
            const int c = triangles[i][(edge + 2) % 3];
            const int d = triangles[j][(otherEdge + 2) % 3];
            const bool convex = orientation(points[c], points[d], points[a]) *
                                    orientation(points[c], points[d], points[b]) < 0.0;
            if (!convex || inCircle(points[a], points[b], points[c], points[d]) <= 1e-9)
                continue;
            triangles[i] = {a, d, c};
            triangles[j] = {d, b, c};
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<Triangle> triangulateFlower(const std::vector<FlowerPoint>& points, int outlineCount) {
    const int centre = outlineCount;
    std::vector<Triangle> triangles;
    for (int i = 0; i < outlineCount; ++i)
        triangles.push_back({i, (i + 1) % outlineCount, centre});
    for (int point = centre + 1; point < static_cast<int>(points.size()); ++point)
        insertPoint(points, triangles, point);
    while (flipOnce(points, triangles)) {
    }
    return triangles;
}
