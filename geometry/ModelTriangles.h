// The triangles of a model that one flat tint draws as the fixed-function path does: the
// geometry the faster paths copy.
#pragma once

#include <vector>

#include "MqoRecords.h"

// The corners of every drawn triangle, in drawing order. A one-line reason, and nothing
// to copy, when the model has something only the fixed-function path draws as it should:
// textures, several materials, transparency; or when it has no triangles or more than a
// million.
const char* collectPlainCorners(const MqoModel* model, std::vector<MqoVec3>& corners);

// Corners that share a position, bit for bit, become one vertex; the indices keep the
// triangles' order.
void mergeCorners(const std::vector<MqoVec3>& corners, std::vector<MqoVec3>& vertices, std::vector<unsigned>& indices);
