// Small helpers for reading files whose headers cannot be trusted.
#pragma once

#include <climits>
#include <cstdint>
#include <cstdio>

// Size of an open file from the file system; -1 when it cannot be told.
// One definition per platform.
int64_t mqoFileSize(FILE* file);

// Bytes from the current position to the end of the file; 0 when the position
// or the size cannot be told. Asks the file system for the size rather than
// seeking, so the stream keeps its buffer (readers call this once per header line).
inline long mqoRemainingBytes(FILE* file) {
    const long here = std::ftell(file);
    if (here < 0)
        return 0;
    const int64_t size = mqoFileSize(file);
    if (size <= here)
        return 0;
    const int64_t rest = size - here;
    return rest > LONG_MAX ? LONG_MAX : static_cast<long>(rest);
}
