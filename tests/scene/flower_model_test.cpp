// The model the program carries: its document structure and the soundness of its mesh.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ScenePlatform.h"

namespace {

struct Point {
    double x, y, z;
};

struct ModelText {
    std::string text;
    std::vector<std::string> lines;  // without their CR LF
};

ModelText embeddedModel() {
    const EmbeddedModel model = sceneEmbeddedModel();
    ModelText result;
    if (!model.bytes)
        return result;
    result.text.assign(static_cast<const char*>(model.bytes), model.size);
    size_t start = 0;
    for (size_t end; (end = result.text.find("\r\n", start)) != std::string::npos; start = end + 2)
        result.lines.push_back(result.text.substr(start, end - start));
    return result;
}

size_t indexOf(const std::vector<std::string>& lines, const std::string& line) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == line)
            return i;
    return lines.size();
}

double cross(const Point& a, const Point& b, const Point& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

double cornerAngle(const Point& at, const Point& next, const Point& previous) {
    const double ux = next.x - at.x, uy = next.y - at.y;
    const double vx = previous.x - at.x, vy = previous.y - at.y;
    return std::atan2(std::fabs(ux * vy - uy * vx), ux * vx + uy * vy) * 180.0 / 3.14159265358979323846;
}

class FlowerModelTest : public ::testing::Test {
protected:
    static constexpr int outlineCount = 110;
    static constexpr int vertexCount = 112;
    static constexpr int faceCount = 112;

    void SetUp() override {
        model = embeddedModel();
        ASSERT_FALSE(model.lines.empty()) << "the program carries no model";
        const size_t vertexLine = indexOf(model.lines, "\tvertex 112 {");
        const size_t faceLine = indexOf(model.lines, "\tface 112 {");
        ASSERT_LT(vertexLine + vertexCount, model.lines.size());
        ASSERT_LT(faceLine + faceCount, model.lines.size());
        for (int i = 1; i <= vertexCount; ++i) {
            Point p{};
            ASSERT_EQ(std::sscanf(model.lines[vertexLine + i].c_str(), "%lf %lf %lf", &p.x, &p.y, &p.z), 3);
            points.push_back(p);
        }
        for (int i = 1; i <= faceCount; ++i) {
            int corners = 0, a = -1, b = -1, c = -1, material = -1, used = 0;
            const std::string& line = model.lines[faceLine + i];
            ASSERT_EQ(std::sscanf(line.c_str(), " %d V(%d %d %d) M(%d)%n", &corners, &a, &b, &c, &material, &used), 5)
                << line;
            ASSERT_EQ(static_cast<size_t>(used), line.size()) << "no UV or other trailing data: " << line;
            ASSERT_EQ(corners, 3);
            ASSERT_EQ(material, 0);
            for (int index : {a, b, c})
                ASSERT_TRUE(index >= 0 && index < vertexCount) << line;
            triangles.push_back({a, b, c});
        }
    }

    ModelText model;
    std::vector<Point> points;
    std::vector<std::vector<int>> triangles;
};

}  // namespace

