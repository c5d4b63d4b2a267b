// MQO text documents: a line-oriented, keyword-driven reader over bytes in memory.
//
// Lines are copied into 256-byte buffers, so a longer line arrives in pieces of 255
// characters, each handled as a line of its own. Keywords are found anywhere in a
// line. Numbers on the many vertex and face lines are scanned with MqoScan, the few
// header and colour values with sscanf; no scan result is tested: a field that no
// scan reaches keeps its zero.
#include "MqoDocument.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "MqoFile.h"
#include "MqoLoader.h"
#include "MqoMesh.h"
#include "MqoScan.h"

namespace {

constexpr int kMaxTextLength = MQO_TEXT_SIZE - 1;

// As fgets reads a file: up to and including the next line feed, at most 255 bytes.
bool readLine(MqoByteCursor& document, char (&line)[MQO_TEXT_SIZE]) {
    const size_t left = mqoBytesLeft(document);
    if (left == 0)
        return false;
    const size_t most = left < static_cast<size_t>(kMaxTextLength) ? left : kMaxTextLength;
    const unsigned char* start = document.bytes + document.position;
    const auto* feed = static_cast<const unsigned char*>(std::memchr(start, '\n', most));
    const size_t length = feed ? static_cast<size_t>(feed - start) + 1 : most;
    std::memcpy(line, start, length);
    line[length] = '\0';
    document.position += length;
    return true;
}

bool isClosingLine(const char* line) {
    return std::strchr(line, '}') != nullptr;
}

// Reads up to and including the next line that contains '}'.
void skipToClosingLine(MqoByteCursor& document) {
    char line[MQO_TEXT_SIZE];
    while (readLine(document, line) && !isClosingLine(line)) {
    }
}

// A declared entry count, negative counts made 0. Entries that the rest of the document
// could fill at bytesPerLine each are always kept; the zero-filled ones beyond them
// take entryBytes each from the document's budget and are cut where it runs out.
int boundedCount(const MqoByteCursor& document, int declared, size_t bytesPerLine, size_t entryBytes,
                 int64_t& zeroFillLeft) {
    if (declared <= 0)
        return 0;
    const int64_t backed = static_cast<int64_t>(mqoBytesLeft(document) / bytesPerLine);
    if (declared <= backed)
        return declared;
    int64_t unbacked = declared - backed;
    const int64_t affordable = zeroFillLeft / static_cast<int64_t>(entryBytes);
    if (unbacked > affordable)
        unbacked = affordable;
    zeroFillLeft -= unbacked * static_cast<int64_t>(entryBytes);
    return static_cast<int>(backed + unbacked);
}

// A zero-filled array of count entries; null (and count 0) when count is 0 or
// memory runs out.
template <typename T>
T* allocateZeroed(int& count) {
    T* entries = count > 0 ? static_cast<T*>(std::calloc(count, sizeof(T))) : nullptr;
    if (!entries)
        count = 0;
    return entries;
}

// The text inside "keyword(...)": from after the opening parenthesis to the first
// ')' (or to the end of the line when there is none), without one enclosing quote
// at either end, cut to 255 characters.
void copyArgument(const char* keyword, size_t keywordLength, char* out) {
    const char* begin = keyword + keywordLength;
    const char* close = std::strchr(begin, ')');
    const char* end = close ? close : begin + std::strcspn(begin, "\r\n");
    if (begin < end && *begin == '"')
        ++begin;
    if (begin < end && end[-1] == '"')
        --end;
    size_t length = static_cast<size_t>(end - begin);
    if (length > static_cast<size_t>(kMaxTextLength))
        length = kMaxTextLength;
    std::memcpy(out, begin, length);
    out[length] = '\0';
}

// Where the colour scan starts: the first "col(" that begins a word (at the line's
// start or after a blank, a quote or a closing parenthesis), so that newer writers'
// "vcol(1)" before it is passed over; without one, the first "col(" anywhere.
const char* colourGroup(const char* line) {
    const char* first = std::strstr(line, "col(");
    for (const char* found = first; found; found = std::strstr(found + 1, "col(")) {
        if (found == line || std::strchr(" \t\")", found[-1]))
            return found;
    }
    return first;
}

void parseMaterialLine(const char* line, MqoMaterial& material) {
    // Colour values that the scan does not reach stay 0.
    float r = 0, g = 0, b = 0, a = 0, dif = 0, amb = 0, emi = 0, spc = 0;
    if (const char* colour = colourGroup(line))
        std::sscanf(colour, "col(%f %f %f %f) dif (%f) amb(%f) emi(%f) spc(%f) power(%f)", &r, &g, &b, &a, &dif,
                    &amb, &emi, &spc, &material.power);
    const float factors[4] = {dif, amb, emi, spc};
    float* groups[4] = {material.diffuse, material.ambient, material.emission, material.specular};
    for (int i = 0; i < 4; ++i) {
        groups[i][0] = r * factors[i];
        groups[i][1] = g * factors[i];
        groups[i][2] = b * factors[i];
        groups[i][3] = a;
    }

    const char* texture = std::strstr(line, "tex(");
    material.useTexture = texture ? 1 : 0;
    material.textureFile[0] = '\0';
    material.alphaFile[0] = '\0';
    if (!texture)
        return;
    copyArgument(texture, 4, material.textureFile);
    if (const char* alphaPlane = std::strstr(line, "aplane("))
        copyArgument(alphaPlane, 7, material.alphaFile);
}

void freeObject(MqoObjectData& object) {
    std::free(object.vertices);
    std::free(object.faces);
    object.vertices = nullptr;
    object.faces = nullptr;
}

// Replaces the object's vertex array with a zeroed one for its declared count.
void allocateVertices(const MqoByteCursor& document, MqoObjectData& object, size_t bytesPerVertex,
                      int64_t& zeroFillLeft) {
    std::free(object.vertices);
    object.vertexCount = boundedCount(document, object.vertexCount, bytesPerVertex, sizeof(MqoVec3), zeroFillLeft);
    object.vertices = allocateZeroed<MqoVec3>(object.vertexCount);
}

float littleEndianFloat(const unsigned char* bytes) {
    const uint32_t bits = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                          static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A texture path: the name itself when it holds ':', else the directory and the
// name. False when there is no directory to join or the result is too long.
bool texturePath(const char* directory, const char* name, char (&path)[MQO_TEXT_SIZE]) {
    if (std::strchr(name, ':')) {
        std::snprintf(path, sizeof path, "%s", name);
        return true;
    }
    if (!directory)
        return false;
    const int length = std::snprintf(path, sizeof path, "%s%s", directory, name);
    return length >= 0 && length <= kMaxTextLength;
}

}  // namespace

int mqoParseMaterialChunk(MqoByteCursor* document, MqoMaterial* materials, int capacity) {
    char line[MQO_TEXT_SIZE];
    int filled = 0;
    while (readLine(*document, line) && !isClosingLine(line)) {
        if (filled < capacity)
            parseMaterialLine(line, materials[filled++]);
    }
    return filled;
}

int mqoParseVertexList(MqoByteCursor* document, MqoVec3* vertices, int capacity) {
    char line[MQO_TEXT_SIZE];
    int filled = 0;
    while (readLine(*document, line) && !isClosingLine(line)) {
        if (filled < capacity) {
            float xyz[3] = {};  // what the line does not give stays 0
            mqoScanFloats(line, xyz, 3);
            vertices[filled++] = {xyz[0], xyz[1], xyz[2]};
        }
    }
    return filled;
}

int mqoParseVectorBlock(MqoByteCursor* document, MqoVec3* vertices, int capacity) {
    char line[MQO_TEXT_SIZE];
    if (!readLine(*document, line))
        return -1;
    const char* vector = std::strstr(line, "Vector");
    if (!vector)
        return -1;
    int count = 0;
    int byteSize = 0;
    std::sscanf(vector, "Vector %d [%d]", &count, &byteSize);

    // Never more than the document still holds, whatever the line claims.
    const size_t available = mqoBytesLeft(*document);
    const size_t declared = byteSize > 0 ? static_cast<size_t>(byteSize) : 0;
    const size_t wanted = declared < available ? declared : available;
    const unsigned char* data = document->bytes + document->position;
    document->position += wanted;

    long copied = static_cast<long>(wanted / 12);
    if (copied > count)
        copied = count < 0 ? 0 : count;
    if (copied > capacity)
        copied = capacity < 0 ? 0 : capacity;
    for (long i = 0; i < copied; ++i) {
        const unsigned char* element = data + i * 12;
        vertices[i] = {littleEndianFloat(element), littleEndianFloat(element + 4), littleEndianFloat(element + 8)};
    }
    skipToClosingLine(*document);
    return static_cast<int>(copied);
}

int mqoParseFaceList(MqoByteCursor* document, MqoFace* faces, int capacity) {
    char line[MQO_TEXT_SIZE];
    int filled = 0;
    while (readLine(*document, line) && !isClosingLine(line)) {
        if (filled >= capacity)
            continue;
        MqoFace& face = faces[filled++];
        mqoScanInts(line, &face.cornerCount, 1);
        // Triangles and quadrilaterals only; other corner counts read no indices or UVs.
        const int corners = face.cornerCount == 3 || face.cornerCount == 4 ? face.cornerCount : 0;
        if (const char* indices = std::strstr(line, "V("))
            mqoScanInts(indices + 2, face.vertexIndex, corners);
        face.material = 0;
        if (const char* material = std::strstr(line, "M("))
            mqoScanInts(material + 2, &face.material, 1);
        else
            face.material = -1;
        if (const char* coords = std::strstr(line, "UV("))
            mqoScanFloats(coords + 3, face.uv, 2 * corners);
    }
    return filled;
}

void mqoParseObjectChunk(MqoByteCursor* document, MqoObjectData* object, int64_t* zeroFillLeft) {
    char line[MQO_TEXT_SIZE];
    while (readLine(*document, line) && !isClosingLine(line)) {
        if (std::strstr(line, "visible "))
            std::sscanf(line, " visible %d", &object->visible);
        if (std::strstr(line, "shading "))
            std::sscanf(line, " shading %d", &object->shading);
        if (std::strstr(line, "facet "))
            std::sscanf(line, " facet %f", &object->facet);
        if (std::strstr(line, "vertex ")) {
            std::sscanf(line, " vertex %d", &object->vertexCount);
            allocateVertices(*document, *object, 1, *zeroFillLeft);  // a vertex line may be as short as a line feed
            mqoParseVertexList(document, object->vertices, object->vertexCount);
        }
        if (std::strstr(line, "BVertex")) {
            std::sscanf(line, " BVertex %d", &object->vertexCount);
            allocateVertices(*document, *object, 12, *zeroFillLeft);  // binary vertices take 12 bytes each
            mqoParseVectorBlock(document, object->vertices, object->vertexCount);
        }
        if (std::strstr(line, "face ")) {
            std::sscanf(line, " face %d", &object->faceCount);
            std::free(object->faces);
            object->faceCount = boundedCount(*document, object->faceCount, 1, sizeof(MqoFace), *zeroFillLeft);
            object->faces = allocateZeroed<MqoFace>(object->faceCount);
            object->unfilledFaces = object->faceCount - mqoParseFaceList(document, object->faces, object->faceCount);
        }
    }
}

int mqoPathDirectory(const char* path, char* directory) {
    const char* backslash = std::strrchr(path, '\\');
    const char* slash = std::strrchr(path, '/');
    const char* separator = !slash || (backslash && backslash > slash) ? backslash : slash;
    const size_t length = separator ? static_cast<size_t>(separator - path) + 1 : 0;
    if (length > static_cast<size_t>(kMaxTextLength)) {
        directory[0] = '\0';
        return -1;
    }
    std::memcpy(directory, path, length);
    directory[length] = '\0';
    return static_cast<int>(length);
}

void mqoReadDocumentRecords(MqoByteCursor* document, MqoDocumentRecords* records) {
    *records = {};
    int64_t zeroFillLeft = MQO_ZERO_FILL_BUDGET;
    int declaredMaterials = 0;  // a header that names no count reuses the last one
    char line[MQO_TEXT_SIZE];
    while (readLine(*document, line)) {
        if (std::strstr(line, "Material")) {
            std::sscanf(line, "Material %d", &declaredMaterials);
            std::free(records->materials);
            records->materialCount = boundedCount(*document, declaredMaterials, 1, sizeof(MqoMaterial), zeroFillLeft);
            records->materials = allocateZeroed<MqoMaterial>(records->materialCount);
            records->materialsFilled = mqoParseMaterialChunk(document, records->materials, records->materialCount);
        }
        if (std::strstr(line, "Object")) {
            // Once the table is full, further objects are read into a spare record and dropped.
            MqoObjectData spare = {};
            const bool counted = records->objectCount < MQO_OBJECT_SLOTS;
            MqoObjectData& object = counted ? records->objects[records->objectCount] : spare;
            std::sscanf(line, "Object %255s", object.name);
            mqoParseObjectChunk(document, &object, &zeroFillLeft);
            if (counted)
                ++records->objectCount;
            else
                freeObject(spare);
        }
    }
}

void mqoResolveTextures(MqoDocumentRecords* records, const char* directory, int alpha) {
    // Entries past the filled ones are zero: no texture.
    for (int i = 0; i < records->materialsFilled; ++i) {
        MqoMaterial& material = records->materials[i];
        if (!material.useTexture)
            continue;
        char texture[MQO_TEXT_SIZE];
        char alphaPlane[MQO_TEXT_SIZE];
        const bool hasAlphaPlane = material.alphaFile[0] != '\0';
        if (!texturePath(directory, material.textureFile, texture) ||
            (hasAlphaPlane && !texturePath(directory, material.alphaFile, alphaPlane))) {
            material.textureId = UINT32_MAX;
            continue;
        }
        material.textureId = static_cast<uint32_t>(mqoSetTexturePool(texture, hasAlphaPlane ? alphaPlane : nullptr, alpha));
    }
}

void mqoFreeDocumentRecords(MqoDocumentRecords* records) {
    for (int i = 0; i < records->objectCount; ++i)
        freeObject(records->objects[i]);
    std::free(records->materials);
    records->materials = nullptr;
    records->materialCount = 0;
    records->materialsFilled = 0;
    records->objectCount = 0;
}

void mqoParseDocumentBytes(MqoModel* model, const unsigned char* bytes, size_t size, const char* directory,
                           double scale, int alpha) {
    model->alpha = static_cast<uint8_t>(alpha & 0xFF);
    MqoByteCursor document = {bytes, bytes ? size : 0, 0};
    MqoDocumentRecords records;
    mqoReadDocumentRecords(&document, &records);
    mqoResolveTextures(&records, directory, alpha);
    mqoBuildObjects(model, records.objects, records.objectCount, records.materials, records.materialCount, scale);
    mqoFreeDocumentRecords(&records);
}

int mqoParseDocument(MqoModel* model, const char* path, double scale, int alpha) {
    if (!model || !path)
        return 0;
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return 0;
    unsigned char* bytes = nullptr;
    size_t size = 0;
    const bool read = mqoReadWholeFile(file, &bytes, &size);
    std::fclose(file);
    if (!read)
        return 0;

    char directory[MQO_TEXT_SIZE];
    const bool directoryFits = mqoPathDirectory(path, directory) >= 0;
    mqoParseDocumentBytes(model, bytes, size, directoryFits ? directory : nullptr, scale, alpha);
    std::free(bytes);
    return 1;
}
