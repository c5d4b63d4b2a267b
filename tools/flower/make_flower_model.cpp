// Writes the flower model: the shared outline plus two inside points, triangulated,
// as an MQO text document with CR LF line ends.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "FlowerOutline.h"
#include "FlowerTriangulation.h"

namespace {

// The model carries two points inside the outline, near its centre.
const FlowerPoint insidePoints[] = {{0.0, 9.0}, {0.0, -9.0}};

std::string vertexLine(double x, double y) {
    char line[96];
    std::snprintf(line, sizeof line, "\t\t%.4f %.4f 0.0000", x, y);
    return line;
}

std::string faceLine(const Triangle& triangle) {
    char line[96];
    std::snprintf(line, sizeof line, "\t\t3 V(%d %d %d) M(0)", triangle[0], triangle[1], triangle[2]);
    return line;
}

// Coordinates print with four decimals; a negative zero would print as "-0.0000".
double tidy(double value) {
    const double rounded = std::round(value * 10000.0) / 10000.0;
    return rounded == 0.0 ? 0.0 : rounded;
}

std::string modelDocument(const std::vector<FlowerPoint>& points, const std::vector<Triangle>& triangles) {
    std::vector<std::string> lines = {
        "Metasequoia Document",
        "Format Text Ver 1.0",
        "",
        "Scene {",
        "\tpos 0.0000 0.0000 1500.0000",
        "\tlookat 0.0000 0.0000 0.0000",
        "\thead -0.5236",
        "\tpich 0.5236",
        "\tortho 0",
        "\tzoom2 5.0000",
        "\tamb 0.250 0.250 0.250",
        "}",
        "BackImage {",
        "\tpers \"C:\\petalrain\\outline.bmp\" -100.000 -100.000 200.000 200.000",
        "}",
        "Material 1 {",
        "\t\"petal\" col(0.227 1.000 0.110 1.000) dif(0.800) amb(0.600) emi(0.000) spc(0.000) power(5.00)",
        "}",
        "Object \"obj1\" {",
        "\tvisible 15",
        "\tlocking 0",
        "\tshading 1",
        "\tfacet 59.5",
        "\tcolor 0.898 0.498 0.698",
        "\tcolor_type 0",
        "\tvertex " + std::to_string(points.size()) + " {",
    };
    for (const FlowerPoint& point : points)
        lines.push_back(vertexLine(tidy(point.x), tidy(point.y)));
    lines.push_back("\t}");
    lines.push_back("\tface " + std::to_string(triangles.size()) + " {");
    for (const Triangle& triangle : triangles)
        lines.push_back(faceLine(triangle));
    lines.push_back("\t}");
    lines.push_back("}");
    lines.push_back("Eof");

    std::string document;
    for (const std::string& line : lines)
        document += line + "\r\n";
    return document;
}

double smallestAngle(const std::vector<FlowerPoint>& points, const std::vector<Triangle>& triangles) {
    double smallest = 180.0;
    for (const Triangle& triangle : triangles) {
        for (int corner = 0; corner < 3; ++corner) {
            const FlowerPoint& at = points[triangle[corner]];
            const FlowerPoint& next = points[triangle[(corner + 1) % 3]];
            const FlowerPoint& previous = points[triangle[(corner + 2) % 3]];
            const double ux = next.x - at.x, uy = next.y - at.y;
            const double vx = previous.x - at.x, vy = previous.y - at.y;
            const double angle = std::atan2(std::fabs(ux * vy - uy * vx), ux * vx + uy * vy);
            smallest = std::fmin(smallest, angle * 180.0 / 3.14159265358979323846);
        }
    }
    return smallest;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_flower_model OUTPUT.mqo\n");
        return 2;
    }
    std::vector<FlowerPoint> points = flowerOutline();
    const int outlineCount = static_cast<int>(points.size());
    points.insert(points.end(), std::begin(insidePoints), std::end(insidePoints));
    const std::vector<Triangle> triangles = triangulateFlower(points, outlineCount);

    const std::string document = modelDocument(points, triangles);
    FILE* file = std::fopen(argv[1], "wb");
    if (!file || std::fwrite(document.data(), 1, document.size(), file) != document.size() ||
        std::fclose(file) != 0) {
        std::fprintf(stderr, "make_flower_model: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %zu vertices, %zu triangles, %zu bytes, smallest angle %.1f degrees\n", argv[1],
                points.size(), triangles.size(), document.size(), smallestAngle(points, triangles));
    return 0;
}
