#include "CommandLine.h"

#include "HostState.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

struct Switch {
    const char* text;
    RunMode mode;
};

// Searched in this order: a configure switch anywhere wins over preview, preview over saver.
constexpr Switch switches[] = {
    {"-c", Configure}, {"-C", Configure}, {"/c", Configure}, {"/C", Configure}, {"-p", Preview}, {"-P", Preview},
    {"/p", Preview},   {"/P", Preview},   {"-s", Saver},     {"-S", Saver},     {"/s", Saver},   {"/S", Saver},
};

}  // namespace

int parseCommandLine(const char* commandLine) {
    hostState.parentWindow = nullptr;
    if (lstrlenA(commandLine) == 0) {
        hostState.runMode = Configure;
        return 0;
    }
    for (const Switch& entry : switches) {
        const char* found = std::strstr(commandLine, entry.text);
        if (found == nullptr)
            continue;
        hostState.runMode = entry.mode;
        // Read as atol reads, but pointer-wide: long is 32 bits on 64-bit Windows and the
        // system passes the handle unsigned. strtoull negates a minus sign in unsigned
        // arithmetic (a sign-extended handle) and saturates beyond 64 bits.
        const uintptr_t handle = static_cast<uintptr_t>(std::strtoull(found + 2, nullptr, 10));
        hostState.parentWindow = handle == 0 ? GetForegroundWindow() : reinterpret_cast<HWND>(handle);
        return 0;
    }
    return 1;
}
