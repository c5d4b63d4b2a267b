#include "PixelFormat.h"

bool setupPixelFormat(HDC deviceContext) {
    HDC screen = GetDC(nullptr);
    int desktopBits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);

    PIXELFORMATDESCRIPTOR descriptor = {};
    descriptor.nSize = sizeof descriptor;
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = static_cast<BYTE>(desktopBits);
    descriptor.cDepthBits = 32;
    descriptor.iLayerType = PFD_MAIN_PLANE;

    int format = ChoosePixelFormat(deviceContext, &descriptor);
    if (format == 0) {
        MessageBoxA(nullptr, "ChoosePixelFormat Failed", nullptr, MB_OK);
        return false;
    }
    if (!SetPixelFormat(deviceContext, format, &descriptor)) {
        MessageBoxA(nullptr, "SetPixelFormat Failed", nullptr, MB_OK);
        return false;
    }
    return true;
}

bool genericPixelFormat(HDC deviceContext) {
    PIXELFORMATDESCRIPTOR descriptor = {};
    const int format = GetPixelFormat(deviceContext);
    if (format == 0 || !DescribePixelFormat(deviceContext, format, sizeof descriptor, &descriptor))
        return false;
    return (descriptor.dwFlags & PFD_GENERIC_FORMAT) && !(descriptor.dwFlags & PFD_GENERIC_ACCELERATED);
}