TEST_F(FlowerModelTest, DocumentHasTheExpectedChunks) {
    const std::vector<std::string>& lines = model.lines;
    EXPECT_EQ(model.text.size(), model.text.rfind("Eof\r\n") + 5) << "the document ends with Eof and CR LF";
    EXPECT_EQ(model.text.find('\n'), model.text.find("\r\n") + 1);
    size_t bareFeeds = 0;
    for (size_t i = 0; i < model.text.size(); ++i)
        bareFeeds += model.text[i] == '\n' && (i == 0 || model.text[i - 1] != '\r');
    EXPECT_EQ(bareFeeds, 0u) << "every line ends in CR LF";
    EXPECT_GT(model.text.size(), 5000u);
    EXPECT_LT(model.text.size(), 9000u);

    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Metasequoia Document");
    EXPECT_EQ(lines[1], "Format Text Ver 1.0");
    const size_t scene = indexOf(lines, "Scene {");
    const size_t backImage = indexOf(lines, "BackImage {");
    const size_t material = indexOf(lines, "Material 1 {");
    const size_t object = indexOf(lines, "Object \"obj1\" {");
    EXPECT_LT(scene, backImage);
    EXPECT_LT(backImage, material);
    EXPECT_LT(material, object);
    ASSERT_LT(object, lines.size());

    const std::string colour = "col(0.227 1.000 0.110 1.000) dif(0.800) amb(0.600) emi(0.000) spc(0.000) power(5.00)";
    const std::string& materialLine = lines[material + 1];
    EXPECT_NE(materialLine.find(colour), std::string::npos) << materialLine;
    EXPECT_EQ(materialLine.find("tex("), std::string::npos);
    EXPECT_EQ(lines[material + 2], "}") << "one material only";
    int objects = 0, materials = 0;
    for (const std::string& line : lines) {
        objects += line.find("Object") != std::string::npos;
        materials += line.find("Material") != std::string::npos;
    }
    EXPECT_EQ(objects, 1) << "a stray Object word would open another object";
    EXPECT_EQ(materials, 1);

    EXPECT_LT(object, indexOf(lines, "\tvisible 15"));
    EXPECT_LT(object, indexOf(lines, "\tshading 1"));
    EXPECT_LT(object, indexOf(lines, "\tfacet 59.5"));
}

TEST_F(FlowerModelTest, ModelIsFlatAndAboutTwoHundredUnitsAcross) {
    double left = 0, right = 0, bottom = 0, top = 0;
    for (const Point& p : points) {
        EXPECT_EQ(p.z, 0.0);
        left = std::fmin(left, p.x);
        right = std::fmax(right, p.x);
        bottom = std::fmin(bottom, p.y);
        top = std::fmax(top, p.y);
    }
    EXPECT_NEAR(right - left, 200.0, 20.0);
    EXPECT_NEAR(top - bottom, 200.0, 30.0);
    EXPECT_NEAR(left + right, 0.0, 5.0) << "centred";
}

TEST_F(FlowerModelTest, TrianglesTileTheOutlineFacingTheCamera) {
    // Counter-clockwise with x to the right is clockwise on screen, where world x runs
    // to the left: the front face that the model draw declares.
    double triangleArea = 0.0;
    double smallestAngle = 180.0;
    std::map<std::pair<int, int>, int> edges;
    for (const std::vector<int>& t : triangles) {
        const double doubledArea = cross(points[t[0]], points[t[1]], points[t[2]]);
        EXPECT_GT(doubledArea, 1.0) << "degenerate or wound the other way: " << t[0] << " " << t[1] << " " << t[2];
        triangleArea += doubledArea / 2.0;
        for (int k = 0; k < 3; ++k) {
            ++edges[{t[k], t[(k + 1) % 3]}];
            smallestAngle = std::fmin(smallestAngle,
                                      cornerAngle(points[t[k]], points[t[(k + 1) % 3]], points[t[(k + 2) % 3]]));
        }
    }
    EXPECT_GE(smallestAngle, 10.0) << "sliver triangles";

    double outlineArea = 0.0;
    for (int i = 0; i < outlineCount; ++i) {
        const Point& a = points[i];
        const Point& b = points[(i + 1) % outlineCount];
        outlineArea += (a.x * b.y - b.x * a.y) / 2.0;
    }
    EXPECT_GT(outlineArea, 10000.0) << "the outline runs counter-clockwise";
    EXPECT_NEAR(triangleArea, outlineArea, 1e-6 * outlineArea) << "gaps or overlaps";

    // Each outline edge belongs to one triangle, each inner edge to two, once in each direction.
    for (const auto& [edge, count] : edges) {
        EXPECT_EQ(count, 1) << edge.first << "-" << edge.second;
        const bool onOutline = edge.first < outlineCount && edge.second == (edge.first + 1) % outlineCount;
        EXPECT_EQ(edges.count({edge.second, edge.first}), onOutline ? 0u : 1u) << edge.first << "-" << edge.second;
    }
    for (int i = 0; i < outlineCount; ++i)
        EXPECT_EQ(edges.count({i, (i + 1) % outlineCount}), 1u) << "outline edge " << i << " missing";
}
