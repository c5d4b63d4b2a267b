// The MQO document reader: chunk readers, document records, texture paths, and
// whole documents read into a model.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "HeadlessGl.h"
#include "MqoDocument.h"
#include "MqoLoader.h"
#include "MqoMesh.h"
#include "MqoTestFiles.h"
#include "MqoTexturePool.h"

namespace {

using namespace mqo_test;

std::string joinLines(const std::vector<std::string>& lines, const std::string& eol) {
    std::string text;
    for (const std::string& line : lines)
        text += line + eol;
    return text;
}

// The flower model's shape: header, Scene and BackImage chunks, one material,
// one object "obj1" with 112 vertices and 112 triangles of material 0.
struct FlowerDocument {
    std::vector<std::string> vertexLines;
    std::vector<std::string> lines;

    FlowerDocument() {
        lines = {"Metasequoia Document",
                 "Format Text Ver 1.0",
                 "",
                 "Scene {",
                 "\tpos 0.0000 0.0000 1500.0000",
                 "\tlookat 0.0000 0.0000 0.0000",
                 "\tambient 0.250 0.250 0.250",
                 "}",
                 "BackImage {",
                 "\tpers \"C:\\images\\sky.bmp\" 0.000 0.000 1.000 1.000",
                 "}",
                 "Material 1 {",
                 "\t\"mat1\" col(0.227 1.000 0.110 1.000) dif(0.800) amb(0.600) emi(0.000) spc(0.000) power(5.00)",
                 "}",
                 "Object \"obj1\" {",
                 "\tdepth 0",
                 "\tfolding 0",
                 "\tscale 1.000000 1.000000 1.000000",
                 "\trotation 0.000000 0.000000 0.000000",
                 "\ttranslation 0.000000 0.000000 0.000000",
                 "\tvisible 15",
                 "\tlocking 0",
                 "\tshading 1",
                 "\tfacet 59.5",
                 "\tcolor 0.898 0.498 0.698",
                 "\tcolor_type 0",
                 "\tvertex 112 {"};
        for (int i = 0; i < 112; ++i) {
            char text[96];
            const double angle = i * 2.0 * 3.14159265358979 / 111.0;
            const double radius = i == 0 ? 0.0 : 40.0 + 20.0 * std::cos(5.0 * angle);
            if (i == 7)
                std::snprintf(text, sizeof text, "%.4f %.4f -0.0000610352", radius * std::cos(angle),
                              radius * std::sin(angle));
            else
                std::snprintf(text, sizeof text, "%.4f %.4f 0.0000", radius * std::cos(angle), radius * std::sin(angle));
            vertexLines.push_back(text);
            lines.push_back(std::string("\t\t") + text);
        }
        lines.push_back("\t}");
        lines.push_back("\tface 112 {");
        for (int i = 0; i < 112; ++i)
            lines.push_back("\t\t3 V(0 " + std::to_string(1 + i % 111) + " " + std::to_string(1 + (i + 1) % 111) +
                            ") M(0)");
        lines.push_back("\t}");
        lines.push_back("}");
        lines.push_back("Eof");
    }

    std::string text(const std::string& eol) const { return joinLines(lines, eol); }

    MqoVec3 vertex(int i) const {
        MqoVec3 v{};
        std::sscanf(vertexLines[i].c_str(), "%f %f %f", &v.x, &v.y, &v.z);
        return v;
    }
};

// A cursor at the start of the text, which the fixture keeps.
MqoByteCursor* cursorOver(std::deque<std::string>& texts, std::deque<MqoByteCursor>& cursors, const std::string& text) {
    const std::string& kept = texts.emplace_back(text);
    return &cursors.emplace_back(
        MqoByteCursor{reinterpret_cast<const unsigned char*>(kept.data()), kept.size(), 0});
}

class DocumentReader : public testing::Test {
protected:
    MqoDocumentRecords records{};
    std::deque<std::string> texts;
    std::deque<MqoByteCursor> cursors;

    void TearDown() override { mqoFreeDocumentRecords(&records); }

    MqoByteCursor* open(const std::string& text) { return cursorOver(texts, cursors, text); }

    void read(const std::string& text) { mqoReadDocumentRecords(open(text), &records); }

