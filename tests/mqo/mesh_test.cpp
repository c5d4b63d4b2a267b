// Mesh building from parsed records held in memory (no OpenGL: buffers are off).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "MqoLoader.h"
#include "MqoMesh.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct ParsedObject {
    std::vector<MqoVec3> vertices;
    std::vector<MqoFace> faces;
    MqoObjectData data{};

    const MqoObjectData& view() {
        data.vertexCount = static_cast<int>(vertices.size());
        data.faceCount = static_cast<int>(faces.size());
        data.vertices = vertices.data();
        data.faces = faces.data();
        return data;
    }
};

MqoFace triangle(int a, int b, int c, int material) {
    MqoFace face{};
    face.cornerCount = 3;
    face.material = material;
    face.vertexIndex[0] = a;
    face.vertexIndex[1] = b;
    face.vertexIndex[2] = c;
    return face;
}

MqoMaterial plainMaterial(float r, float g, float b) {
    MqoMaterial material{};
    const float colour[4] = {r, g, b, 1.0f};
    std::memcpy(material.diffuse, colour, sizeof colour);
    material.power = 5.0f;
    return material;
}

bool sameVec(const float* v, const MqoVec3& expected) {
    return v[0] == expected.x && v[1] == expected.y && v[2] == expected.z;
}

// Every build here runs with buffers off and frees what it built.
class MeshTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedState = mqoLoaderState;
        mqoLoaderState.buffersSupported = 0;
    }
    void TearDown() override {
        mqoReleaseModelBuffers(&model, 0, 1);
        mqoLoaderState = savedState;
    }
    void build(ParsedObject& object, const MqoMaterial* materials, int materialCount, double scale = 1.0) {
        mqoBuildObjects(&model, &object.view(), 1, materials, materialCount, scale);
    }

    MqoLoaderState savedState{};
    MqoModel model{};
};

TEST(MqoFaceNormalTest, UnitNormalOnClockwiseSideAndZeroWhenDegenerate) {
    const MqoVec3 n = mqoFaceNormal({0, 0, 0}, {0, 2, 0}, {2, 0, 0});
    EXPECT_FLOAT_EQ(n.x, 0.0f);
    EXPECT_FLOAT_EQ(n.y, 0.0f);
    EXPECT_FLOAT_EQ(n.z, 1.0f);

    for (const MqoVec3& n0 : {mqoFaceNormal({1, 1, 1}, {1, 1, 1}, {1, 1, 1}),
                              mqoFaceNormal({0, 0, 0}, {1, 1, 1}, {2, 2, 2}),
                              mqoFaceNormal({0, 0, 0}, {3e38f, 0, 0}, {0, 3e38f, 0})}) {
        EXPECT_EQ(n0.x, 0.0f);
        EXPECT_EQ(n0.y, 0.0f);
        EXPECT_EQ(n0.z, 0.0f);
    }
}

TEST_F(MeshTest, FlowerLikeObjectBecomesOneBatchOfPlainVertices) {
    ParsedObject flower;
    std::snprintf(flower.data.name, sizeof flower.data.name, "\"obj1\"");
    flower.data.visible = 15;
    flower.data.shading = 1;
    flower.data.facet = 59.5f;
    flower.vertices.push_back({0, 0, 0});
    for (int i = 0; i < 112; ++i) {
        const double angle = 2 * kPi * i / 112;
        flower.vertices.push_back({static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle)), 0});
    }
    for (int i = 0; i < 112; ++i)
        flower.faces.push_back(triangle(0, 1 + (i + 1) % 112, 1 + i, 0));
    const MqoMaterial material = plainMaterial(0.227f * 0.8f, 0.8f, 0.110f * 0.8f);

    build(flower, &material, 1, 0.015);

    ASSERT_EQ(model.objectCount, 1);
    const MqoDrawObject& object = model.objects[0];
    EXPECT_STREQ(object.name, "\"obj1\"");
    EXPECT_EQ(object.visible, 15);
    EXPECT_EQ(object.flatShading, 0);
    ASSERT_EQ(object.batchCount, 1);
    const MqoMaterialBatch& batch = object.batches[0];
    EXPECT_EQ(batch.hasMaterial, 1);
    EXPECT_EQ(batch.useTexture, 0);
    EXPECT_EQ(batch.vertexCount, 336);
    ASSERT_NE(batch.plainVertices, nullptr);
    EXPECT_EQ(batch.texturedVertices, nullptr);
    EXPECT_EQ(batch.bufferId, 0u);
    EXPECT_EQ(0, std::memcmp(batch.diffuse, material.diffuse, sizeof batch.diffuse));
    EXPECT_EQ(batch.power, 5.0f);
    // Second corner of the first face: vertex 2 scaled.
    EXPECT_FLOAT_EQ(batch.plainVertices[1].position[0], static_cast<float>(flower.vertices[2].x * 0.015));
    EXPECT_FLOAT_EQ(batch.plainVertices[1].position[1], static_cast<float>(flower.vertices[2].y * 0.015));
    for (int i = 0; i < batch.vertexCount; ++i)
        EXPECT_FLOAT_EQ(std::fabs(batch.plainVertices[i].normal[2]), 1.0f) << i;
}

