// Small helpers for reading files whose headers cannot be trusted.
#pragma once

#include <climits>
#include <cstdint>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/stat.h>
#endif

// Bytes from the current position to the end of the file; 0 when the position
// or the size cannot be told. Asks the file system for the size rather than
// seeking, so the stream keeps its buffer (readers call this once per header line).
inline long mqoRemainingBytes(FILE* file) {
    const long here = std::ftell(file);
    if (here < 0)
        return 0;
#ifdef _WIN32
    const int64_t size = _filelengthi64(_fileno(file));
#else
    struct stat info;
    const int64_t size = fstat(fileno(file), &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
#endif
    if (size <= here)
        return 0;
    const int64_t rest = size - here;
    return rest > LONG_MAX ? LONG_MAX : static_cast<long>(rest);
}
