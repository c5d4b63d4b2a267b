// The MQO text document reader.
#pragma once

#include <cstddef>
#include <cstdint>

#include "MqoByteCursor.h"
#include "MqoRecords.h"

// 1 when the file opens and is read into memory (whatever it holds); 0, with the model
// untouched, when it cannot be opened, is larger than MQO_MAX_INPUT_BYTES or memory
// runs out. Then as mqoParseDocumentBytes, with the document's folder as directory.
int mqoParseDocument(MqoModel* model, const char* path, double scale, int alpha);

// The document read over size bytes in memory (none at all is an empty document):
// stores the alpha's low byte in the model, reads the records, makes the materials'
// textures through the texture pool (names joined to directory as in
// mqoResolveTextures), builds the objects into the model and frees the records.
// Both loads, by path and from memory, end here. size is at most MQO_MAX_INPUT_BYTES.
void mqoParseDocumentBytes(MqoModel* model, const unsigned char* bytes, size_t size, const char* directory,
                           double scale, int alpha);

// The parse-time records of one document.
struct MqoDocumentRecords {
    MqoObjectData objects[MQO_OBJECT_SLOTS];
    int objectCount;
    MqoMaterial* materials;  // null without a Material chunk
    int materialCount;       // entries of materials
    int materialsFilled;     // leading entries that a material line filled; the rest stay zero
};

// Bytes that one document read may give to zero-filled table entries that no line of
// the file could fill: a hostile header cannot make the reader allocate without bound.
constexpr int64_t MQO_ZERO_FILL_BUDGET = int64_t{16} << 20;

// Zeroes the records (freeing nothing they held) and reads every chunk of the
// document into them. Object chunks beyond the table's 50 entries are read past
// and dropped.
void mqoReadDocumentRecords(MqoByteCursor* document, MqoDocumentRecords* records);

// Asks the texture pool for the texture of every textured material, in table order.
// Names without ':' are joined to directory; when directory is null (the document's
// folder did not fit a text buffer) or the joined path exceeds 255 characters, the
// material gets the failed texture name (all bits set) without a pool request.
void mqoResolveTextures(MqoDocumentRecords* records, const char* directory, int alpha);

// Frees every object's vertices and faces and the material table.
void mqoFreeDocumentRecords(MqoDocumentRecords* records);

// Chunk readers: each starts after the line that opened its chunk and reads up to
// and including the first line that contains '}'. Lines beyond `capacity`
// entries are read and ignored. Each returns the number of entries it filled.
int mqoParseMaterialChunk(MqoByteCursor* document, MqoMaterial* materials, int capacity);
int mqoParseVertexList(MqoByteCursor* document, MqoVec3* vertices, int capacity);
int mqoParseFaceList(MqoByteCursor* document, MqoFace* faces, int capacity);

// Fills one object; allocates its vertices and faces with the declared counts
// (negative counts become 0). Entries beyond what the rest of the document can hold
// are zero-filled from *zeroFillLeft bytes, and counts are lowered where it runs out.
void mqoParseObjectChunk(MqoByteCursor* document, MqoObjectData* object, int64_t* zeroFillLeft);

// Binary vertex block after a BVertex line. -1 (having read one line) when the
// block has no Vector line; otherwise the number of vertices copied, which is at
// most the Vector count, the capacity and the whole 12-byte elements read.
int mqoParseVectorBlock(MqoByteCursor* document, MqoVec3* vertices, int capacity);

// Writes into directory (MQO_TEXT_SIZE bytes) the leading part of path up to and
// including its last '\\' or '/', or the empty text when it has neither. Returns
// its length, or -1 (and the empty text) when it exceeds 255 characters.
int mqoPathDirectory(const char* path, char* directory);
