// A flat model's outline as a signed distance field: one byte a texel, above 127 inside
// the outline and below 128 outside, so that filtered samples cut the edge out between
// texels at any magnification.
#pragma once

#include <cstdint>
#include <vector>

#include "MqoRecords.h"

struct OutlineField {
    int size;                     // texels along each side
    std::vector<uint8_t> texels;  // size x size, rows from the bottom (lowest y) up
    float left, bottom;           // the field's square in the model's plane
    float extent;                 // its side, in model units
    float plane;                  // the model's z
    float quad[4];                // left, bottom, right, top: the outline with the field's margin
};

// From the triangles that the fixed-function path draws. A one-line reason, and no field,
// when the model is not one flat untextured opaque shape: not all in one plane of constant
// z, no area, coordinates that are not finite, or too many triangles or too long an
// outline to draw into the field at start.
const char* buildOutlineField(const MqoModel* model, int size, OutlineField& field);
