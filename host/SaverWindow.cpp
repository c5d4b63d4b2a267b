#include "SaverWindow.h"

#include "FlowerScene.h"
#include "HostState.h"
#include "GlProc.h"
#include "PixelFormat.h"
#include "SaverGeometry.h"
#include "SaverSettings.h"

#include <windowsx.h>

#include <cstdio>
#include <cstdlib>

#include "SceneRenderer.h"
#include "SoftwareGl.h"

namespace {

constexpr UINT_PTR frameTimerId = 1;
constexpr UINT frameIntervalMs = 1;
constexpr uint16_t ignoredMouseMoves = 6;
constexpr int pointerTolerance = 3;

bool registerSaverClass() {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = saverWindowProc;
    windowClass.hInstance = hostState.instance;
    // No class icon: the resources hold the program's icon as group 102 only.
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "saver";
    return RegisterClassA(&windowClass) != 0;
}

void previewGeometry() {
    RECT parent = {};
    GetWindowRect(hostState.parentWindow, &parent);
    saverGeometry = {0, 0, parent.right - parent.left, parent.bottom - parent.top};
}

void saverGeometryFromSettings() {
    // Only 1 asks for all monitors; anything else, as in the dialog, means the primary one.
    if (saverSettings.screen != 1) {
        saverGeometry = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        return;
    }
    int x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    int y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    saverGeometry = {x, y, GetSystemMetrics(SM_CXVIRTUALSCREEN) - x, GetSystemMetrics(SM_CYVIRTUALSCREEN) - y};
}

void* wglProcAddress(const char* name) {
    return reinterpret_cast<void*>(wglGetProcAddress(name));
}

void requestClose() {
    if (hostState.runMode != Preview)
        PostMessageA(hostState.window, WM_CLOSE, 0, 0);
}

void deleteRenderContext() {
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(hostState.renderContext);
    hostState.renderContext = nullptr;
}

// Where OpenGL is software and no path is named, the raster path draws without it: told by
// the pixel format where Windows' own OpenGL would draw, else by the context's renderer.
void makeContextUnlessSoftware(HDC deviceContext) {
    static char why[160];
    setupPixelFormat(deviceContext);
    const bool automatic = sceneWantedRenderer() == SceneRenderer::Automatic;
    if (automatic && genericPixelFormat(deviceContext)) {
        sceneSetRenderer(SceneRenderer::Raster, "OpenGL here is GDI Generic, which draws on the CPU");
        return;
    }
    hostState.renderContext = wglCreateContext(deviceContext);
    if (!wglMakeCurrent(deviceContext, hostState.renderContext) && automatic) {
        // Where no OpenGL can be had at all the raster path still draws.
        if (hostState.renderContext)
            deleteRenderContext();
        sceneSetRenderer(SceneRenderer::Raster, "no OpenGL context could be had");
        return;
    }
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (automatic && softwareGlRenderer(renderer)) {
        std::snprintf(why, sizeof why, "OpenGL here is %s, which draws on the CPU", renderer);
        sceneSetRenderer(SceneRenderer::Raster, why);
        deleteRenderContext();
    }
}

void onCreate(HWND window) {
    hostState.window = window;
    hostState.deviceContext = GetDC(window);
    if (sceneWantedRenderer() != SceneRenderer::Raster)
        makeContextUnlessSoftware(hostState.deviceContext);
    hostState.timerId = SetTimer(window, frameTimerId, frameIntervalMs, nullptr);
    if (hostState.runMode == Saver) {
        GetCursorPos(&hostState.startCursor);
        ShowCursor(FALSE);
    }
    setGlProcLookup(wglProcAddress);
    sceneInit();
    // A model the raster path cannot draw needs OpenGL after all.
    if (!hostState.renderContext && sceneActiveRenderer() != SceneRenderer::Raster) {
        std::fprintf(stderr, "Petalrain: %s\n", sceneRendererFallback());
        sceneRelease();
        sceneSetRenderer(SceneRenderer::Sprite);
        makeContextUnlessSoftware(hostState.deviceContext);
        sceneInit();
    }
    if (!hostState.renderContext &&
        !dibFrameCreate(hostState.frame, hostState.deviceContext, saverGeometry.width, saverGeometry.height))
        std::fprintf(stderr, "Petalrain: no pixels for the raster path; the window stays empty\n");
    if (const char* fallback = sceneRendererFallback())
        std::fprintf(stderr, "Petalrain: drawing with the %s path: %s\n", sceneActivePathName(), fallback);
}

void drawFrame(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    if (hostState.renderContext) {
        wglMakeCurrent(hostState.deviceContext, hostState.renderContext);
        sceneRenderFrame();
        SwapBuffers(hostState.deviceContext);
    } else if (hostState.frame.pixels) {
        sceneAdvance();
        sceneComposePart(0, 0, hostState.frame.width, hostState.frame.height, hostState.frame.pixels,
                         hostState.frame.width);
        dibFrameShow(hostState.frame, hostState.deviceContext);
    }
    EndPaint(window, &paint);
}

// Only a clear move on both axes at once ends the saver, and never one of the first few.
void testMovement(HWND window, LPARAM lParam) {
    if (hostState.runMode == Preview)
        return;
    ++hostState.mouseMoveCount;
    if (hostState.mouseMoveCount <= ignoredMouseMoves)
        return;
    // The start was taken in screen coordinates, so bring the client point there too.
    POINT pointer = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(window, &pointer);
    if (std::abs(hostState.startCursor.x - pointer.x) <= pointerTolerance)
        return;
    if (std::abs(hostState.startCursor.y - pointer.y) <= pointerTolerance)
        return;
    PostMessageA(hostState.window, WM_CLOSE, 0, 0);
}

// The context goes first: the scene's tear-down needs none.
void onDestroy(HWND window) {
    if (hostState.renderContext)
        deleteRenderContext();
    dibFrameRelease(hostState.frame);
    ReleaseDC(window, hostState.deviceContext);
    KillTimer(window, hostState.timerId);
    ShowCursor(TRUE);
    sceneRelease();
    PostQuitMessage(0);
}

}  // namespace

int createSaverWindow(bool preview) {
    if (!registerSaverClass())
        return 1;
    DWORD style;
    DWORD extendedStyle;
    if (preview) {
        style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        extendedStyle = 0;
        previewGeometry();
    } else {
        style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        extendedStyle = WS_EX_TOPMOST;
        saverGeometryFromSettings();
    }
    HWND window = CreateWindowExA(extendedStyle, "saver", "Screen Saver", style, saverGeometry.x, saverGeometry.y,
                                  saverGeometry.width, saverGeometry.height, hostState.parentWindow, nullptr,
                                  hostState.instance, nullptr);
    return window == nullptr ? 1 : 0;
}

LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            onCreate(window);
            break;
        case WM_DESTROY:
            onDestroy(window);
            return 0;
        case WM_SYSCOMMAND:
            // Neither the window menu nor a request to start a screen saver acts on the saver.
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            requestClose();
            break;
        case WM_TIMER:
            // Whatever the timer id: every tick is a frame.
            drawFrame(window);
            break;
        case WM_MOUSEMOVE:
            testMovement(window, lParam);
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
