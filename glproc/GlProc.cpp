#include "GlProc.h"

#include <cstring>

namespace {
GlProcLookup lookupOfContext;
}

void setGlProcLookup(GlProcLookup lookup) {
    lookupOfContext = lookup;
}

void* glProcAddress(const char* name) {
    return lookupOfContext && name ? lookupOfContext(name) : nullptr;
}

bool extensionListed(const char* list, const char* name) {
    if (!list || !name || name[0] == '\0' || std::strchr(name, ' '))
        return false;
    const std::size_t length = std::strlen(name);
    for (const char* at = list; (at = std::strstr(at, name)); ++at)
        if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0'))
            return true;
    return false;
}
