// Small helpers for reading files whose headers cannot be trusted.
#pragma once

#include <cstdio>

// Bytes from the current position to the end of the file; 0 when the position
// or the size cannot be told. The position is left where it was.
inline long mqoRemainingBytes(FILE* file) {
    const long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0)
        return 0;
    const long end = std::ftell(file);
    std::fseek(file, here, SEEK_SET);
    return end > here ? end - here : 0;
}
