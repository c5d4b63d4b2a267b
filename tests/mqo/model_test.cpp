// Starting the loader, loading, drawing and releasing models on a hidden context.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "HeadlessGl.h"
#include "MqoByteCursor.h"
#include "MqoLoader.h"
#include "MqoMesh.h"
#include "MqoTexturePool.h"

namespace {

constexpr int kSize = 64;

struct Rgba {
    uint8_t r, g, b, a;
};

MqoFace triangle(int a, int b, int c, int material) {
    MqoFace face{};
    face.cornerCount = 3;
    face.material = material;
    face.vertexIndex[0] = a;
    face.vertexIndex[1] = b;
    face.vertexIndex[2] = c;
    face.uv[2] = 1.0f;  // corner 1 samples the texture's right half
    face.uv[5] = 1.0f;
    return face;
}

MqoMaterial material(float r, float g, float b, float a) {
    MqoMaterial m{};
    for (float* colour : {m.diffuse, m.ambient, m.specular, m.emission}) {
        colour[0] = r;
        colour[1] = g;
        colour[2] = b;
        colour[3] = a;
    }
    m.power = 5.0f;
    return m;
}

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedState = mqoLoaderState;
        ASSERT_TRUE(headlessGlOpen(kSize, kSize));
        mqoStartLoader();
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3f(1, 0, 0);
    }
    void TearDown() override {
        mqoFreeModels(model, 1);
        headlessGlClose();
        mqoLoaderState = savedState;
    }

    // One object over the middle of the view: a clockwise triangle (front under
    // GL_CW) or, with reversed, a counter-clockwise one.
    void buildTriangle(const MqoMaterial* materials, int materialCount, bool reversed = false, int visible = 1) {
        const MqoVec3 vertices[3] = {{-0.8f, -0.8f, 0}, {0, 0.8f, 0}, {0.8f, -0.8f, 0}};
        MqoFace face = reversed ? triangle(0, 2, 1, 0) : triangle(0, 1, 2, 0);
        MqoObjectData object{};
        object.visible = visible;
        object.shading = 1;
        object.facet = 59.5f;
        object.vertexCount = 3;
        object.vertices = const_cast<MqoVec3*>(vertices);
        object.faceCount = 1;
        object.faces = &face;
        if (!model)
            model = mqoAllocModels(1);
        ASSERT_NE(model, nullptr);
        mqoBuildObjects(model, &object, 1, materials, materialCount, 1.0);
    }

    GLuint makeTexture() {
        const uint8_t pixels[16] = {0, 0, 255, 255, 0, 255, 0, 255, 0, 0, 255, 255, 0, 255, 0, 255};
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        glBindTexture(GL_TEXTURE_2D, 0);
        return name;
    }

    std::vector<Rgba> readPixels() {
        std::vector<Rgba> pixels(kSize * kSize);
        headlessGlReadPixels(reinterpret_cast<uint8_t*>(pixels.data()));
        return pixels;
    }

    Rgba centre() { return readPixels()[kSize / 2 * kSize + kSize / 2]; }

    static bool isWhite(Rgba p) { return p.r == 255 && p.g == 255 && p.b == 255; }

    MqoLoaderState savedState{};
    MqoModel* model = nullptr;
};

GLint integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

TEST_F(ModelTest, ExtensionMustMatchAWholeListedName) {
    const std::string listed = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    std::vector<std::string> names;
    for (std::size_t start = 0; start < listed.size();) {
        const std::size_t end = std::min(listed.find(' ', start), listed.size());
        if (end > start)
            names.push_back(listed.substr(start, end - start));
        start = end + 1;
    }
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names)
        EXPECT_EQ(mqoHasGlExtension(name.c_str()), 1) << name;

    EXPECT_EQ(mqoHasGlExtension("GL_ARB_vertex_buffer_objec"), 0);
    EXPECT_EQ(mqoHasGlExtension("ARB_vertex_buffer_object"), 0);
    EXPECT_EQ(mqoHasGlExtension("GL_NO_such_extension"), 0);
    EXPECT_EQ(mqoHasGlExtension(""), 0);
    EXPECT_EQ(mqoHasGlExtension(nullptr), 0);
    const std::string twoNames = names.front() + " " + names.back();
    EXPECT_EQ(mqoHasGlExtension(twoNames.c_str()), 0);

    headlessGlClose();
    EXPECT_EQ(mqoHasGlExtension(names.front().c_str()), 0);  // no current context
    ASSERT_TRUE(headlessGlOpen(kSize, kSize));
}

