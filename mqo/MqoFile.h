// Whole files read into memory for the readers, which take bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "MqoByteCursor.h"

// Size of an open file from the file system; -1 when it cannot be told.
// One definition per platform.
int64_t mqoFileSize(FILE* file);

// The rest of the open file in a new buffer that the caller frees (never null on
// success, even for an empty file). False when the size cannot be told, exceeds
// MQO_MAX_INPUT_BYTES, or memory runs out. A file that shrank meanwhile gives what it holds.
inline bool mqoReadWholeFile(FILE* file, unsigned char** bytes, size_t* size) {
    const int64_t length = mqoFileSize(file);
    if (length < 0 || static_cast<uint64_t>(length) > MQO_MAX_INPUT_BYTES)
        return false;
    auto* buffer = static_cast<unsigned char*>(std::malloc(length > 0 ? static_cast<size_t>(length) : 1));
    if (!buffer)
        return false;
    *bytes = buffer;
    *size = std::fread(buffer, 1, static_cast<size_t>(length), file);
    return true;
}
