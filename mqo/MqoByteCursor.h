// A read position in a document or image held in memory: the readers take bytes,
// and loading by path reads the whole file first.
#pragma once

#include <cstddef>

// The largest document or image the readers take, refused before anything is
// allocated for it: far beyond any model or texture a saver shows.
constexpr size_t MQO_MAX_INPUT_BYTES = size_t{1} << 30;

struct MqoByteCursor {
    const unsigned char* bytes;
    size_t size;
    size_t position;  // may lie beyond size after a seek past the end; nothing is read there
};

inline size_t mqoBytesLeft(const MqoByteCursor& cursor) {
    return cursor.position < cursor.size ? cursor.size - cursor.position : 0;
}