TEST_F(ModelTest, StartFindsBufferObjectsAndEmptiesThePool) {
    mqoTexturePool.count = 3;
    mqoTexturePool.entries[0].textureId = 9;
    mqoStartLoader();
    EXPECT_EQ(mqoLoaderState.started, 1);
    EXPECT_EQ(mqoTexturePool.count, 0);
    EXPECT_EQ(mqoTexturePool.entries[0].textureId, 0u);
    ASSERT_EQ(mqoLoaderState.buffersSupported, 1) << "this context should offer buffer objects";
    EXPECT_NE(mqoLoaderState.genBuffers, nullptr);
    EXPECT_NE(mqoLoaderState.bindBuffer, nullptr);
    EXPECT_NE(mqoLoaderState.bufferData, nullptr);
    EXPECT_NE(mqoLoaderState.deleteBuffers, nullptr);

    MqoModel* models = mqoAllocModels(3);
    ASSERT_NE(models, nullptr);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(models[i].objectCount, 0);
    mqoFreeModels(models, 3);
    EXPECT_EQ(mqoAllocModels(0), nullptr);
}

TEST_F(ModelTest, FrontFaceIsClockwiseOnlyDuringTheDraw) {
    const MqoMaterial red = material(1, 0, 0, 1);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);

    buildTriangle(&red, 1);
    glFrontFace(GL_CCW);
    mqoDrawModel(model);
    EXPECT_EQ(integer(GL_FRONT_FACE), GL_CCW);
    const Rgba drawn = centre();
    EXPECT_EQ(drawn.r, 255);
    EXPECT_EQ(drawn.g, 0);

    mqoFreeModels(model, 1);
    model = nullptr;
    glClear(GL_COLOR_BUFFER_BIT);
    buildTriangle(&red, 1, true);
    glFrontFace(GL_CW);
    mqoDrawModel(model);
    EXPECT_EQ(integer(GL_FRONT_FACE), GL_CW);
    EXPECT_TRUE(isWhite(centre())) << "a counter-clockwise triangle is a back face";
}

TEST_F(ModelTest, NullModelMakesNoCallAndEmptyModelOnlyPushesAndPops) {
    glGetError();
    // Inside glBegin/glEnd nearly every call is an error: none may happen.
    glBegin(GL_TRIANGLES);
    mqoDrawModel(nullptr);
    mqoDrawModelSlot(nullptr, 4);
    glEnd();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    MqoModel empty{};
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(0.25f, 0, 0);
    GLfloat before[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    const GLint depth = integer(GL_MODELVIEW_STACK_DEPTH);
    glShadeModel(GL_FLAT);
    mqoDrawModel(&empty);
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), depth);
    EXPECT_EQ(0, std::memcmp(before, after, sizeof before));
    EXPECT_EQ(integer(GL_SHADE_MODEL), GL_FLAT);
    EXPECT_EQ(integer(GL_FRONT_FACE), GL_CCW);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ModelTest, BlendingTexturingAndBindingsComeBackAsTheyWere) {
    const GLuint texture = makeTexture();
    const GLuint previous = makeTexture();
    MqoMaterial materials[2] = {material(1, 1, 1, 1), material(0, 0, 1, 1)};
    materials[0].useTexture = 1;
    materials[0].textureId = texture;
    buildTriangle(materials, 2);
    MqoVec3 vertices[3] = {{-1, -1, 0}, {-1, 1, 0}, {1, -1, 0}};
    MqoFace face = triangle(0, 1, 2, 1);
    MqoObjectData plain{};
    plain.visible = 1;
    plain.vertexCount = 3;
    plain.vertices = vertices;
    plain.faceCount = 1;
    plain.faces = &face;
    mqoBuildObjects(model, &plain, 1, materials, 2, 1.0);
    ASSERT_EQ(model->objectCount, 2);

    for (bool on : {false, true}) {
        if (on) {
            glEnable(GL_BLEND);
            glEnable(GL_TEXTURE_2D);
        } else {
            glDisable(GL_BLEND);
            glDisable(GL_TEXTURE_2D);
        }
        glBindTexture(GL_TEXTURE_2D, previous);
        mqoDrawModel(model);
        EXPECT_EQ(glIsEnabled(GL_BLEND), on ? GL_TRUE : GL_FALSE);
        EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), on ? GL_TRUE : GL_FALSE);
        EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(previous));
        EXPECT_EQ(integer(GL_ARRAY_BUFFER_BINDING_ARB), 0);
        EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
        EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
        EXPECT_EQ(integer(GL_SHADE_MODEL), GL_FLAT);  // the last object has shading 0
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    glDeleteTextures(1, &texture);
    glDeleteTextures(1, &previous);
}

