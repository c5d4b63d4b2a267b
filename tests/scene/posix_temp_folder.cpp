#include "TempFolder.h"

#include <cstdlib>
#include <sys/resource.h>

void setTempFolder(const std::string& folder) {
    setenv("TMPDIR", folder.c_str(), 1);
}

namespace {
rlimit savedFileLimit;
}

// The model file needs a new descriptor; with none allowed it cannot be made.
void breakModelFile() {
    getrlimit(RLIMIT_NOFILE, &savedFileLimit);
    rlimit none = savedFileLimit;
    none.rlim_cur = 0;
    setrlimit(RLIMIT_NOFILE, &none);
}

void restoreModelFile() {
    setrlimit(RLIMIT_NOFILE, &savedFileLimit);
}
