#include "CommandLine.h"

#include "HostState.h"

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
        // strtol rather than atol: an out-of-range number saturates instead of being undefined.
        long handle = std::strtol(found + 2, nullptr, 10);
        hostState.parentWindow =
            handle == 0 ? GetForegroundWindow() : reinterpret_cast<HWND>(static_cast<LONG_PTR>(handle));
        return 0;
    }
    return 1;
}
