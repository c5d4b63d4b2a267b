// The Windows saver's frames a second and its share of a core, for the path it takes: the
// saver window made as /s makes it with the stored settings, the frame timer's messages
// counted as the saver's own loop dispatches them. PETALRAIN_RENDERER names a path.
// usage: win32_saver_bench [SECONDS]
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "HostState.h"
#include "SaverGeometry.h"
#include "SaverSettings.h"
#include "SaverWindow.h"
#include "SceneRenderer.h"
#include "SettingsStore.h"

namespace {

double processSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return (ticks(kernel) + ticks(user)) / 1e7;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    hostState.instance = GetModuleHandleA(nullptr);
    hostState.runMode = Saver;
    loadSettings();
    if (createSaverWindow(false) != 0) {
        std::fprintf(stderr, "win32_saver_bench: no saver window\n");
        return 1;
    }
    // The first second settles: the window shows and the first frames fault their memory in.
    long frames = 0;
    ULONGLONG start = GetTickCount64();
    double cpuStart = processSeconds();
    bool settled = false;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (!settled && now - start >= 1000) {
            settled = true;
            frames = 0;
            start = now;
            cpuStart = processSeconds();
        }
        if (settled && now - start >= static_cast<ULONGLONG>(seconds) * 1000)
            break;
        MSG message;
        if (GetMessageA(&message, nullptr, 0, 0) <= 0)
            break;
        frames += message.message == WM_TIMER;
        DispatchMessageA(&message);
    }
    const double wall = (GetTickCount64() - start) / 1000.0;
    std::printf("%dx%d, %d flowers, %s path: %.1f frames/s, %.1f %% of a core\n", saverGeometry.width,
                saverGeometry.height, saverSettings.hanaNum, sceneActivePathName(), frames / wall,
                (processSeconds() - cpuStart) / wall * 100.0);
    DestroyWindow(hostState.window);
    return 0;
}
