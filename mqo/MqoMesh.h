// Mesh building: parsed objects and materials become drawable objects of a model.
#pragma once

#include "MqoRecords.h"

// Builds every parsed object into the next free slot of the model.
void mqoBuildObjects(MqoModel* model, const MqoObjectData* objects, int objectCount,
                     const MqoMaterial* materials, int materialCount, double scale);

// Unit normal of the triangle p, q, r (front side: clockwise); zero when degenerate.
MqoVec3 mqoFaceNormal(const MqoVec3& p, const MqoVec3& q, const MqoVec3& r);

// One smoothed unit normal per vertex (zero where no face contributes); the
// caller frees the array. Null when the object has no vertices or memory ran out.
MqoVec3* mqoComputeVertexNormals(const MqoObjectData& object);

// Builds one object into slot objectCount of the model and counts it.
void mqoBuildObjectBatches(const MqoObjectData& object, MqoModel& model, const MqoVec3* vertexNormals,
                           const MqoMaterial* materials, int materialCount, double scale);

// Writes the triangles of material materialIndex into the batch's vertex array,
// never more than the batch's vertexCount vertices.
void mqoFillBatchVertices(MqoMaterialBatch& batch, int materialIndex, const MqoFace* faces, int faceCount,
                          const MqoVec3* vertices, int vertexCount, const MqoVec3* vertexNormals,
                          float facet, double scale);

// Deletes the object's buffers and frees its batches; the slot keeps its name.
void mqoReleaseObjectBatches(MqoDrawObject& object);