    // What a reader left unread.
    static std::string rest(const MqoByteCursor* document) {
        return std::string(reinterpret_cast<const char*>(document->bytes) + document->position,
                           mqoBytesLeft(*document));
    }
};

void expectColour(const float* actual, float r, float g, float b, float a) {
    EXPECT_FLOAT_EQ(actual[0], r);
    EXPECT_FLOAT_EQ(actual[1], g);
    EXPECT_FLOAT_EQ(actual[2], b);
    EXPECT_FLOAT_EQ(actual[3], a);
}

TEST_F(DocumentReader, FlowerDocumentWithCrLfLineEnds) {
    const FlowerDocument flower;
    read(flower.text("\r\n"));

    ASSERT_EQ(records.materialCount, 1);
    ASSERT_EQ(records.materialsFilled, 1);
    const MqoMaterial& material = records.materials[0];
    expectColour(material.diffuse, 0.227f * 0.8f, 1.0f * 0.8f, 0.110f * 0.8f, 1.0f);
    expectColour(material.ambient, 0.227f * 0.6f, 1.0f * 0.6f, 0.110f * 0.6f, 1.0f);
    expectColour(material.emission, 0.0f, 0.0f, 0.0f, 1.0f);
    expectColour(material.specular, 0.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(material.power, 5.0f);
    EXPECT_EQ(material.useTexture, 0);
    EXPECT_STREQ(material.textureFile, "");
    EXPECT_STREQ(material.alphaFile, "");
    EXPECT_EQ(material.textureId, 0u);

    ASSERT_EQ(records.objectCount, 1);
    const MqoObjectData& object = records.objects[0];
    EXPECT_STREQ(object.name, "\"obj1\"");
    EXPECT_EQ(object.visible, 15);
    EXPECT_EQ(object.shading, 1);
    EXPECT_FLOAT_EQ(object.facet, 59.5f);
    ASSERT_EQ(object.vertexCount, 112);
    ASSERT_NE(object.vertices, nullptr);
    for (int i = 0; i < 112; ++i) {
        const MqoVec3 expected = flower.vertex(i);
        EXPECT_EQ(object.vertices[i].x, expected.x) << "vertex " << i;
        EXPECT_EQ(object.vertices[i].y, expected.y) << "vertex " << i;
        EXPECT_EQ(object.vertices[i].z, expected.z) << "vertex " << i;
    }
    EXPECT_FLOAT_EQ(object.vertices[7].z, -0.0000610352f);
    ASSERT_EQ(object.faceCount, 112);
    ASSERT_NE(object.faces, nullptr);
    for (int i = 0; i < 112; ++i) {
        const MqoFace& face = object.faces[i];
        EXPECT_EQ(face.cornerCount, 3);
        EXPECT_EQ(face.material, 0);
        EXPECT_EQ(face.vertexIndex[0], 0);
        EXPECT_EQ(face.vertexIndex[1], 1 + i % 111);
        EXPECT_EQ(face.vertexIndex[2], 1 + (i + 1) % 111);
        EXPECT_EQ(face.vertexIndex[3], 0);
        for (float uv : face.uv)
            EXPECT_EQ(uv, 0.0f);
    }
}

TEST_F(DocumentReader, LineFeedAndCrLfDocumentsReadAlike) {
    const FlowerDocument flower;
    read(flower.text("\n"));
    MqoDocumentRecords crlf{};
    mqoReadDocumentRecords(open(flower.text("\r\n")), &crlf);
    ASSERT_EQ(records.objectCount, crlf.objectCount);
    EXPECT_STREQ(records.objects[0].name, crlf.objects[0].name);
    ASSERT_EQ(records.objects[0].vertexCount, crlf.objects[0].vertexCount);
    EXPECT_EQ(0, std::memcmp(records.objects[0].vertices, crlf.objects[0].vertices,
                             sizeof(MqoVec3) * records.objects[0].vertexCount));
    ASSERT_EQ(records.objects[0].faceCount, crlf.objects[0].faceCount);
    EXPECT_EQ(0, std::memcmp(records.objects[0].faces, crlf.objects[0].faces,
                             sizeof(MqoFace) * records.objects[0].faceCount));
    mqoFreeDocumentRecords(&crlf);
}

TEST_F(DocumentReader, DocumentWithoutChunksHasNoRecords) {
    read("Metasequoia Document\nFormat Text Ver 1.0\nScene {\n\tpos 0 0 0\n}\nEof\n");
    EXPECT_EQ(records.objectCount, 0);
    EXPECT_EQ(records.materialCount, 0);
    EXPECT_EQ(records.materials, nullptr);
}

TEST_F(DocumentReader, IndentedObjectLineOpensObjectWithEmptyName) {
    read("  Object \"indented\" {\n\tvisible 3\n}\n");
    ASSERT_EQ(records.objectCount, 1);
    EXPECT_STREQ(records.objects[0].name, "");
    EXPECT_EQ(records.objects[0].visible, 3);
}

TEST_F(DocumentReader, QuotedNameIsCutAtBlank) {
    read("Object \"my flower\" {\n}\n");
    ASSERT_EQ(records.objectCount, 1);
    EXPECT_STREQ(records.objects[0].name, "\"my");
}

TEST_F(DocumentReader, ObjectWordAnywhereOpensObject) {
    read("BackImage {\n\tpers \"C:\\Object\\sky.bmp\"\n\tvisible 9\n}\nObject \"b\" {\n\tvisible 4\n}\n");
    ASSERT_EQ(records.objectCount, 2);
    EXPECT_STREQ(records.objects[0].name, "");
    EXPECT_EQ(records.objects[0].visible, 9);  // the BackImage's closing line ended it
    EXPECT_STREQ(records.objects[1].name, "\"b\"");
    EXPECT_EQ(records.objects[1].visible, 4);
}

TEST_F(DocumentReader, AnyBraceEndsObjectAndRestIsDocumentLevel) {
    read("Object \"a\" {\n"
         "\tvertexattr {\n"
         "\t\tuid {\n"
         "\t\t}\n"
         "\t}\n"
         "\tvisible 7\n"
         "}\n");
    ASSERT_EQ(records.objectCount, 1);
    EXPECT_EQ(records.objects[0].visible, 0);  // read at document level, where it counts for nothing
}

TEST_F(DocumentReader, TwoMaterialChunksSecondReplacesFirst) {
    read("Material 3 {\n"
         "\t\"a\" col(1 0 0 1) dif(1) amb(0) emi(0) spc(0) power(1)\n"
         "}\n"
         "Material 2 {\n"
         "\t\"b\" col(0 1 0 1) dif(0.5) amb(0) emi(0) spc(0) power(2)\n"
         "\t\"c\" col(0 0 1 1) dif(0.25) amb(0) emi(0) spc(0) power(3)\n"
         "}\n");
    ASSERT_EQ(records.materialCount, 2);
    expectColour(records.materials[0].diffuse, 0.0f, 0.5f, 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(records.materials[0].power, 2.0f);
    expectColour(records.materials[1].diffuse, 0.0f, 0.0f, 0.25f, 1.0f);
}

TEST_F(DocumentReader, EmptyMaterialChunkGivesZeroTableOfDeclaredSize) {
    read("Material 3 {\n}\n");
    ASSERT_EQ(records.materialCount, 3);
    EXPECT_EQ(records.materialsFilled, 0);
    for (int i = 0; i < 3; ++i) {
        expectColour(records.materials[i].diffuse, 0, 0, 0, 0);
        EXPECT_EQ(records.materials[i].useTexture, 0);
    }
}

TEST_F(DocumentReader, MaterialHeaderNotAtLineStartKeepsEarlierCount) {
    read("Material 2 {\n}\n  Material 5 {\n}\n");
    EXPECT_EQ(records.materialCount, 2);
    mqoFreeDocumentRecords(&records);
    read("  Material 5 {\n}\n");
    EXPECT_EQ(records.materialCount, 0);
    EXPECT_EQ(records.materials, nullptr);
}

TEST_F(DocumentReader, MaterialLineWithTextureAndAlphaPlane) {
    auto* file = open("\t\"m\" col(0.5 0.25 1.0 0.75) dif (0.5) amb(1.0) emi(0.25) spc(2.0) power(30.00)"
                      " tex(\"wood grain.bmp\") aplane(\"mask.tga\")\r\n"
                      "}\r\nafter\n");
    MqoMaterial materials[1] = {};
    EXPECT_EQ(mqoParseMaterialChunk(file, materials, 1), 1);
    EXPECT_EQ(rest(file), "after\n");
    const MqoMaterial& m = materials[0];
    expectColour(m.diffuse, 0.25f, 0.125f, 0.5f, 0.75f);
    expectColour(m.ambient, 0.5f, 0.25f, 1.0f, 0.75f);
    expectColour(m.emission, 0.125f, 0.0625f, 0.25f, 0.75f);
    expectColour(m.specular, 1.0f, 0.5f, 2.0f, 0.75f);
    EXPECT_FLOAT_EQ(m.power, 30.0f);
    EXPECT_EQ(m.useTexture, 1);
    EXPECT_STREQ(m.textureFile, "wood grain.bmp");
    EXPECT_STREQ(m.alphaFile, "mask.tga");
}

TEST_F(DocumentReader, TextureNameEdgeCases) {
    auto* file = open("\"a\" col(1 1 1 1) dif(1) amb(1) emi(1) spc(1) power(1) aplane(\"mask.tga\")\n"
                      "\"b\" col(1 1 1 1) dif(1) amb(1) emi(1) spc(1) power(1) tex(plain.bmp)\n"
                      "\"c\" col(1 1 1 1) dif(1) amb(1) emi(1) spc(1) power(1) tex()\n"
                      "\"d\" col(1 1 1 1) dif(1) amb(1) emi(1) spc(1) power(1) tex(\")\n"
                      "\"e\" col(1 1 1 1) dif(1) amb(1) emi(1) spc(1) power(1) tex(\"open.bmp\r\n"
                      "\"f\" tex(\"t.bmp\") aplane(\"open.tga\n"
                      "}\n");
    MqoMaterial m[6] = {};
    EXPECT_EQ(mqoParseMaterialChunk(file, m, 6), 6);
    EXPECT_EQ(m[0].useTexture, 0);  // aplane without tex
    EXPECT_STREQ(m[0].textureFile, "");
    EXPECT_STREQ(m[0].alphaFile, "");
    EXPECT_EQ(m[1].useTexture, 1);
    EXPECT_STREQ(m[1].textureFile, "plain.bmp");
    EXPECT_EQ(m[2].useTexture, 1);
    EXPECT_STREQ(m[2].textureFile, "");
    EXPECT_STREQ(m[3].textureFile, "");
    EXPECT_STREQ(m[4].textureFile, "open.bmp");
    EXPECT_STREQ(m[5].textureFile, "t.bmp");
    EXPECT_STREQ(m[5].alphaFile, "open.tga");
}

TEST_F(DocumentReader, MaterialLineWithoutColourHasZeroColours) {
    auto* file = open("\t\"m\" power(5) tex(\"t.bmp\")\n"
                      "\t\"n\" vcol(1) dif(1) amb(1) emi(1) spc(1) power(9)\n"
                      "\t\"o\" col(0.5 0.5 0.5 1) dif(1) amb(1)\n"
                      "}\n");
    MqoMaterial m[3] = {};
    EXPECT_EQ(mqoParseMaterialChunk(file, m, 3), 3);
    expectColour(m[0].diffuse, 0, 0, 0, 0);
    expectColour(m[0].specular, 0, 0, 0, 0);
    EXPECT_EQ(m[0].power, 0.0f);
    EXPECT_EQ(m[0].useTexture, 1);
    EXPECT_STREQ(m[0].textureFile, "t.bmp");
    // Without a word "col(" the scan starts inside vcol(1): only r is reached.
    expectColour(m[1].diffuse, 0, 0, 0, 0);
    EXPECT_EQ(m[1].power, 0.0f);
    // Missing groups count as zero factors.
    expectColour(m[2].diffuse, 0.5f, 0.5f, 0.5f, 1.0f);
    expectColour(m[2].emission, 0, 0, 0, 1.0f);
}

TEST_F(DocumentReader, ColourScanStartsAtTheFirstWordCol) {
    auto* file = open("\t\"mat1\" shader(3) vcol(1) col(1.000 0.500 0.250 1.000) dif(0.800) amb(0.600) emi(0.000)"
                      " spc(0.000) power(5.00)\r\n"
                      "col(1 1 1 0.5) dif(0.5) amb(0) emi(0) spc(0) power(1)\n"
                      "\"c\"col(1 1 1 0.5) dif(0.5) amb(0) emi(0) spc(0) power(2)\n"
                      "\"d\" vcol(1)col(1 1 1 0.5) dif(0.5) amb(0) emi(0) spc(0) power(3)\n"
                      "\"e\" xcol(9 9 9 9)\tcol(1 1 1 0.5) dif(0.5) amb(0) emi(0) spc(0) power(4)\n"
                      "}\n");
    MqoMaterial m[5] = {};
    EXPECT_EQ(mqoParseMaterialChunk(file, m, 5), 5);
    expectColour(m[0].diffuse, 0.8f, 0.4f, 0.2f, 1.0f);
    expectColour(m[0].ambient, 0.6f, 0.3f, 0.15f, 1.0f);
    EXPECT_FLOAT_EQ(m[0].power, 5.0f);
    // At the line's start, after a quote, a closing parenthesis or a tab.
    for (int i = 1; i < 5; ++i) {
        expectColour(m[i].diffuse, 0.5f, 0.5f, 0.5f, 0.5f);
        EXPECT_FLOAT_EQ(m[i].power, static_cast<float>(i)) << i;
    }
}

TEST_F(DocumentReader, BraceInTexturePathEndsMaterialChunk) {
    read("Material 2 {\n"
         "\t\"a\" col(1 1 1 1) dif(1) amb(0) emi(0) spc(0) power(1) tex(\"odd}.bmp\")\n"
         "\t\"b\" col(1 1 1 1) dif(1) amb(0) emi(0) spc(0) power(1)\n"
         "}\n");
    ASSERT_EQ(records.materialCount, 2);
    EXPECT_EQ(records.materialsFilled, 0);
    EXPECT_EQ(records.materials[0].useTexture, 0);
}

TEST_F(DocumentReader, MoreMaterialLinesThanDeclaredAreIgnored) {
    read("Material 1 {\n"
         "\t\"a\" col(1 0 0 1) dif(1) amb(0) emi(0) spc(0) power(1)\n"
         "\t\"b\" col(0 1 0 1) dif(1) amb(0) emi(0) spc(0) power(2) tex(\"b.bmp\")\n"
         "\t\"c\" col(0 0 1 1) dif(1) amb(0) emi(0) spc(0) power(3)\n"
         "}\n"
         "Object \"after\" {\n}\n");
    ASSERT_EQ(records.materialCount, 1);
    EXPECT_EQ(records.materialsFilled, 1);
    expectColour(records.materials[0].diffuse, 1, 0, 0, 1);
    ASSERT_EQ(records.objectCount, 1);
    EXPECT_STREQ(records.objects[0].name, "\"after\"");
}

TEST_F(DocumentReader, VertexListStopsAtClosingLineAndIgnoresExtras) {
    auto* file = open("1 2 3\n4.5 -5 6e-3\n7 8 9\n}\nnext\n");
    MqoVec3 v[2] = {};
    EXPECT_EQ(mqoParseVertexList(file, v, 2), 2);
    EXPECT_EQ(rest(file), "next\n");
    EXPECT_FLOAT_EQ(v[0].x, 1);
    EXPECT_FLOAT_EQ(v[0].z, 3);
    EXPECT_FLOAT_EQ(v[1].x, 4.5f);
    EXPECT_FLOAT_EQ(v[1].y, -5);
    EXPECT_FLOAT_EQ(v[1].z, 6e-3f);
}

TEST_F(DocumentReader, LineOverLimitIsReadInPieces) {
    // 300 characters: the first 255 are one line, the rest another.
    const std::string longLine = "1 2 3" + std::string(295, ' ');
    auto* file = open(longLine + "\n4 5 6\n}\n");
    MqoVec3 v[3] = {};
    EXPECT_EQ(mqoParseVertexList(file, v, 3), 3);
    EXPECT_FLOAT_EQ(v[0].x, 1);
    EXPECT_FLOAT_EQ(v[1].x, 0);  // the tail piece: blanks only
    EXPECT_FLOAT_EQ(v[2].x, 4);
    EXPECT_FLOAT_EQ(v[2].z, 6);
}

TEST_F(DocumentReader, TextureKeywordBeyondFirstPieceOfLongLine) {
    const std::string line =
        "\t\"m\" col(1 1 1 1) dif(1) amb(1) emi(1) spc(1) power(1)" + std::string(220, ' ') + "tex(\"far.bmp\")\n";
    auto* file = open(line + "}\n");
    MqoMaterial m[2] = {};
    EXPECT_EQ(mqoParseMaterialChunk(file, m, 2), 2);
    EXPECT_EQ(m[0].useTexture, 0);
    expectColour(m[0].diffuse, 1, 1, 1, 1);
    EXPECT_EQ(m[1].useTexture, 1);
    EXPECT_STREQ(m[1].textureFile, "far.bmp");
    expectColour(m[1].diffuse, 0, 0, 0, 0);
}

TEST_F(DocumentReader, FaceList) {
    auto* file = open("3 V(0 1 2) M(1) UV(0.1 0.2 0.3 0.4 0.5 0.6)\r\n"
                      "4 V(3 2 1 0) M(0) UV(1 2 3 4 5 6 7 8)\r\n"
                      "2 V(5 6) M(2)\r\n"
                      "3 V(7 8 9)\r\n"
                      "3 UV(0.5 0.5 0.5 0.5 0.5 0.5) V(1 2 3)\r\n"
                      "\t}\r\n");
    MqoFace f[5] = {};
    EXPECT_EQ(mqoParseFaceList(file, f, 5), 5);
    EXPECT_EQ(rest(file), "");
    EXPECT_EQ(f[0].cornerCount, 3);
    EXPECT_EQ(f[0].material, 1);
    EXPECT_EQ(f[0].vertexIndex[2], 2);
    EXPECT_EQ(f[0].vertexIndex[3], 0);
    EXPECT_FLOAT_EQ(f[0].uv[5], 0.6f);
    EXPECT_EQ(f[0].uv[6], 0.0f);
    EXPECT_EQ(f[0].uv[7], 0.0f);
    EXPECT_EQ(f[1].cornerCount, 4);
    EXPECT_EQ(f[1].material, 0);
    EXPECT_EQ(f[1].vertexIndex[0], 3);
    EXPECT_EQ(f[1].vertexIndex[3], 0);
    EXPECT_FLOAT_EQ(f[1].uv[7], 8.0f);
    // Two corners: corner count and material kept, no indices.
    EXPECT_EQ(f[2].cornerCount, 2);
    EXPECT_EQ(f[2].material, 2);
    for (int index : f[2].vertexIndex)
        EXPECT_EQ(index, 0);
    EXPECT_EQ(f[3].material, -1);
    // The first "V(" is the one inside "UV(".
    EXPECT_EQ(f[4].vertexIndex[0], 0);
    EXPECT_EQ(f[4].material, -1);
}

TEST_F(DocumentReader, FaceListIgnoresLinesBeyondCapacity) {
    auto* file = open("3 V(0 1 2) M(0)\n3 V(2 1 0) M(5)\n3 V(1 1 1) M(7)\n}\nrest\n");
    MqoFace f[1] = {};
    EXPECT_EQ(mqoParseFaceList(file, f, 1), 1);
    EXPECT_EQ(f[0].material, 0);
    EXPECT_EQ(rest(file), "rest\n");
}

std::string floatBytes(std::initializer_list<float> values) {
    std::string bytes;
    for (float value : values) {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        appendLittleEndian(bytes, bits, 4);
    }
    return bytes;
}

TEST_F(DocumentReader, VectorBlockCopiesBinaryVertices) {
    const std::string data = floatBytes({1.5f, -2.0f, 3.25f, 0.0f, 1e-5f, -7.0f});
    auto* file = open("\t\tVector 2 [24]\r\n" + data + "\r\n\t}\r\nnext\n");
    MqoVec3 v[2] = {};
    EXPECT_EQ(mqoParseVectorBlock(file, v, 2), 2);
    EXPECT_EQ(rest(file), "next\n");
    EXPECT_EQ(v[0].x, 1.5f);
    EXPECT_EQ(v[0].y, -2.0f);
    EXPECT_EQ(v[0].z, 3.25f);
    EXPECT_EQ(v[1].y, 1e-5f);
    EXPECT_EQ(v[1].z, -7.0f);
}

TEST_F(DocumentReader, VectorBlockWithoutVectorLine) {
    auto* file = open("\t\t1 2 3\n\t}\nnext\n");
    MqoVec3 v[1] = {};
    EXPECT_EQ(mqoParseVectorBlock(file, v, 1), -1);
    EXPECT_EQ(rest(file), "\t}\nnext\n");
    EXPECT_EQ(v[0].x, 0.0f);
}

TEST_F(DocumentReader, VectorBlockCopiesOnlyWhatArrayAndBytesHold) {
    // Count beyond the array.
    auto* file = open("Vector 3 [36]\n" + floatBytes({1, 2, 3, 4, 5, 6, 7, 8, 9}) + "\n}\n");
    MqoVec3 two[2] = {};
    EXPECT_EQ(mqoParseVectorBlock(file, two, 2), 2);
    EXPECT_EQ(two[1].z, 6.0f);
    // Byte size below 12 per element.
    file = open("Vector 3 [20]\n" + floatBytes({1, 2, 3, 4, 5}) + "\n}\n");
    MqoVec3 three[3] = {};
    EXPECT_EQ(mqoParseVectorBlock(file, three, 3), 1);
    EXPECT_EQ(three[0].z, 3.0f);
    EXPECT_EQ(three[1].x, 0.0f);
    // Byte size beyond the end of the file: reads what is there.
    file = open("Vector 2 [2000000000]\n" + floatBytes({1, 2, 3, 4}));
    MqoVec3 more[2] = {};
    EXPECT_EQ(mqoParseVectorBlock(file, more, 2), 1);
    EXPECT_EQ(more[0].y, 2.0f);
    EXPECT_EQ(rest(file), "");
    // Negative count and size.
    file = open("Vector -4 [-12]\n}\nnext\n");
    EXPECT_EQ(mqoParseVectorBlock(file, more, 2), 0);
    EXPECT_EQ(rest(file), "next\n");
}

TEST_F(DocumentReader, ObjectWithBinaryVerticesAndFaces) {
    read("Object \"bin\" {\n"
         "\tBVertex 3 {\n"
         "\t\tVector 3 [36]\n" +
         floatBytes({0, 0, 0, 1, 0, 0, 0, 1, 0}) +
         "\n\t}\n"
         "\tface 1 {\n"
         "\t\t3 V(0 1 2) M(0)\n"
         "\t}\n"
         "\tvisible 15\n"
         "}\n");
    ASSERT_EQ(records.objectCount, 1);
    const MqoObjectData& object = records.objects[0];
    ASSERT_EQ(object.vertexCount, 3);
    EXPECT_EQ(object.vertices[1].x, 1.0f);
    EXPECT_EQ(object.vertices[2].y, 1.0f);
    ASSERT_EQ(object.faceCount, 1);
    EXPECT_EQ(object.faces[0].vertexIndex[2], 2);
    EXPECT_EQ(object.visible, 15);
}

TEST_F(DocumentReader, ObjectKeywordsNeedTheirBlank) {
    read("Object \"o\" {\n"
         "\tfacet 30.0\n"
         "\tfaces 5 {\n"
         "\tvertexattr 2\n"
         "\tshading 0\n"
         "}\n");
    const MqoObjectData& object = records.objects[0];
    EXPECT_FLOAT_EQ(object.facet, 30.0f);
    EXPECT_EQ(object.faceCount, 0);
    EXPECT_EQ(object.faces, nullptr);
    EXPECT_EQ(object.vertexCount, 0);
    EXPECT_EQ(object.vertices, nullptr);
    EXPECT_EQ(object.shading, 0);
}

TEST_F(DocumentReader, ExtraVertexAndFaceLinesAreIgnored) {
    read("Object \"o\" {\n"
         "\tvertex 1 {\n\t\t1 2 3\n\t\t4 5 6\n\t}\n"
         "\tface 1 {\n\t\t3 V(0 0 0) M(0)\n\t\t3 V(9 9 9) M(9)\n\t}\n"
         "\tvisible 2\n"
         "}\n");
    const MqoObjectData& object = records.objects[0];
    ASSERT_EQ(object.vertexCount, 1);
    EXPECT_FLOAT_EQ(object.vertices[0].z, 3);
    ASSERT_EQ(object.faceCount, 1);
    EXPECT_EQ(object.faces[0].material, 0);
    EXPECT_EQ(object.visible, 2);
}

TEST_F(DocumentReader, SecondVertexListReplacesFirst) {
    read("Object \"o\" {\n"
         "\tvertex 1 {\n\t\t1 2 3\n\t}\n"
         "\tvertex 2 {\n\t\t4 5 6\n\t\t7 8 9\n\t}\n"
         "}\n");
    const MqoObjectData& object = records.objects[0];
    ASSERT_EQ(object.vertexCount, 2);
    EXPECT_FLOAT_EQ(object.vertices[0].x, 4);
    EXPECT_FLOAT_EQ(object.vertices[1].z, 9);
}

TEST_F(DocumentReader, NegativeCountsAllocateNothingAndHugeOnesStayBounded) {
    read("Material -3 {\n}\n"
         "Object \"n\" {\n"
         "\tvertex -5 {\n\t\t1 2 3\n\t}\n"
         "\tface -1 {\n\t\t3 V(0 1 2)\n\t}\n"
         "}\n"
         "Object \"h\" {\n"
         "\tvertex 2000000000 {\n\t\t1 2 3\n\t}\n"
         "\tface 2147483647 {\n\t\t3 V(0 0 0) M(0)\n\t}\n"
         "\tBVertex 2000000000 {\n\t\tVector 2000000000 [2000000000]\n\t}\n"
         "}\n");
    EXPECT_EQ(records.materialCount, 0);
    EXPECT_EQ(records.materials, nullptr);
    ASSERT_EQ(records.objectCount, 2);
    EXPECT_EQ(records.objects[0].vertexCount, 0);
    EXPECT_EQ(records.objects[0].vertices, nullptr);
    EXPECT_EQ(records.objects[0].faceCount, 0);
    EXPECT_EQ(records.objects[0].faces, nullptr);
    // The text vertex list took the whole zero-fill budget, so the face list and the
    // binary block get no more entries than the rest of the short file has bytes.
    const MqoObjectData& huge = records.objects[1];
    EXPECT_GT(huge.vertexCount, 0);
    EXPECT_LT(huge.vertexCount, 100);
    EXPECT_FLOAT_EQ(huge.vertices[0].x, 0);  // the binary block replaced the text list
    EXPECT_GT(huge.faceCount, 0);
    EXPECT_LT(huge.faceCount, 200);
    EXPECT_EQ(huge.faces[0].cornerCount, 3);
}

TEST_F(DocumentReader, DeclaredSizesAreKeptUpToTheZeroFillBudget) {
    // 5000 vertex lines fill a table of 5000; a count of two billion gets what the
    // rest of the file could hold and what the budget gives beyond it.
    std::string lines;
    for (int i = 0; i < 5000; ++i)
        lines += "1 2 " + std::to_string(i) + "\n";
    read("Object \"a\" {\n\tvertex 5000 {\n" + lines + "\t}\n}\n"
         "Object \"b\" {\n\tvertex 2000000000 {\n" + lines + "\t}\n}\n");
    ASSERT_EQ(records.objectCount, 2);
    ASSERT_EQ(records.objects[0].vertexCount, 5000);
    EXPECT_FLOAT_EQ(records.objects[0].vertices[4999].z, 4999);
    const int64_t bytesAfterHeader = static_cast<int64_t>(lines.size()) + 5;
    EXPECT_EQ(records.objects[1].vertexCount,
              bytesAfterHeader + MQO_ZERO_FILL_BUDGET / static_cast<int64_t>(sizeof(MqoVec3)));
    EXPECT_FLOAT_EQ(records.objects[1].vertices[4999].z, 4999);
}

TEST_F(DocumentReader, ChunksCutOffByEndOfFileKeepWhatWasRead) {
    read("Material 2 {\n"
         "\t\"a\" col(1 1 1 1) dif(1) amb(1) emi(1) spc(1) power(4)\n"
         "Object \"late\" {\n");  // still inside the material chunk
    EXPECT_EQ(records.materialCount, 2);
    EXPECT_EQ(records.materialsFilled, 2);
    EXPECT_FLOAT_EQ(records.materials[0].power, 4);
    EXPECT_EQ(records.objectCount, 0);

    mqoFreeDocumentRecords(&records);
    read("Object \"cut\" {\n\tvertex 3 {\n\t\t1 2 3\n\t\t4 5");
    ASSERT_EQ(records.objectCount, 1);
    const MqoObjectData& object = records.objects[0];
    ASSERT_GE(object.vertexCount, 2);
    EXPECT_FLOAT_EQ(object.vertices[0].x, 1);
    EXPECT_FLOAT_EQ(object.vertices[1].y, 5);

    mqoFreeDocumentRecords(&records);
    read("Object \"b\" {\n\tBVertex 2 {\n");
    ASSERT_EQ(records.objectCount, 1);
}

TEST_F(DocumentReader, ObjectsBeyondTableAreDropped) {
    std::string text;
    for (int i = 0; i < 53; ++i)
        text += "Object \"o" + std::to_string(i) + "\" {\n\tvisible " + std::to_string(i) +
                "\n\tvertex 1 {\n\t\t1 1 1\n\t}\n\tface 1 {\n\t\t3 V(0 0 0) M(0)\n\t}\n}\n";
    text += "Material 1 {\n\t\"last\" col(1 1 1 1) dif(1) amb(1) emi(1) spc(1) power(8)\n}\n";
    read(text);
    ASSERT_EQ(records.objectCount, MQO_OBJECT_SLOTS);
    EXPECT_STREQ(records.objects[49].name, "\"o49\"");
    EXPECT_EQ(records.objects[49].visible, 49);
    ASSERT_EQ(records.materialCount, 1);  // the dropped objects' lines were read past
    EXPECT_FLOAT_EQ(records.materials[0].power, 8);
}

TEST(DocumentPath, DirectoryUpToLastSeparator) {
    char directory[MQO_TEXT_SIZE];
    EXPECT_EQ(mqoPathDirectory("C:\\Users\\me\\Temp\\xoeqaze.tmp", directory), 17);
    EXPECT_STREQ(directory, "C:\\Users\\me\\Temp\\");
    mqoPathDirectory("/tmp/models/flower.mqo", directory);
    EXPECT_STREQ(directory, "/tmp/models/");
    mqoPathDirectory("a\\b/c.mqo", directory);
    EXPECT_STREQ(directory, "a\\b/");
    mqoPathDirectory("a/b\\c.mqo", directory);
    EXPECT_STREQ(directory, "a/b\\");
    EXPECT_EQ(mqoPathDirectory("flower.mqo", directory), 0);
    EXPECT_STREQ(directory, "");
    const std::string fits = std::string(254, 'd') + "/x.mqo";
    EXPECT_EQ(mqoPathDirectory(fits.c_str(), directory), 255);
    const std::string tooLong = std::string(255, 'd') + "/x.mqo";
    EXPECT_EQ(mqoPathDirectory(tooLong.c_str(), directory), -1);
    EXPECT_STREQ(directory, "");
}

void expectSameBatch(const MqoMaterialBatch& path, const MqoMaterialBatch& memory) {
    // hasMaterial to power: plain 4-byte fields, the colours and the vertex count included.
    const size_t fields = offsetof(MqoMaterialBatch, power) + sizeof path.power;
    EXPECT_EQ(std::memcmp(&path, &memory, fields), 0);
    ASSERT_EQ(path.vertexCount, memory.vertexCount);
    const size_t count = static_cast<size_t>(path.vertexCount);
    ASSERT_EQ(path.plainVertices == nullptr, memory.plainVertices == nullptr);
    ASSERT_EQ(path.texturedVertices == nullptr, memory.texturedVertices == nullptr);
    if (path.plainVertices) {
        EXPECT_EQ(std::memcmp(path.plainVertices, memory.plainVertices, count * sizeof(MqoPlainVertex)), 0);
    }
    if (path.texturedVertices) {
        EXPECT_EQ(std::memcmp(path.texturedVertices, memory.texturedVertices, count * sizeof(MqoTexturedVertex)), 0);
    }
}

void expectSameModel(const MqoModel& path, const MqoModel& memory) {
    EXPECT_EQ(path.alpha, memory.alpha);
    ASSERT_EQ(path.objectCount, memory.objectCount);
    for (int o = 0; o < path.objectCount; ++o) {
        const MqoDrawObject& a = path.objects[o];
        const MqoDrawObject& b = memory.objects[o];
        EXPECT_STREQ(a.name, b.name);
        EXPECT_EQ(a.visible, b.visible);
        EXPECT_EQ(a.flatShading, b.flatShading);
        ASSERT_EQ(a.batchCount, b.batchCount) << "object " << o;
        for (int i = 0; i < a.batchCount; ++i)
            expectSameBatch(a.batches[i], b.batches[i]);
    }
}

// Whole documents read into a model; no OpenGL context, so no vertex buffers.
// Every document is read twice, by path and from its bytes, into two models that
// must come out the same, with the same messages.
class DocumentModel : public testing::Test {
protected:
    TempFolder folder;
    std::unique_ptr<MqoModel> model = std::make_unique<MqoModel>();
    std::unique_ptr<MqoModel> memoryModel = std::make_unique<MqoModel>();
    std::string output;  // what the last read printed
    MqoLoaderState savedState{};

    void SetUp() override {
        savedState = mqoLoaderState;
        mqoLoaderState = {};
        mqoEmptyTexturePool();
    }
    void TearDown() override {
        for (int i = 0; i < MQO_OBJECT_SLOTS; ++i) {
            mqoReleaseObjectBatches(model->objects[i]);
            mqoReleaseObjectBatches(memoryModel->objects[i]);
        }
        mqoLoaderState = savedState;
        mqoEmptyTexturePool();
    }

    int parse(const std::string& path, double scale, int alpha) {
        captureStdout();
        const int result = mqoParseDocument(model.get(), path.c_str(), scale, alpha);
        output = capturedStdout();
        if (result != 1)
            return result;
        std::ifstream file(path, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        char directory[MQO_TEXT_SIZE];
        captureStdout();
        mqoParseDocumentBytes(memoryModel.get(), reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                              mqoPathDirectory(path.c_str(), directory) >= 0 ? directory : nullptr, scale, alpha);
        EXPECT_EQ(capturedStdout(), output) << "the memory read's messages";
        expectSameModel(*model, *memoryModel);
        return result;
    }
};

TEST_F(DocumentModel, FlowerDocumentBuildsOneObject) {
    const std::string path = folder.write("flower.mqo", FlowerDocument().text("\r\n"));
    EXPECT_EQ(parse(path, 0.015, 0x1FF), 1);
    EXPECT_EQ(model->alpha, 255);
    ASSERT_EQ(model->objectCount, 1);
    const MqoDrawObject& object = model->objects[0];
    EXPECT_STREQ(object.name, "\"obj1\"");
    EXPECT_EQ(object.visible, 15);
    EXPECT_EQ(object.flatShading, 0);
    ASSERT_EQ(object.batchCount, 1);
    const MqoMaterialBatch& batch = object.batches[0];
    EXPECT_EQ(batch.hasMaterial, 1);
    EXPECT_EQ(batch.useTexture, 0);
    EXPECT_EQ(batch.vertexCount, 336);
    expectColour(batch.diffuse, 0.227f * 0.8f, 0.8f, 0.110f * 0.8f, 1.0f);
    EXPECT_FLOAT_EQ(batch.power, 5.0f);
    ASSERT_NE(batch.plainVertices, nullptr);
    // The second corner of the first triangle is vertex 1, scaled.
    const MqoVec3 v1 = FlowerDocument().vertex(1);
    EXPECT_FLOAT_EQ(batch.plainVertices[1].position[0], static_cast<float>(v1.x * 0.015));
    EXPECT_FLOAT_EQ(batch.plainVertices[1].position[1], static_cast<float>(v1.y * 0.015));
    EXPECT_EQ(mqoTexturePool.count, 0);
}

TEST_F(DocumentModel, SeedDocumentsReadAlikeBothWays) {
    int documents = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PETALRAIN_SEED_DOCUMENTS)) {
        EXPECT_EQ(parse(entry.path().string(), 0.015, 255), 1) << entry.path();
        ++documents;
    }
    EXPECT_GE(documents, 4);
    EXPECT_GT(model->objectCount, 0);
}

TEST_F(DocumentModel, MissingFileLeavesModelUntouched) {
    model->alpha = 7;
    EXPECT_EQ(parse(folder.path("missing.mqo"), 1.0, 255), 0);
    EXPECT_EQ(model->alpha, 7);
    EXPECT_EQ(model->objectCount, 0);
}

TEST_F(DocumentModel, EmptyDocumentStillReadsAndStoresAlpha) {
    const std::string path = folder.write("empty.mqo", "");
    EXPECT_EQ(parse(path, 1.0, 128), 1);
    EXPECT_EQ(model->alpha, 128);
    EXPECT_EQ(model->objectCount, 0);
}

TEST_F(DocumentModel, HostileDocumentsBuildWithoutFault) {
    const std::vector<std::string> documents = {
        // faces naming vertices and materials outside their tables
        "Material 1 {\n\"m\" col(1 1 1 1) dif(1) amb(1) emi(1) spc(1) power(1)\n}\n"
        "Object \"o\" {\n\tvertex 2 {\n0 0 0\n1 0 0\n\t}\n\tface 4 {\n"
        "3 V(0 1 5) M(0)\n4 V(-1 0 1 0) M(0)\n3 V(0 1 0) M(7)\n3 V(0 1 1) M(-3)\n\t}\n}\n",
        // faces without vertices, material table named after the objects
        "Object \"o\" {\n\tface 2 {\n3 V(0 1 2) M(0)\n4 V(0 1 2 3) M(1)\n\t}\n}\nMaterial 2 {\n}\n",
        // a vertex array sized by BVertex but filled by a shorter Vector block
        "Object \"o\" {\n\tBVertex 4 {\n\t\tVector 1 [12]\n" + floatBytes({1, 2, 3}) +
            "\n\t}\n\tface 1 {\n3 V(0 1 3) M(0)\n\t}\n}\n",
        // the file ends inside a binary block
        "Object \"o\" {\n\tBVertex 4 {\n\t\tVector 4 [48]\n" + floatBytes({1, 2}),
    };
    for (const std::string& text : documents) {
        const std::string path = folder.write("hostile.mqo", text);
        EXPECT_EQ(parse(path, 1.0, 255), 1) << text;
    }
    EXPECT_GT(model->objectCount, 0);
}

TEST_F(DocumentModel, ShortDocumentsKeepTheirDeclaredTableSizes) {
    // Faces that name entries far past the lines given: a zero-filled material
    // entry 1200 and a zero vertex 2500.
    const std::string path = folder.write("short.mqo",
                                          "Material 1500 {\n}\n"
                                          "Object \"o\" {\n\tvertex 3000 {\n1 0 0\n0 1 0\n0 0 1\n1 1 0\n0 1 1\n\t}\n"
                                          "\tface 2 {\n3 V(0 1 2) M(1200)\n3 V(0 1 2500) M(3)\n\t}\n}\n");
    EXPECT_EQ(parse(path, 1.0, 255), 1);
    ASSERT_EQ(model->objectCount, 1);
    const MqoDrawObject& object = model->objects[0];
    ASSERT_EQ(object.batchCount, 1201);
    EXPECT_EQ(object.batches[1200].vertexCount, 3);
    ASSERT_EQ(object.batches[3].vertexCount, 3);
    EXPECT_FLOAT_EQ(object.batches[3].plainVertices[1].position[1], 1.0f);
    EXPECT_FLOAT_EQ(object.batches[3].plainVertices[2].position[0], 0.0f);
    EXPECT_FLOAT_EQ(object.batches[3].plainVertices[2].position[1], 0.0f);
}

TEST_F(DocumentModel, UnfilledFacesStillOpenBatchZero) {
    // The declared faces that no line fills are zero faces of material 0.
    const std::string path = folder.write("unfilled.mqo",
                                          "Object \"o\" {\n\tvertex 3 {\n0 0 0\n1 0 0\n0 1 0\n\t}\n"
                                          "\tface 3 {\n3 V(0 1 2)\n\t}\n}\n");
    EXPECT_EQ(parse(path, 1.0, 255), 1);
    ASSERT_EQ(model->objectCount, 1);
    ASSERT_EQ(model->objects[0].batchCount, 1);
    EXPECT_EQ(model->objects[0].batches[0].vertexCount, 0);
}

TEST_F(DocumentModel, FiftyObjectsAndMore) {
    std::string text;
    for (int i = 0; i < 60; ++i)
        text += "Object \"o" + std::to_string(i) + "\" {\n\tvisible 15\n\tvertex 3 {\n0 0 0\n1 0 0\n0 1 0\n\t}\n"
                "\tface 1 {\n3 V(0 1 2)\n\t}\n}\n";
    const std::string path = folder.write("many.mqo", text);
    EXPECT_EQ(parse(path, 1.0, 255), 1);
    EXPECT_EQ(model->objectCount, MQO_OBJECT_SLOTS - 1);
    EXPECT_NE(output.find("[50]"), std::string::npos) << output;
}

// Textured materials: the pool makes the textures, so these need a context.
class TexturedDocument : public DocumentModel {
protected:
    void SetUp() override {
        ASSERT_TRUE(headlessGlOpen(16, 16));
        DocumentModel::SetUp();
    }
    void TearDown() override {
        DocumentModel::TearDown();
        mqoReleaseTexturePool();
        headlessGlClose();
    }

    std::string materialLine(const std::string& texture) {
        return "\t\"m\" col(1 1 1 1) dif(1) amb(0) emi(0) spc(0) power(1) " + texture + "\n";
    }
};

TEST_F(TexturedDocument, RelativeNamesAreJoinedToDocumentFolder) {
    const std::string white(4 * 3, '\xFF');
    folder.write("petal.bmp", bmpFile(2, white));
    folder.write("mask.tga", tgaFile(2, 8, 3, std::string("\x10\x20\x30\x40", 4)));
    const std::string path = folder.write(
        "doc.mqo", "Material 2 {\n" + materialLine("tex(\"petal.bmp\") aplane(\"mask.tga\")") +
                       materialLine("tex(\"petal.bmp\")") + "}\nObject \"o\" {\n\tvertex 3 {\n0 0 0\n1 0 0\n0 1 0\n"
                       "\t}\n\tface 2 {\n3 V(0 1 2) M(0)\n3 V(0 2 1) M(1)\n\t}\n}\n");
    EXPECT_EQ(parse(path, 1.0, 200), 1);
    EXPECT_EQ(output, "");

    ASSERT_EQ(mqoTexturePool.count, 1);  // the second request matched the first entry
    const MqoTextureEntry& entry = mqoTexturePool.entries[0];
    EXPECT_EQ(std::string(entry.textureFile), folder.prefix() + "petal.bmp");
    EXPECT_EQ(std::string(entry.alphaFile), folder.prefix() + "mask.tga");
    EXPECT_EQ(entry.alpha, 200);
    EXPECT_EQ(entry.size, 2);
    EXPECT_EQ(glIsTexture(entry.textureId), GL_TRUE);

    ASSERT_EQ(model->objectCount, 1);
    ASSERT_EQ(model->objects[0].batchCount, 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(model->objects[0].batches[i].useTexture, 1);
        EXPECT_EQ(model->objects[0].batches[i].textureId, entry.textureId);
    }
}

TEST_F(TexturedDocument, NamesWithColonAreUsedAsWritten) {
    const std::string path =
        folder.write("doc.mqo", "Material 3 {\n" + materialLine("tex(\"Q:no-such-dir/a.bmp\")") +
                                    materialLine("tex(\"missing.bmp\")") +
                                    materialLine("tex(\"missing.tga\") aplane(\"Q:mask.tga\")") + "}\n");
    EXPECT_EQ(parse(path, 1.0, 255), 1);
    EXPECT_EQ(output, messages::openError("Q:no-such-dir/a.bmp") +
                                    messages::openError(folder.prefix() + "missing.bmp") +
                                    messages::openError(folder.prefix() + "missing.tga") +
                                    messages::openError("Q:mask.tga"));
    EXPECT_EQ(mqoTexturePool.count, 0);
}

TEST_F(TexturedDocument, FailedAndOverlongTexturePaths) {
    // Each line stays within 255 characters; joined to the folder, the names do not.
    const std::string longName(235, 'n');
    const std::string longAlphaName(225, 'a');
    std::deque<std::string> texts;
    std::deque<MqoByteCursor> cursors;
    MqoDocumentRecords records{};
    mqoReadDocumentRecords(cursorOver(texts, cursors,
                                      "Material 4 {\n\ttex(\"" + longName + "\")\n" +
                                          materialLine("tex(\"missing.bmp\")") + materialLine("") +
                                          "\ttex(\"ok.bmp\") aplane(\"" + longAlphaName + "\")\n}\n"),
                           &records);
    ASSERT_EQ(records.materialsFilled, 4);
    ASSERT_STREQ(records.materials[0].textureFile, longName.c_str());

    captureStdout();
    mqoResolveTextures(&records, folder.prefix().c_str(), 255);
    const std::string output = capturedStdout();
    EXPECT_EQ(records.materials[0].textureId, UINT32_MAX);  // over 255 characters once joined
    EXPECT_EQ(records.materials[1].textureId, UINT32_MAX);  // the pool failed
    EXPECT_EQ(records.materials[2].textureId, 0u);          // no texture
    EXPECT_EQ(records.materials[3].textureId, UINT32_MAX);  // alpha path too long
    EXPECT_EQ(output, messages::openError(folder.prefix() + "missing.bmp"));

    // Without a usable directory only names with ':' are tried.
    records.materials[1].textureId = 0;
    captureStdout();
    mqoResolveTextures(&records, nullptr, 255);
    EXPECT_EQ(capturedStdout(), "");
    EXPECT_EQ(records.materials[1].textureId, UINT32_MAX);
    mqoFreeDocumentRecords(&records);
}

}  // namespace
