// Any bytes as an MQO document, and the model it makes cut into a sprite outline: whatever
// the triangles (none, flat or not, NaN, huge, slivers), the field is built within its
// bounds or refused with a reason.
#include <cstdint>
#include <cstdlib>

#include "MqoDocument.h"
#include "MqoMesh.h"
#include "OutlineField.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto* model = static_cast<MqoModel*>(std::calloc(1, sizeof(MqoModel)));
    if (!model)
        return 0;
    // Textures are refused by the outline anyway: a folder that does not exist keeps their reads short.
    mqoParseDocumentBytes(model, data, size, "/nonexistent/", 0.015, 255);
    OutlineField field;
    const char* refusal = buildOutlineField(model, 64, field);
    if (!refusal && field.texels.size() != 64u * 64u)
        std::abort();
    for (MqoDrawObject& object : model->objects)
        mqoReleaseObjectBatches(object);
    std::free(model);
    return 0;
}
