#include "ModelTriangles.h"

#include <algorithm>
#include <cstring>

namespace {

// A million triangles: thousands of copies of anything larger would be no screen saver, and
// the copy's memory stays bounded.
constexpr size_t maximumCorners = 3u << 20;

bool sameMaterial(const MqoMaterialBatch& a, const MqoMaterialBatch& b) {
    return a.hasMaterial == b.hasMaterial && a.power == b.power &&
           !std::memcmp(a.diffuse, b.diffuse, sizeof a.diffuse) &&
           !std::memcmp(a.ambient, b.ambient, sizeof a.ambient) &&
           !std::memcmp(a.emission, b.emission, sizeof a.emission) &&
           !std::memcmp(a.specular, b.specular, sizeof a.specular);
}

// Positions compare by their bits: a total order even for the NaN a hostile file can hold.
bool lessByPosition(const MqoVec3& a, const MqoVec3& b) {
    return std::memcmp(&a, &b, sizeof a) < 0;
}

bool samePosition(const MqoVec3& a, const MqoVec3& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

const char* collectPlainCorners(const MqoModel* model, std::vector<MqoVec3>& corners) {
    if (!model)
        return "there is no flower model";
    const MqoMaterialBatch* first = nullptr;
    for (int o = 0; o < model->objectCount && o < MQO_OBJECT_SLOTS; ++o) {
        const MqoDrawObject& object = model->objects[o];
        if (!object.visible)
            continue;
        for (int b = 0; b < object.batchCount; ++b) {
            const MqoMaterialBatch& batch = object.batches[b];
            if (batch.vertexCount <= 0)
                continue;
            if (batch.useTexture || !batch.plainVertices)
                return "the model has a textured material";
            if (first && !sameMaterial(*first, batch))
                return "the model has several materials";
            if (model->alpha < 255 || (batch.hasMaterial && batch.diffuse[3] < 1.0f))
                return "the model has a transparent material";
            first = &batch;
            if (corners.size() + static_cast<size_t>(batch.vertexCount) > maximumCorners)
                return "the model has too many triangles to copy";
            for (int v = 0; v < batch.vertexCount; ++v) {
                const float* p = batch.plainVertices[v].position;
                corners.push_back({p[0], p[1], p[2]});
            }
        }
    }
    if (corners.empty())
        return "the model has no triangles to draw";
    return nullptr;
}

void mergeCorners(const std::vector<MqoVec3>& corners, std::vector<MqoVec3>& vertices, std::vector<unsigned>& indices) {
    std::vector<unsigned> byPosition(corners.size());
    for (size_t i = 0; i < corners.size(); ++i)
        byPosition[i] = static_cast<unsigned>(i);
    std::sort(byPosition.begin(), byPosition.end(),
              [&](unsigned a, unsigned b) { return lessByPosition(corners[a], corners[b]); });
    indices.assign(corners.size(), 0);
    for (size_t i = 0; i < byPosition.size(); ++i) {
        const MqoVec3& corner = corners[byPosition[i]];
        if (vertices.empty() || !samePosition(vertices.back(), corner))
            vertices.push_back(corner);
        indices[byPosition[i]] = static_cast<unsigned>(vertices.size() - 1);
    }
}
