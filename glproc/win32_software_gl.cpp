// Windows tells by the pixel format, which needs the window's device context: the host
// asks it there, and the context's renderer decides elsewhere.
#include "SoftwareGl.h"

bool softwareGlOnly(const char**) {
    return false;
}
