#include "RecordingScene.h"

#include "FlowerScene.h"
#include "SaverSettings.h"
#include "SceneRenderer.h"

SaverGeometry saverGeometry;
SaverSettings saverSettings;
SceneCalls sceneCalls;

void sceneInit() {
    ++sceneCalls.inits;
    sceneCalls.geometryAtInit = saverGeometry;
    sceneCalls.contextAtInit = wglGetCurrentContext();
}

void sceneRenderFrame() {
    ++sceneCalls.frames;
    sceneCalls.contextAtLastFrame = wglGetCurrentContext();
}

void sceneRelease() {
    ++sceneCalls.releases;
    sceneCalls.contextAtRelease = wglGetCurrentContext();
    sceneCalls.framesAtRelease = sceneCalls.frames;
}

const char* sceneRendererFallback() {
    return nullptr;
}

// The host's own choice of path is tested with the real scene: the recording one names it.
void sceneSetRenderer(SceneRenderer, const char*) {}

SceneRenderer sceneWantedRenderer() {
    return sceneCalls.renderer == SceneRenderer::Automatic ? SceneRenderer::Sprite : sceneCalls.renderer;
}

SceneRenderer sceneActiveRenderer() {
    return sceneWantedRenderer();
}

void sceneAdvance() {}

void sceneComposePart(int, int, int width, int height, uint32_t* pixels, ptrdiff_t stride) {
    ++sceneCalls.composed;
    sceneCalls.composedWidth = width;
    sceneCalls.composedHeight = height;
    pixels[(height - 1) * stride + width - 1] = 0x00ff8000;  // the last pixel must be there
}

const char* sceneActivePathName() {
    return "recorded";
}