TEST_F(MeshTest, QuadSplitsIntoCorners012And023WithTheirUvs) {
    ParsedObject quad;
    quad.data.facet = 59.5f;
    quad.vertices = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
    MqoFace face{};
    face.cornerCount = 4;
    face.material = 0;
    for (int c = 0; c < 4; ++c) {
        face.vertexIndex[c] = c;
        face.uv[c * 2] = 0.1f * (c + 1);
        face.uv[c * 2 + 1] = 0.5f + 0.1f * c;
    }
    quad.faces = {face};
    MqoMaterial material = plainMaterial(1, 1, 1);
    material.useTexture = 1;
    material.textureId = 7;

    build(quad, &material, 1, 2.0);

    ASSERT_EQ(model.objects[0].batchCount, 1);
    const MqoMaterialBatch& batch = model.objects[0].batches[0];
    EXPECT_EQ(batch.useTexture, 1);
    EXPECT_EQ(batch.textureId, 7u);
    ASSERT_EQ(batch.vertexCount, 6);
    ASSERT_NE(batch.texturedVertices, nullptr);
    EXPECT_EQ(batch.plainVertices, nullptr);
    const int corners[6] = {0, 1, 2, 0, 2, 3};
    for (int i = 0; i < 6; ++i) {
        const MqoTexturedVertex& v = batch.texturedVertices[i];
        const MqoVec3& p = quad.vertices[corners[i]];
        EXPECT_TRUE(sameVec(v.position, {p.x * 2, p.y * 2, p.z * 2})) << i;
        EXPECT_EQ(v.texCoord[0], face.uv[corners[i] * 2]) << i;
        EXPECT_EQ(v.texCoord[1], face.uv[corners[i] * 2 + 1]) << i;
        EXPECT_TRUE(sameVec(v.normal, {0, 0, 1})) << i;
    }
}

// Two triangles folded along the x axis: the first lies in z = 0, the second is
// turned by foldDegrees about the shared edge (vertices 0 and 1).
ParsedObject fold(double foldDegrees, float facet) {
    ParsedObject object;
    object.data.facet = facet;
    const double a = foldDegrees * kPi / 180;
    object.vertices = {{0, 0, 0},
                       {1, 0, 0},
                       {0, 1, 0},
                       {0, static_cast<float>(-std::cos(a)), static_cast<float>(std::sin(a))}};
    object.faces = {triangle(0, 2, 1, 0), triangle(0, 1, 3, 0)};
    return object;
}

TEST_F(MeshTest, CreaseAngleChoosesFaceOrVertexNormalAtSharedCorners) {
    const MqoMaterial material = plainMaterial(1, 1, 1);
    struct Case {
        float facet;
        bool expectFaceNormal;
    };
    // A right-angle fold puts the vertex normal 45 degrees from each face normal.
    for (const Case& c : {Case{59.5f, false}, Case{30.0f, true}, Case{0.0f, true}, Case{180.0f, false},
                          Case{720.0f, false}, Case{-1.0f, true}}) {
        ParsedObject object = fold(90, c.facet);
        const MqoVec3 firstFace = mqoFaceNormal(object.vertices[0], object.vertices[2], object.vertices[1]);
        MqoVec3* smoothed = mqoComputeVertexNormals(object.view());
        ASSERT_NE(smoothed, nullptr);
        EXPECT_NEAR(firstFace.x * smoothed[0].x + firstFace.y * smoothed[0].y + firstFace.z * smoothed[0].z,
                    std::sqrt(0.5), 1e-6);

        build(object, &material, 1);
        const MqoPlainVertex* v = model.objects[model.objectCount - 1].batches[0].plainVertices;
        // Corner 0 of the first triangle is vertex 0, corner 1 is vertex 2 (not shared).
        EXPECT_TRUE(sameVec(v[0].normal, c.expectFaceNormal ? firstFace : smoothed[0])) << "facet " << c.facet;
        EXPECT_TRUE(sameVec(v[1].normal, smoothed[2])) << "facet " << c.facet;
        std::free(smoothed);
    }
}

