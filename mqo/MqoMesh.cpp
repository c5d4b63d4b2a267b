#include "MqoMesh.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>

namespace {

constexpr double kDegreesPerRadian = 180.0 / 3.14159265358979323846;

// Corner triples of the triangles a face splits into.
constexpr int kTriangleCorners[2][3] = {{0, 1, 2}, {0, 2, 3}};

int triangleCount(const MqoFace& face) {
    return face.cornerCount == 3 ? 1 : face.cornerCount == 4 ? 2 : 0;
}

int cornersUsed(const MqoFace& face) {
    return face.cornerCount == 3 || face.cornerCount == 4 ? face.cornerCount : 0;
}

// A face that names a vertex outside the object is left out of everything.
bool faceInsideObject(const MqoFace& face, int vertexCount) {
    for (int c = 0; c < cornersUsed(face); ++c) {
        if (face.vertexIndex[c] < 0 || face.vertexIndex[c] >= vertexCount)
            return false;
    }
    return true;
}

// Counts that the parser may have left without their arrays. Faces past the filled
// ones are all zero (no corners, material 0): they add nothing but batch 0, so the
// loops leave them out and hasZeroFaces stands for all of them.
bool hasZeroFaces(const MqoObjectData& object) {
    return object.faces && object.unfilledFaces > 0 && object.unfilledFaces <= object.faceCount;
}

int usableFaceCount(const MqoObjectData& object) {
    if (!object.faces || object.faceCount <= 0)
        return 0;
    return hasZeroFaces(object) ? object.faceCount - object.unfilledFaces : object.faceCount;
}

int usableVertexCount(const MqoObjectData& object) {
    return object.vertices && object.vertexCount > 0 ? object.vertexCount : 0;
}

void addTo(MqoVec3& sum, const MqoVec3& v) {
    sum.x += v.x;
    sum.y += v.y;
    sum.z += v.z;
}

float dot(const MqoVec3& a, const MqoVec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Decides "arccos(d) in degrees > facet" (d outside -1..1: no crease) without an
// arccos per corner. arccos falls monotonically from 180 to 0 degrees, so a
// comparison with cos(facet) settles every d that is not within a hair of it;
// a facet below 0 always creases, one of 180 or more never does.
struct CreaseRule {
    float facet;
    double cosFacet;  // NaN for a NaN facet: every corner takes the exact test
};

CreaseRule makeCreaseRule(float facet) {
    if (facet < 0.0f)
        return {facet, INFINITY};
    if (facet >= 180.0f)
        return {facet, -INFINITY};
    return {facet, std::cos(facet / kDegreesPerRadian)};
}

bool isCrease(float d, const CreaseRule& rule) {
    if (!(d >= -1.0f && d <= 1.0f))
        return false;
    constexpr double margin = 1e-9;  // far above the rounding of cos and arccos
    if (d < rule.cosFacet - margin)
        return true;
    if (d > rule.cosFacet + margin)
        return false;
    return std::acos(static_cast<double>(d)) * kDegreesPerRadian > rule.facet;
}

template <typename Vertex>
void writeTriangles(Vertex* out, int capacity, int materialIndex, const MqoFace* faces, int faceCount,
                    const MqoVec3* vertices, int vertexCount, const MqoVec3* vertexNormals, float facet,
                    double scale) {
    const CreaseRule rule = makeCreaseRule(facet);
    int written = 0;
    for (int f = 0; f < faceCount; ++f) {
        const MqoFace& face = faces[f];
        if (face.material != materialIndex || !faceInsideObject(face, vertexCount))
            continue;
        for (int t = 0; t < triangleCount(face); ++t) {
            if (written + 3 > capacity)
                return;
            const int* corners = kTriangleCorners[t];
            const MqoVec3 faceNormal = mqoFaceNormal(vertices[face.vertexIndex[corners[0]]],
                                                     vertices[face.vertexIndex[corners[1]]],
                                                     vertices[face.vertexIndex[corners[2]]]);
            for (int c = 0; c < 3; ++c) {
                const int corner = corners[c];
                const int index = face.vertexIndex[corner];
                const MqoVec3& position = vertices[index];
                const MqoVec3& vertexNormal = vertexNormals[index];
                const MqoVec3& normal = isCrease(dot(vertexNormal, faceNormal), rule) ? faceNormal : vertexNormal;
                Vertex& v = out[written++];
                v.position[0] = static_cast<float>(position.x * scale);
                v.position[1] = static_cast<float>(position.y * scale);
                v.position[2] = static_cast<float>(position.z * scale);
                v.normal[0] = normal.x;
                v.normal[1] = normal.y;
                v.normal[2] = normal.z;
                if constexpr (std::is_same_v<Vertex, MqoTexturedVertex>) {
                    v.texCoord[0] = face.uv[corner * 2];
                    v.texCoord[1] = face.uv[corner * 2 + 1];
                }
            }
        }
    }
}

void uploadBatch(MqoMaterialBatch& batch) {
    const MqoLoaderState& state = mqoLoaderState;
    const void* data = batch.useTexture ? static_cast<const void*>(batch.texturedVertices)
                                        : static_cast<const void*>(batch.plainVertices);
    const GLsizeiptrARB stride = batch.useTexture ? sizeof(MqoTexturedVertex) : sizeof(MqoPlainVertex);
    state.genBuffers(1, &batch.bufferId);
    state.bindBuffer(GL_ARRAY_BUFFER_ARB, batch.bufferId);
    state.bufferData(GL_ARRAY_BUFFER_ARB, stride * batch.vertexCount, data, GL_STATIC_DRAW_ARB);
}

// Allocates and fills batch i; a batch that cannot be allocated stays empty.
void buildBatch(MqoMaterialBatch& batch, int materialIndex, int64_t tally, const MqoObjectData& object,
                int vertexCount, const MqoVec3* vertexNormals, const MqoMaterial* materials, double scale) {
    batch.hasMaterial = materials ? 1 : 0;
    if (tally <= 0 || tally > INT_MAX)
        return;
    if (materials) {
        const MqoMaterial& material = materials[materialIndex];
        std::memcpy(batch.diffuse, material.diffuse, sizeof batch.diffuse);
        std::memcpy(batch.ambient, material.ambient, sizeof batch.ambient);
        std::memcpy(batch.emission, material.emission, sizeof batch.emission);
        std::memcpy(batch.specular, material.specular, sizeof batch.specular);
        batch.power = material.power;
        batch.useTexture = material.useTexture != 0 ? 1 : 0;
        if (batch.useTexture)
            batch.textureId = material.textureId;
    }
    batch.vertexCount = static_cast<int>(tally);
    if (batch.useTexture)
        batch.texturedVertices =
            static_cast<MqoTexturedVertex*>(std::calloc(batch.vertexCount, sizeof(MqoTexturedVertex)));
    else
        batch.plainVertices = static_cast<MqoPlainVertex*>(std::calloc(batch.vertexCount, sizeof(MqoPlainVertex)));
    if (!batch.texturedVertices && !batch.plainVertices) {
        batch.vertexCount = 0;
        return;
    }
    mqoFillBatchVertices(batch, materialIndex, object.faces, usableFaceCount(object), object.vertices, vertexCount,
                         vertexNormals, object.facet, scale);
    if (mqoLoaderState.buffersSupported)
        uploadBatch(batch);
}

}  // namespace

MqoVec3 mqoFaceNormal(const MqoVec3& p, const MqoVec3& q, const MqoVec3& r) {
    const MqoVec3 u{p.x - q.x, p.y - q.y, p.z - q.z};
    const MqoVec3 v{r.x - q.x, r.y - q.y, r.z - q.z};
    const MqoVec3 n{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
    const float length = std::sqrt(dot(n, n));
    // Coinciding or collinear corners (or overflowing ones) have no direction.
    if (!(length > 0.0f) || !std::isfinite(length))
        return {0.0f, 0.0f, 0.0f};
    return {n.x / length, n.y / length, n.z / length};
}

MqoVec3* mqoComputeVertexNormals(const MqoObjectData& object) {
    const int vertexCount = usableVertexCount(object);
    if (vertexCount == 0)
        return nullptr;
    auto* normals = static_cast<MqoVec3*>(std::calloc(vertexCount, sizeof(MqoVec3)));
    if (!normals)
        return nullptr;
    // Only the corners of faces get a normal. Normalising just those, each once, keeps
    // the cost with the faces read rather than with a declared vertex count.
    auto* normalised = static_cast<unsigned char*>(std::calloc(vertexCount, 1));
    if (!normalised) {
        std::free(normals);
        return nullptr;
    }
    const int faceCount = usableFaceCount(object);
    for (int f = 0; f < faceCount; ++f) {
        const MqoFace& face = object.faces[f];
        if (!faceInsideObject(face, vertexCount))
            continue;
        for (int t = 0; t < triangleCount(face); ++t) {
            const int a = face.vertexIndex[kTriangleCorners[t][0]];
            const int b = face.vertexIndex[kTriangleCorners[t][1]];
            const int c = face.vertexIndex[kTriangleCorners[t][2]];
            const MqoVec3 n = mqoFaceNormal(object.vertices[a], object.vertices[b], object.vertices[c]);
            addTo(normals[a], n);
            addTo(normals[b], n);
            addTo(normals[c], n);
        }
    }
    for (int f = 0; f < faceCount; ++f) {
        const MqoFace& face = object.faces[f];
        if (!faceInsideObject(face, vertexCount))
            continue;
        for (int corner = 0; corner < cornersUsed(face); ++corner) {
            const int i = face.vertexIndex[corner];
            if (normalised[i])
                continue;
            normalised[i] = 1;
            MqoVec3& n = normals[i];
            if (n.x == 0.0f && n.y == 0.0f && n.z == 0.0f)
                continue;
            const float length = std::sqrt(dot(n, n));
            if (length != 0.0f)
                n = {n.x / length, n.y / length, n.z / length};
        }
    }
    std::free(normalised);
    return normals;
}

void mqoFillBatchVertices(MqoMaterialBatch& batch, int materialIndex, const MqoFace* faces, int faceCount,
                          const MqoVec3* vertices, int vertexCount, const MqoVec3* vertexNormals,
                          float facet, double scale) {
    if (!faces || !vertices || !vertexNormals)
        return;
    if (batch.useTexture && batch.texturedVertices)
        writeTriangles(batch.texturedVertices, batch.vertexCount, materialIndex, faces, faceCount, vertices,
                       vertexCount, vertexNormals, facet, scale);
    else if (!batch.useTexture && batch.plainVertices)
        writeTriangles(batch.plainVertices, batch.vertexCount, materialIndex, faces, faceCount, vertices,
                       vertexCount, vertexNormals, facet, scale);
}

void mqoReleaseObjectBatches(MqoDrawObject& object) {
    for (int i = 0; object.batches && i < object.batchCount; ++i) {
        MqoMaterialBatch& batch = object.batches[i];
        if (batch.vertexCount <= 0)
            continue;
        if (mqoLoaderState.buffersSupported)
            mqoLoaderState.deleteBuffers(1, &batch.bufferId);
        if (batch.useTexture) {
            std::free(batch.texturedVertices);
            batch.texturedVertices = nullptr;
        } else {
            std::free(batch.plainVertices);
            batch.plainVertices = nullptr;
        }
    }
    std::free(object.batches);
    object.batches = nullptr;
    object.batchCount = 0;
}

void mqoBuildObjectBatches(const MqoObjectData& object, MqoModel& model, const MqoVec3* vertexNormals,
                           const MqoMaterial* materials, int materialCount, double scale) {
    if (model.objectCount < 0 || model.objectCount >= MQO_OBJECT_SLOTS)
        return;
    // Slots past the count are always empty: fresh, or cleared when an object was dropped.
    MqoDrawObject& slot = model.objects[model.objectCount];
    std::memcpy(slot.name, object.name, MQO_TEXT_SIZE - 1);
    slot.visible = object.visible;
    slot.flatShading = object.shading == 0 ? 1 : 0;

    // Without normals (no memory) no face can be written, so none is counted.
    const int vertexCount = vertexNormals ? usableVertexCount(object) : 0;
    const int faceCount = usableFaceCount(object);
    const int tableSize = materials ? materialCount : 1;
    int64_t* tally = tableSize > 0 ? static_cast<int64_t*>(std::calloc(tableSize, sizeof(int64_t))) : nullptr;
    if (tally) {
        int batchCount = 0;
        for (int f = 0; f < faceCount; ++f) {
            const MqoFace& face = object.faces[f];
            if (face.material < 0 || face.material >= tableSize || !faceInsideObject(face, vertexCount))
                continue;
            tally[face.material] += 3 * triangleCount(face);
            if (batchCount < face.material + 1)
                batchCount = face.material + 1;
        }
        if (hasZeroFaces(object) && batchCount < 1)
            batchCount = 1;
        if (batchCount > 0) {
            slot.batches = static_cast<MqoMaterialBatch*>(std::calloc(batchCount, sizeof(MqoMaterialBatch)));
            slot.batchCount = slot.batches ? batchCount : 0;
        }
        for (int i = 0; i < slot.batchCount; ++i)
            buildBatch(slot.batches[i], i, tally[i], object, vertexCount, vertexNormals, materials, scale);
        std::free(tally);
    }

    ++model.objectCount;
    if (model.objectCount >= MQO_OBJECT_SLOTS) {
        std::printf("MQOファイル読み込み：　最大オブジェクト数を超えました[%d]\n", model.objectCount);
        model.objectCount = MQO_OBJECT_SLOTS - 1;
        // The dropped object is counted by nothing: free it now rather than leak it.
        MqoDrawObject& dropped = model.objects[model.objectCount];
        mqoReleaseObjectBatches(dropped);
        dropped = {};
    }
}

void mqoBuildObjects(MqoModel* model, const MqoObjectData* objects, int objectCount,
                     const MqoMaterial* materials, int materialCount, double scale) {
    if (!model || !objects)
        return;
    for (int i = 0; i < objectCount; ++i) {
        MqoVec3* normals = mqoComputeVertexNormals(objects[i]);
        mqoBuildObjectBatches(objects[i], *model, normals, materials, materialCount, scale);
        std::free(normals);
    }
}
