#include "MqoFile.h"

#include <io.h>

int64_t mqoFileSize(FILE* file) {
    return _filelengthi64(_fileno(file));
}