// The shortcut taken for speed must choose exactly as arccos in degrees would.
TEST_F(MeshTest, CreaseChoiceAgreesWithArccosEverywhere) {
    const MqoMaterial material = plainMaterial(1, 1, 1);
    std::vector<float> facets = {-5.0f, 250.0f, NAN};
    for (float facet = 0; facet <= 180; facet += 0.5f)
        facets.push_back(facet);
    for (double foldDegrees = 1; foldDegrees < 180; foldDegrees += 7) {
        for (float facet : facets) {
            ParsedObject object = fold(foldDegrees, facet);
            MqoVec3* smoothed = mqoComputeVertexNormals(object.view());
            ASSERT_NE(smoothed, nullptr);
            build(object, &material, 1);
            const MqoMaterialBatch& batch = model.objects[model.objectCount - 1].batches[0];
            const int corners[6] = {0, 2, 1, 0, 1, 3};
            for (int i = 0; i < 6; ++i) {
                const int t = i / 3;
                const MqoVec3 fn = t == 0 ? mqoFaceNormal(object.vertices[0], object.vertices[2], object.vertices[1])
                                          : mqoFaceNormal(object.vertices[0], object.vertices[1], object.vertices[3]);
                const MqoVec3& vn = smoothed[corners[i]];
                const float d = vn.x * fn.x + vn.y * fn.y + vn.z * fn.z;
                const bool crease = d >= -1 && d <= 1 && std::acos(double(d)) * (180 / kPi) > facet;
                ASSERT_TRUE(sameVec(batch.plainVertices[i].normal, crease ? fn : vn))
                    << "fold " << foldDegrees << " facet " << facet << " vertex " << i;
            }
            std::free(smoothed);
            mqoReleaseModelBuffers(&model, 0, 1);
            model = {};
        }
    }
}

// Two faces back to back cancel in the vertex normals: d = 0, so theta is exactly 90.
TEST_F(MeshTest, ZeroVertexNormalCreasesOnlyBelowNinetyDegrees) {
    const MqoMaterial material = plainMaterial(1, 1, 1);
    for (float facet : {90.0f, 89.99f}) {
        ParsedObject object;
        object.data.facet = facet;
        object.vertices = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}};
        object.faces = {triangle(0, 1, 2, 0), triangle(0, 2, 1, 0)};
        build(object, &material, 1);
        const MqoPlainVertex& corner = model.objects[model.objectCount - 1].batches[0].plainVertices[0];
        EXPECT_TRUE(sameVec(corner.normal, facet == 90.0f ? MqoVec3{0, 0, 0} : MqoVec3{0, 0, 1})) << facet;
    }
}

TEST_F(MeshTest, BatchesFollowTheHighestMaterialUsed) {
    ParsedObject object;
    object.vertices = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}};
    object.faces = {triangle(0, 1, 2, 2), triangle(0, 1, 2, 0), triangle(0, 1, 2, 2), triangle(0, 1, 2, -1)};
    const MqoMaterial materials[4] = {plainMaterial(1, 0, 0), plainMaterial(0, 1, 0), plainMaterial(0, 0, 1),
                                      plainMaterial(1, 1, 1)};

    build(object, materials, 4);

    const MqoDrawObject& built = model.objects[0];
    ASSERT_EQ(built.batchCount, 3);
    EXPECT_EQ(built.batches[0].vertexCount, 3);
    EXPECT_EQ(built.batches[1].vertexCount, 0);
    EXPECT_EQ(built.batches[1].plainVertices, nullptr);
    EXPECT_EQ(built.batches[1].hasMaterial, 1);
    EXPECT_EQ(built.batches[2].vertexCount, 6);
    EXPECT_EQ(built.batches[2].diffuse[2], 1.0f);
}

TEST_F(MeshTest, WithoutMaterialListOnlyMaterialZeroMakesABatch) {
    ParsedObject unnamed;
    unnamed.vertices = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}};
    unnamed.faces = {triangle(0, 1, 2, -1), triangle(0, 2, 1, -1)};
    build(unnamed, nullptr, 0);
    EXPECT_EQ(model.objects[0].batchCount, 0);
    EXPECT_EQ(model.objects[0].batches, nullptr);

    ParsedObject named = unnamed;
    named.faces = {triangle(0, 1, 2, 0), triangle(0, 1, 2, 1)};  // no material 1 without a list
    build(named, nullptr, 0);
    const MqoDrawObject& built = model.objects[1];
    ASSERT_EQ(built.batchCount, 1);
    EXPECT_EQ(built.batches[0].hasMaterial, 0);
    EXPECT_EQ(built.batches[0].useTexture, 0);
    EXPECT_EQ(built.batches[0].vertexCount, 3);
    EXPECT_NE(built.batches[0].plainVertices, nullptr);
}

