#include "MqoScan.h"

#include <cstdlib>

int mqoScanFloats(const char* text, float* values, int count) {
    for (int i = 0; i < count; ++i) {
        char* end = nullptr;
        const float value = std::strtof(text, &end);
        if (end == text)
            return i;
        values[i] = value;
        text = end;
    }
    return count;
}

int mqoScanInts(const char* text, int* values, int count) {
    for (int i = 0; i < count; ++i) {
        char* end = nullptr;
        // Wider than int, then narrowed, as the scanf family narrows its %d.
        const long long value = std::strtoll(text, &end, 10);
        if (end == text)
            return i;
        values[i] = static_cast<int>(value);
        text = end;
    }
    return count;
}
