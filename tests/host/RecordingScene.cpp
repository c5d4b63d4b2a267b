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

const char* sceneActivePathName() {
    return "recorded";
}