TEST_F(MeshTest, FacesOutsideTheTablesAreLeftOut) {
    ParsedObject object;
    object.data.facet = 180;
    object.vertices = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {5, 5, 5}, {7, 7, 7}};
    object.faces = {
        triangle(0, 1, 2, 0),
        triangle(0, 1, 5, 0),        // vertex beyond the list
        triangle(-1, 1, 2, 0),       // negative vertex
        triangle(0, 1, 2, 3),        // material beyond the table
        triangle(3, 3, 3, 0),        // degenerate: zero normal
        triangle(0, 4, 2, -1),       // no material: shapes normals only
    };
    MqoFace quad = triangle(0, 1, 2, 0);
    quad.cornerCount = 4;
    quad.vertexIndex[3] = 99;  // fourth corner outside
    object.faces.push_back(quad);
    const MqoMaterial materials[2] = {plainMaterial(1, 0, 0), plainMaterial(0, 1, 0)};

    MqoVec3* normals = mqoComputeVertexNormals(object.view());
    ASSERT_NE(normals, nullptr);
    EXPECT_TRUE(normals[3].x == 0 && normals[3].y == 0 && normals[3].z == 0);
    EXPECT_GT(std::fabs(normals[4].z), 0.0f);  // used only by the face without material
    std::free(normals);

    build(object, materials, 2);
    const MqoDrawObject& built = model.objects[0];
    ASSERT_EQ(built.batchCount, 1);
    ASSERT_EQ(built.batches[0].vertexCount, 6);
    for (int i = 0; i < 6; ++i) {
        for (float component : built.batches[0].plainVertices[i].normal)
            EXPECT_FALSE(std::isnan(component)) << i;
    }
    EXPECT_TRUE(sameVec(built.batches[0].plainVertices[3].position, {5, 5, 5}));
}

TEST_F(MeshTest, FiftiethObjectIsReportedAndDropped) {
    ParsedObject object;
    object.vertices = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}};
    object.faces = {triangle(0, 1, 2, 0)};
    const MqoMaterial material = plainMaterial(1, 1, 1);
    std::vector<MqoObjectData> objects(51, object.view());
    for (int i = 0; i < 51; ++i)
        std::snprintf(objects[i].name, sizeof objects[i].name, "o%d", i);

    ::testing::internal::CaptureStdout();
    mqoBuildObjects(&model, objects.data(), 51, &material, 1, 1.0);
    std::fflush(stdout);
    const std::string printed = ::testing::internal::GetCapturedStdout();

    // "MQOファイル読み込み：　最大オブジェクト数を超えました[50]\n" in Shift_JIS.
    const std::string message =
        "MQO\x83\x74\x83\x40\x83\x43\x83\x8b\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x81\x46\x81\x40\x8d\xc5\x91\xe5"
        "\x83\x49\x83\x75\x83\x57\x83\x46\x83\x4e\x83\x67\x90\x94\x82\xf0\x92\xb4\x82\xa6\x82\xdc\x82\xb5\x82"
        "\xbd[50]\n";
    EXPECT_EQ(printed, message + message);
    EXPECT_EQ(model.objectCount, 49);
    EXPECT_STREQ(model.objects[48].name, "o48");
    EXPECT_EQ(model.objects[48].batches[0].vertexCount, 3);
    // The dropped objects left nothing behind in the spare slot.
    EXPECT_EQ(model.objects[49].batches, nullptr);
    EXPECT_EQ(model.objects[49].name[0], '\0');
}

TEST_F(MeshTest, ReleaseTwiceKeepsCountAndNames) {
    ParsedObject object;
    object.vertices = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}};
    object.faces = {triangle(0, 1, 2, 0)};
    std::snprintf(object.data.name, sizeof object.data.name, "kept");
    const MqoMaterial material = plainMaterial(1, 1, 1);
    build(object, &material, 1);

    mqoReleaseModelBuffers(&model, 0, 1);
    mqoReleaseModelBuffers(&model, 0, 1);
    mqoReleaseModelBuffers(nullptr, 0, 1);

    EXPECT_EQ(model.objectCount, 1);
    EXPECT_STREQ(model.objects[0].name, "kept");
    EXPECT_EQ(model.objects[0].batchCount, 0);
    EXPECT_EQ(model.objects[0].batches, nullptr);
}

}  // namespace
