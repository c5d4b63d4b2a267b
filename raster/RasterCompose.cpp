// The plain form of the compositor, one thread: the faster forms replace it.
#include <algorithm>
#include "RasterCompositor.h"
struct RasterCompositor {};
void rasterFieldFrom(const uint8_t* texels, int size, RasterField& field) {
    field.size = size;
    field.pitch = size + 2;
    field.texels.assign(size_t(field.pitch) * field.pitch + 8, 0);
    for (int j = 0; j < size; ++j)
        std::copy(texels + size_t(j) * size, texels + size_t(j + 1) * size,
                  &field.texels[size_t(j + 1) * field.pitch + 1]);
}
RasterCompositor* rasterCompositorStart(int) {
    return new RasterCompositor;
}
void rasterCompositorStop(RasterCompositor* c) {
    delete c;
}
static bool inside(const RasterField& f, float u, float v) {
    const float lim = float(f.size) + 0.99609375f;
    float uc = std::min(std::max(u, 0.0f), lim), vc = std::min(std::max(v, 0.0f), lim);
    int i = int(uc), j = int(vc);
    int fu = int((uc - float(i)) * 256.0f), fv = int((vc - float(j)) * 256.0f);
    const uint8_t* T = f.texels.data();
    int t00 = T[j * f.pitch + i], t10 = T[j * f.pitch + i + 1], t01 = T[(j + 1) * f.pitch + i],
        t11 = T[(j + 1) * f.pitch + i + 1];
    long top = t00 * (256 - fu) + t10 * fu, bottom = t01 * (256 - fu) + t11 * fu;
    return top * (256 - fv) + bottom * fv > 8355840;
}
void rasterCompose(RasterCompositor*, const RasterField& field, const RasterStamp* stamps, int32_t count,
                   const RasterTarget& t) {
    for (int y = 0; y < t.height; ++y)
        std::fill(t.pixels + y * t.stride, t.pixels + y * t.stride + t.width, rasterBackground);
    std::vector<uint8_t> done(size_t(t.width) * t.height, 0);
    for (int32_t n = 0; n < count; ++n) {
        const RasterStamp& s = stamps[n];
        for (int py = std::max(s.top, t.y); py < std::min(s.bottom, t.y + t.height); ++py) {
            const float ru = s.u0 + s.uY * float(py), rv = s.v0 + s.vY * float(py);
            for (int px = std::max(s.left, t.x); px < std::min(s.right, t.x + t.width); ++px) {
                size_t at = size_t(py - t.y) * t.width + (px - t.x);
                if (done[at])
                    continue;
                if (inside(field, ru + s.uX * float(px), rv + s.vX * float(px))) {
                    done[at] = 1;
                    t.pixels[(py - t.y) * t.stride + px - t.x] = s.colour;
                }
            }
        }
    }
}
