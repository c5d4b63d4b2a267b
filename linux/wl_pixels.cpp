#include "wl_pixels.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace {

void released(void* data, wl_buffer*) {
    static_cast<WlPixelBuffer*>(data)->busy = false;
}

const wl_buffer_listener releaseListener = {released};

}  // namespace

bool wlPixelBuffersMake(WlPixelBuffers& buffers, wl_shm* shm, int width, int height) {
    buffers = {};
    if (!shm || width <= 0 || height <= 0)
        return false;
    const int stride = width * 4;
    const size_t one = static_cast<size_t>(stride) * static_cast<size_t>(height);
    const int file = memfd_create("petalrain-frames", MFD_CLOEXEC);
    if (file < 0)
        return false;
    if (ftruncate(file, static_cast<off_t>(2 * one)) == 0) {
        void* memory = mmap(nullptr, 2 * one, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
        if (memory != MAP_FAILED) {
            buffers.memory = memory;
            buffers.size = 2 * one;
            buffers.width = width;
            buffers.height = height;
            wl_shm_pool* pool = wl_shm_create_pool(shm, file, static_cast<int32_t>(2 * one));
            for (int slot = 0; slot < 2; ++slot) {
                WlPixelBuffer& buffer = buffers.slots[slot];
                buffer.buffer = wl_shm_pool_create_buffer(pool, static_cast<int32_t>(slot * one), width, height, stride,
                                                          WL_SHM_FORMAT_XRGB8888);
                buffer.pixels = reinterpret_cast<uint32_t*>(static_cast<char*>(memory) + slot * one);
                wl_buffer_add_listener(buffer.buffer, &releaseListener, &buffer);
            }
            wl_shm_pool_destroy(pool);
        }
    }
    close(file);
    return buffers.memory != nullptr;
}

WlPixelBuffer* wlPixelBuffersFree(WlPixelBuffers& buffers) {
    for (WlPixelBuffer& buffer : buffers.slots)
        if (buffer.buffer && !buffer.busy)
            return &buffer;
    return nullptr;
}

void wlPixelBuffersDrop(WlPixelBuffers& buffers) {
    for (WlPixelBuffer& buffer : buffers.slots)
        if (buffer.buffer)
            wl_buffer_destroy(buffer.buffer);
    if (buffers.memory)
        munmap(buffers.memory, buffers.size);
    buffers = {};
}
