// One scene over all outputs: the bounding box of their logical rectangles, in scene pixels
// of the finest output's density, so that it draws its part pixel for pixel.
#pragma once

// An output's rectangle in the compositor's logical layout, and its pixels per logical unit.
struct OutputPlace {
    int x;
    int y;
    int width;
    int height;
    double scale;
};

struct SceneArea {
    int originX;  // logical top left of the bounding box
    int originY;
    double scale;  // scene pixels per logical unit: the highest of the outputs'
    int width;     // in scene pixels
    int height;
};

// A rectangle of the scene's area, in its pixels from its top left.
struct ScenePart {
    int x;
    int y;
    int width;
    int height;
};

// The area spanning the places; empty (zero size) for none.
SceneArea sceneAreaOf(const OutputPlace* places, int count);

// The part of the area that the place shows. Neighbouring places share their edges exactly.
ScenePart scenePartOf(const SceneArea& area, const OutputPlace& place);

// Pixels of a logical extent at a scale, rounded half away from zero, never below one.
int pixelExtent(int logical, double scale);
