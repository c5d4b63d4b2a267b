#include "FpsOverlay.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstdio>
#include <cstring>

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

void quad(int x, int y, int width, int height) {
    glVertex2i(x, y);
    glVertex2i(x + width, y);
    glVertex2i(x + width, y + height);
    glVertex2i(x, y + height);
}

// Each run of lit pixels in a glyph row is one quad; y is the line's bottom, in pixels.
void textQuads(const char* text, int x, int y, int scale) {
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
                quad(x + first * scale, rowY, (column - first) * scale, scale);
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

void fpsOverlayDraw(const FpsMeter& meter, int width, int height) {
    // Readable from across the room on a 1080p screen: 3 pixels a font pixel there.
    const int scale = height >= 720 ? height / 360 : height >= 240 ? 2 : 1;
    const int columns = static_cast<int>(std::max(std::strlen(meter.rate), std::strlen(meter.load)));
    const int margin = 4 * scale;
    const int boxWidth = (columns * advance - 1 + 2 * padding) * scale;
    const int boxHeight = (2 * lineHeight - 3 + 2 * padding) * scale;

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
    glColor4f(0.0f, 0.0f, 0.0f, 0.65f);
    quad(margin, margin, boxWidth, boxHeight);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    const int left = margin + padding * scale;
    const int bottom = margin + padding * scale;
    textQuads(meter.load, left, bottom, scale);
    textQuads(meter.rate, left, bottom + lineHeight * scale, scale);
    glEnd();

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}
