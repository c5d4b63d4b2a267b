// The raster path's frames on Wayland: two buffers in shared memory per output, so that one
// is composed while the compositor still reads the other. No EGL is needed.
#pragma once

#include <cstddef>
#include <cstdint>

struct wl_buffer;
struct wl_shm;

struct WlPixelBuffer {
    wl_buffer* buffer;
    uint32_t* pixels;  // XRGB8888: 0x00RRGGBB, rows from the top
    bool busy;         // attached, until the compositor releases it
};

struct WlPixelBuffers {
    WlPixelBuffer slots[2];
    void* memory;
    size_t size;
    int width;
    int height;
};

// False when the memory or the buffers cannot be had.
bool wlPixelBuffersMake(WlPixelBuffers& buffers, wl_shm* shm, int width, int height);

// One the compositor does not hold; null while it holds both.
WlPixelBuffer* wlPixelBuffersFree(WlPixelBuffers& buffers);

void wlPixelBuffersDrop(WlPixelBuffers& buffers);