TEST_F(ModelTest, AlphaScalesTheFourthComponentOfEveryColour) {
    const MqoMaterial translucent = material(0.2f, 0.4f, 0.6f, 0.5f);
    buildTriangle(&translucent, 1);
    for (int alpha : {128, 255}) {
        model->alpha = static_cast<uint8_t>(alpha);
        mqoDrawModel(model);
        for (GLenum colour : {GL_DIFFUSE, GL_AMBIENT, GL_SPECULAR, GL_EMISSION}) {
            GLfloat drawn[4];
            glGetMaterialfv(GL_FRONT, colour, drawn);
            EXPECT_FLOAT_EQ(drawn[0], 0.2f);
            EXPECT_FLOAT_EQ(drawn[2], 0.6f);
            EXPECT_FLOAT_EQ(drawn[3], static_cast<float>(0.5 * alpha / 255.0)) << alpha << " " << colour;
        }
        GLfloat shininess = 0;
        glGetMaterialfv(GL_BACK, GL_SHININESS, &shininess);
        EXPECT_EQ(shininess, 5.0f);
    }
}

TEST_F(ModelTest, InvisibleObjectsAndBatchlessFilesDrawNothing) {
    const MqoMaterial red = material(1, 0, 0, 1);
    buildTriangle(&red, 1, false, 0);
    glShadeModel(GL_FLAT);
    mqoDrawModel(model);
    EXPECT_TRUE(isWhite(centre()));
    EXPECT_EQ(integer(GL_SHADE_MODEL), GL_FLAT);

    mqoFreeModels(model, 1);
    model = nullptr;
    buildTriangle(nullptr, 0);  // material 0 without a list: drawn without material calls
    mqoDrawModel(model);
    EXPECT_EQ(centre().r, 255);
    EXPECT_EQ(centre().g, 0);
    EXPECT_EQ(integer(GL_SHADE_MODEL), GL_SMOOTH);
}

