#include "MqoFile.h"

#include <sys/stat.h>

int64_t mqoFileSize(FILE* file) {
    struct stat info;
    return fstat(fileno(file), &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}
