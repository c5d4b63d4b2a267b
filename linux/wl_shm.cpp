// A white buffer in shared memory: what an output shows when OpenGL cannot be had, so that
// a locker sees a live client and does not restart it.
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include "wl_client.h"

wl_buffer* makeWhiteBuffer(wl_shm* shm, int width, int height) {
    if (!shm)
        return nullptr;
    const int stride = width * 4;
    const size_t size = static_cast<size_t>(stride) * static_cast<size_t>(height);
    const int file = memfd_create("petalrain-white", MFD_CLOEXEC);
    if (file < 0)
        return nullptr;
    wl_buffer* buffer = nullptr;
    if (ftruncate(file, static_cast<off_t>(size)) == 0) {
        void* pixels = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
        if (pixels != MAP_FAILED) {
            std::memset(pixels, 0xff, size);
            munmap(pixels, size);
            wl_shm_pool* pool = wl_shm_create_pool(shm, file, static_cast<int32_t>(size));
            buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
            wl_shm_pool_destroy(pool);
        }
    }
    close(file);
    return buffer;
}
