#include "FpsOverlay.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstddef>

namespace {

constexpr int64_t secondNs = 1000000000;
constexpr int glyphWidth = 5;
constexpr int glyphHeight = 7;
constexpr int advance = glyphWidth + 1;
constexpr int lineHeight = glyphHeight + 3;
constexpr int padding = 2;

// A 5 x 7 font of the characters the two lines use, one row of bits a byte, top row first.
struct Glyph {
    char character;
    uint8_t rows[glyphHeight];
};

constexpr Glyph glyphs[] = {
    {'F', {0x1f, 0x10, 0x10, 0x1e, 0x10, 0x10, 0x10}}, {'P', {0x1e, 0x11, 0x11, 0x1e, 0x10, 0x10, 0x10}},
    {'S', {0x0f, 0x10, 0x10, 0x0e, 0x01, 0x01, 0x1e}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1f}},
    {'o', {0x00, 0x00, 0x0e, 0x11, 0x11, 0x11, 0x0e}}, {'a', {0x00, 0x00, 0x0e, 0x01, 0x0f, 0x11, 0x0f}},
    {'d', {0x01, 0x01, 0x0d, 0x13, 0x11, 0x11, 0x0f}}, {':', {0x00, 0x0c, 0x0c, 0x00, 0x0c, 0x0c, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0c, 0x0c}}, {'%', {0x18, 0x19, 0x02, 0x04, 0x08, 0x13, 0x03}},
    {'0', {0x0e, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0e}}, {'1', {0x04, 0x0c, 0x04, 0x04, 0x04, 0x04, 0x0e}},
    {'2', {0x0e, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1f}}, {'3', {0x1f, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0e}},
    {'4', {0x02, 0x06, 0x0a, 0x12, 0x1f, 0x02, 0x02}}, {'5', {0x1f, 0x10, 0x1e, 0x01, 0x01, 0x11, 0x0e}},
    {'6', {0x06, 0x08, 0x10, 0x1e, 0x11, 0x11, 0x0e}}, {'7', {0x1f, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0e, 0x11, 0x11, 0x0e, 0x11, 0x11, 0x0e}}, {'9', {0x0e, 0x11, 0x11, 0x0f, 0x01, 0x02, 0x0c}},
};

const Glyph* findGlyph(char character) {
    for (const Glyph& glyph : glyphs)
        if (glyph.character == character)
            return &glyph;
    return nullptr;  // a space, or a character the lines never hold
}

void setText(FpsMeter& meter, double rate, double load) {
    std::snprintf(meter.rate, sizeof meter.rate, "FPS: %.1f", rate);
    std::snprintf(meter.load, sizeof meter.load, "Load: %.1f%%", load);
}

// Where the display goes: rectangles in pixels from the bottom left, the box shaded, the
// text lit.
struct Painter {
    void* target;
    void (*shade)(void* target, int x, int y, int width, int height);
    void (*light)(void* target, int x, int y, int width, int height);
};

// Each run of lit pixels in a glyph row is one rectangle; y is the line's bottom, in pixels.
void paintText(const Painter& painter, const char* text, int x, int y, int scale) {
    for (; *text; ++text, x += advance * scale) {
        const Glyph* glyph = findGlyph(*text);
        if (!glyph)
            continue;
        for (int row = 0; row < glyphHeight; ++row) {
            const int rowY = y + (glyphHeight - 1 - row) * scale;
            for (int column = 0; column < glyphWidth;) {
                const auto lit = [&](int c) { return (glyph->rows[row] >> (glyphWidth - 1 - c)) & 1; };
                if (!lit(column)) {
                    ++column;
                    continue;
                }
                const int first = column;
                while (column < glyphWidth && lit(column))
                    ++column;
                painter.light(painter.target, x + first * scale, rowY, (column - first) * scale, scale);
            }
        }
    }
}

}  // namespace

void fpsMeterStart(FpsMeter& meter, int64_t nowNs) {
    meter = {};
    meter.sinceNs = nowNs;
    setText(meter, 0.0, 0.0);
}

void fpsMeterCount(FpsMeter& meter, int64_t startNs, int64_t endNs) {
    ++meter.frames;
    meter.busyNs += endNs - startNs;
    const int64_t elapsed = endNs - meter.sinceNs;
    if (elapsed < secondNs)
        return;
    setText(meter, meter.frames * 1e9 / elapsed, 100.0 * meter.busyNs / elapsed);
    meter.sinceNs = endNs;
    meter.frames = 0;
    meter.busyNs = 0;
}

namespace {

void paint(const FpsMeter& meter, int height, const Painter& painter) {
    // Readable from across the room on a 1080p screen: 3 pixels a font pixel there.
    const int scale = height >= 720 ? height / 360 : height >= 240 ? 2 : 1;
    const int columns = static_cast<int>(std::max(std::strlen(meter.rate), std::strlen(meter.load)));
    const int margin = 4 * scale;
    const int boxWidth = (columns * advance - 1 + 2 * padding) * scale;
    const int boxHeight = (2 * lineHeight - 3 + 2 * padding) * scale;
    painter.shade(painter.target, margin, margin, boxWidth, boxHeight);
    const int left = margin + padding * scale;
    const int bottom = margin + padding * scale;
    paintText(painter, meter.load, left, bottom, scale);
    paintText(painter, meter.rate, left, bottom + lineHeight * scale, scale);
}

void quad(int x, int y, int width, int height) {
    glVertex2i(x, y);
    glVertex2i(x + width, y);
    glVertex2i(x + width, y + height);
    glVertex2i(x, y + height);
}

struct Pixels {
    uint32_t* pixels;
    ptrdiff_t stride;
    int width;
    int height;
};

// Over each pixel of the rectangle that lies in the frame; rows count from the top there.
template <typename Change>
void eachPixel(void* target, int x, int y, int width, int height, Change change) {
    const Pixels& frame = *static_cast<const Pixels*>(target);
    const int top = std::max(frame.height - (y + height), 0);
    const int bottom = std::min(frame.height - y, frame.height);
    const int left = std::max(x, 0);
    const int right = std::min(x + width, frame.width);
    for (int row = top; row < bottom; ++row)
        for (int column = left; column < right; ++column) {
            uint32_t& pixel = frame.pixels[row * frame.stride + column];
            pixel = change(pixel);
        }
}

}  // namespace

void fpsOverlayDraw(const FpsMeter& meter, int width, int height) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    glBegin(GL_QUADS);
    paint(meter, height,
          {nullptr,
           [](void*, int x, int y, int w, int h) {
               glColor4f(0.0f, 0.0f, 0.0f, 0.65f);
               quad(x, y, w, h);
           },
           [](void*, int x, int y, int w, int h) {
               glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
               quad(x, y, w, h);
           }});
    glEnd();

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

void fpsOverlayCompose(const FpsMeter& meter, uint32_t* pixels, ptrdiff_t stride, int width, int height) {
    Pixels frame{pixels, stride, width, height};
    paint(meter, height,
          {&frame,
           [](void* target, int x, int y, int w, int h) {
               // 65 % black over the frame, as the blended box: each channel keeps 35 %.
               eachPixel(target, x, y, w, h, [](uint32_t pixel) {
                   const uint32_t redBlue = (pixel & 0x00ff00ffu) * 90 >> 8 & 0x00ff00ffu;
                   const uint32_t green = (pixel & 0x0000ff00u) * 90 >> 8 & 0x0000ff00u;
                   return redBlue | green;
               });
           },
           [](void* target, int x, int y, int w, int h) {
               eachPixel(target, x, y, w, h, [](uint32_t) { return 0x00ffffffu; });
           }});
}
