// A stand-in for the display settings' preview box: a window whose handle a preview can draw in.
// Prints the handle as a decimal number, then looks for the "saver" child window it holds
// until one comes or the given seconds pass; reports its size ("child WIDTH HEIGHT", or
// "no child") and closes itself.
// usage: preview_parent X Y WIDTH HEIGHT SECONDS
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr UINT lookEveryMs = 250;
UINT lookingLeftMs;

LRESULT CALLBACK frameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER: {
            HWND child = FindWindowExA(window, nullptr, "saver", nullptr);
            RECT rect = {};
            const bool found = child != nullptr && GetClientRect(child, &rect);
            if (!found && lookingLeftMs > lookEveryMs) {
                lookingLeftMs -= lookEveryMs;
                return 0;
            }
            KillTimer(window, wParam);
            if (found)
                std::printf("child %ld %ld\n", rect.right, rect.bottom);
            else
                std::printf("no child\n");
            std::fflush(stdout);
            DestroyWindow(window);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s X Y WIDTH HEIGHT SECONDS\n", argv[0]);
        return 2;
    }
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = frameProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "PreviewParent";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "PreviewParent", "Preview parent", WS_POPUP | WS_VISIBLE, std::atoi(argv[1]),
                                  std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    if (window == nullptr)
        return 1;
    std::printf("%lld\n", static_cast<long long>(reinterpret_cast<LONG_PTR>(window)));
    std::fflush(stdout);
    lookingLeftMs = static_cast<UINT>(std::atoi(argv[5]) * 1000);
    SetTimer(window, 1, lookEveryMs, nullptr);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
