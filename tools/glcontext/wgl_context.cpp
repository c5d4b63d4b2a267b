// Headless context on Windows: a hidden window with a WGL context.
#include "HeadlessGl.h"

#include <windows.h>

namespace {
HWND window;
HDC deviceContext;
HGLRC renderContext;
const char className[] = "PetalrainHeadlessGl";
}

bool headlessGlCreateContext() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);  // fails harmlessly when already registered
    window = CreateWindowExA(0, className, "", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr, nullptr, instance, nullptr);
    if (!window)
        return false;
    deviceContext = GetDC(window);
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 32;
    format.cDepthBits = 24;
    int chosen = ChoosePixelFormat(deviceContext, &format);
    if (chosen == 0 || !SetPixelFormat(deviceContext, chosen, &format)) {
        headlessGlDestroyContext();
        return false;
    }
    renderContext = wglCreateContext(deviceContext);
    if (!renderContext || !wglMakeCurrent(deviceContext, renderContext)) {
        headlessGlDestroyContext();
        return false;
    }
    return true;
}

void headlessGlDestroyContext() {
    wglMakeCurrent(nullptr, nullptr);
    if (renderContext)
        wglDeleteContext(renderContext);
    if (deviceContext)
        ReleaseDC(window, deviceContext);
    if (window)
        DestroyWindow(window);
    renderContext = nullptr;
    deviceContext = nullptr;
    window = nullptr;
}

void* headlessGlProc(const char* name) {
    return reinterpret_cast<void*>(wglGetProcAddress(name));
}
