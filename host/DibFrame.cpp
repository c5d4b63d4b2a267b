#include "DibFrame.h"

bool dibFrameCreate(DibFrame& frame, HDC window, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows from the top, as the scene composes them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    frame = {};
    frame.memory = CreateCompatibleDC(window);
    frame.section = CreateDIBSection(window, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!frame.memory || !frame.section) {
        dibFrameRelease(frame);
        return false;
    }
    frame.replaced = SelectObject(frame.memory, frame.section);
    frame.pixels = static_cast<uint32_t*>(bits);
    frame.width = width;
    frame.height = height;
    return true;
}

void dibFrameShow(const DibFrame& frame, HDC window) {
    // The scene wrote through its own pointer: GDI must not hold older batched work.
    GdiFlush();
    BitBlt(window, 0, 0, frame.width, frame.height, frame.memory, 0, 0, SRCCOPY);
}

void dibFrameRelease(DibFrame& frame) {
    if (frame.memory && frame.replaced)
        SelectObject(frame.memory, frame.replaced);
    if (frame.section)
        DeleteObject(frame.section);
    if (frame.memory)
        DeleteDC(frame.memory);
    frame = {};
}
