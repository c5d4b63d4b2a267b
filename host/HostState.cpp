#include "HostState.h"

HostState hostState;