TEST_F(ModelTest, ReleaseDeletesBuffersOnceAndLeavesNothingToDraw) {
    const MqoMaterial red = material(1, 0, 0, 1);
    buildTriangle(&red, 1);
    const GLuint buffer = model->objects[0].batches[0].bufferId;
    ASSERT_NE(buffer, 0u);
    auto isBuffer = reinterpret_cast<PFNGLISBUFFERARBPROC>(glProcAddress("glIsBufferARB"));
    ASSERT_NE(isBuffer, nullptr);
    EXPECT_TRUE(isBuffer(buffer));

    mqoReleaseModelBuffers(model, 0, 1);
    EXPECT_FALSE(isBuffer(buffer));
    mqoReleaseModelBuffers(model, 0, 1);
    mqoReleaseModelBuffers(model, 0, 0);
    EXPECT_EQ(model->objectCount, 1);
    EXPECT_EQ(model->objects[0].batches, nullptr);

    mqoDrawModel(model);
    EXPECT_TRUE(isWhite(centre()));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A lit, smooth fan and a textured triangle, drawn from buffers and from client memory.
TEST_F(ModelTest, BufferAndClientArrayPathsDrawTheSamePixels) {
    const GLuint texture = makeTexture();
    MqoMaterial materials[2] = {material(0.9f, 0.5f, 0.2f, 1), material(1, 1, 1, 1)};
    materials[1].useTexture = 1;
    materials[1].textureId = texture;
    for (MqoMaterial& m : materials) {
        std::fill(m.emission, m.emission + 3, 0.0f);  // let the normals show
        std::fill(m.specular, m.specular + 3, 0.0f);
    }
    const MqoVec3 vertices[6] = {{0, 0, 0.5f}, {-0.9f, 0, 0}, {0, 0.9f, 0}, {0.9f, 0, 0}, {0, -0.9f, 0},
                                 {0.9f, 0.9f, 0}};
    const MqoFace faces[5] = {triangle(0, 1, 2, 0), triangle(0, 2, 3, 0), triangle(0, 3, 4, 0),
                              triangle(0, 4, 1, 0), triangle(2, 5, 3, 1)};
    MqoObjectData object{};
    object.visible = 1;
    object.shading = 1;
    object.facet = 90;
    object.vertexCount = 6;
    object.vertices = const_cast<MqoVec3*>(vertices);
    object.faceCount = 5;
    object.faces = const_cast<MqoFace*>(faces);

    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat light[4] = {0.3f, 0.4f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    std::vector<Rgba> frames[2];
    for (int clientArrays = 0; clientArrays < 2; ++clientArrays) {
        const MqoLoaderState started = mqoLoaderState;
        if (clientArrays)
            mqoLoaderState = {1, 0, nullptr, nullptr, nullptr, nullptr};
        model = mqoAllocModels(1);
        ASSERT_NE(model, nullptr);
        model->alpha = 255;  // as a load sets it
        mqoBuildObjects(model, &object, 1, materials, 2, 1.0);
        ASSERT_EQ(model->objects[0].batchCount, 2);
        EXPECT_EQ(model->objects[0].batches[0].bufferId != 0, !clientArrays);
        glClear(GL_COLOR_BUFFER_BIT);
        mqoDrawModel(model);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        frames[clientArrays] = readPixels();
        mqoFreeModels(model, 1);
        model = nullptr;
        mqoLoaderState = started;
    }
    int coloured = 0;
    for (const Rgba& p : frames[0])
        coloured += isWhite(p) ? 0 : 1;
    EXPECT_GT(coloured, kSize * kSize / 4);
    EXPECT_EQ(0, std::memcmp(frames[0].data(), frames[1].data(), frames[0].size() * sizeof(Rgba)));
    glDeleteTextures(1, &texture);
}

// Mixed models (built before buffers were found) must not read through a bound buffer.
TEST_F(ModelTest, BatchWithoutBufferIsDrawnFromClientMemory) {
    const MqoLoaderState started = mqoLoaderState;
    mqoLoaderState = {1, 0, nullptr, nullptr, nullptr, nullptr};
    const MqoMaterial red = material(1, 0, 0, 1);
    buildTriangle(&red, 1);
    mqoLoaderState = started;

    mqoDrawModel(model);
    EXPECT_EQ(centre().r, 255);
    EXPECT_EQ(centre().g, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

class ModelFileTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        folder = std::filesystem::temp_directory_path() /
                 ("petalrain-model-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        ModelTest::TearDown();
    }
    std::string write(const std::string& name, const std::string& text) {
        const std::filesystem::path path = folder / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    std::filesystem::path folder;
};

std::string flowerLikeDocument() {
    std::string text =
        "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\n"
        "Material 1 {\r\n"
        "\t\"mat1\" col(0.227 1.000 0.110 1.000) dif(0.800) amb(0.600) emi(0.000) spc(0.000) power(5.00)\r\n"
        "}\r\n"
        "Object \"obj1\" {\r\n\tvisible 15\r\n\tshading 1\r\n\tfacet 59.5\r\n\tvertex 5 {\r\n"
        "\t\t0.0 0.0 0.0\r\n\t\t-10.0 -10.0 0.0\r\n\t\t0.0 10.0 0.0\r\n\t\t10.0 -10.0 0.0\r\n"
        "\t\t0.0 -20.0 -0.0000610352\r\n\t}\r\n"
        "\tface 3 {\r\n\t\t3 V(1 2 3) M(0)\r\n\t\t3 V(0 3 4) M(0)\r\n\t\t3 V(0 4 1) M(0)\r\n\t}\r\n"
        "}\r\nEof\r\n";
    return text;
}

TEST_F(ModelFileTest, LoadsADocumentAndAppendsWhenLoadedAgain) {
    const std::string path = write("flower.mqo", flowerLikeDocument());
    model = mqoLoadModel(path.c_str(), 0.05);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->alpha, 255);
    ASSERT_EQ(model->objectCount, 1);
    ASSERT_EQ(model->objects[0].batchCount, 1);
    const MqoMaterialBatch& batch = model->objects[0].batches[0];
    EXPECT_EQ(batch.vertexCount, 9);
    EXPECT_NE(batch.bufferId, 0u);
    EXPECT_FLOAT_EQ(batch.plainVertices[0].position[0], -0.5f);
    EXPECT_FLOAT_EQ(batch.diffuse[1], 0.8f);

    mqoDrawModel(model);
    EXPECT_EQ(centre().r, 255);
    EXPECT_EQ(centre().g, 0);

    EXPECT_EQ(mqoLoadModelSlot(model, 0, path.c_str(), 0.05, 128), 0);
    EXPECT_EQ(model->objectCount, 2);
    EXPECT_EQ(model->alpha, 128);
}

// The records are compared with the path load's by the document tests; here the buffers and the draw.
TEST_F(ModelFileTest, LoadsFromMemoryAndRefusesNullEmptyAndOversizedBuffers) {
    const std::string text = flowerLikeDocument();
    model = mqoLoadModelFromMemory(text.data(), text.size(), 0.05, nullptr);
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->objectCount, 1);
    EXPECT_NE(model->objects[0].batches[0].bufferId, 0u);
    mqoDrawModel(model);
    EXPECT_EQ(centre().r, 255);
    EXPECT_EQ(centre().g, 0);
    EXPECT_EQ(mqoLoadModelFromMemory(nullptr, text.size(), 1.0, nullptr), nullptr);
    EXPECT_EQ(mqoLoadModelFromMemory(text.data(), 0, 1.0, nullptr), nullptr);
    // Refused on the size alone: nothing past the real bytes is read.
    EXPECT_EQ(mqoLoadModelFromMemory(text.data(), MQO_MAX_INPUT_BYTES + 1, 1.0, nullptr), nullptr);
    EXPECT_EQ(mqoLoadModelFromMemory(text.data(), SIZE_MAX, 1.0, nullptr), nullptr);
}

TEST_F(ModelFileTest, MissingFileGivesNothing) {
    const std::string missing = (folder / "missing.mqo").string();
    EXPECT_EQ(mqoLoadModel(missing.c_str(), 1.0), nullptr);
    EXPECT_EQ(mqoLoadModelSlot(nullptr, 0, missing.c_str(), 1.0, 255), -1);

    model = mqoAllocModels(1);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(mqoLoadModelSlot(model, 0, missing.c_str(), 1.0, 255), -1);
    EXPECT_EQ(model->alpha, 0);
    EXPECT_EQ(model->objectCount, 0);
}

}  // namespace
