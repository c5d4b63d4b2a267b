// When and with which context the saver window calls into the scene.
#include "HostState.h"
#include "RecordingScene.h"
#include "SaverSettings.h"
#include "SaverWindow.h"

#include <gtest/gtest.h>

namespace {

TEST(SceneCallsTest, TheSceneSeesAReadyContextAndTheContextGoesBeforeTheRelease) {
    hostState = {};
    hostState.instance = GetModuleHandleA(nullptr);
    hostState.runMode = Saver;
    saverSettings = {100, 100, 0};
    sceneCalls = {};

    ASSERT_EQ(createSaverWindow(false), 0);
    HWND window = hostState.window;
    ASSERT_NE(hostState.renderContext, nullptr);
    EXPECT_EQ(sceneCalls.inits, 1);
    EXPECT_EQ(sceneCalls.contextAtInit, hostState.renderContext);
    EXPECT_EQ(sceneCalls.geometryAtInit.width, GetSystemMetrics(SM_CXSCREEN)) << "geometry is final before creation";
    EXPECT_EQ(sceneCalls.geometryAtInit.height, GetSystemMetrics(SM_CYSCREEN));

    // The frame timer draws while messages flow.
    for (int i = 0; i < 50 && sceneCalls.frames == 0; ++i) {
        MSG message;
        if (GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
    }
    EXPECT_GT(sceneCalls.frames, 0);

    // Any timer id draws, and each frame makes the context current again.
    KillTimer(window, 1);
    wglMakeCurrent(nullptr, nullptr);
    int framesBefore = sceneCalls.frames;
    SendMessageA(window, WM_TIMER, 7, 0);
    EXPECT_EQ(sceneCalls.frames, framesBefore + 1);
    EXPECT_EQ(sceneCalls.contextAtLastFrame, hostState.renderContext);

    HGLRC context = hostState.renderContext;
    HDC deviceContext = GetDC(window);
    DestroyWindow(window);
    EXPECT_EQ(sceneCalls.releases, 1);
    EXPECT_EQ(sceneCalls.contextAtRelease, nullptr);
    EXPECT_FALSE(wglMakeCurrent(deviceContext, context)) << "the context was deleted";
    EXPECT_EQ(sceneCalls.frames, sceneCalls.framesAtRelease);

    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
    UnregisterClassA("saver", hostState.instance);
}

TEST(SceneCallsTest, TheRasterPathComposesIntoTheWindowsPixelsWithoutAContext) {
    hostState = {};
    hostState.instance = GetModuleHandleA(nullptr);
    hostState.runMode = Saver;
    saverSettings = {100, 100, 0};
    sceneCalls = {};
    sceneCalls.renderer = SceneRenderer::Raster;

    ASSERT_EQ(createSaverWindow(false), 0);
    HWND window = hostState.window;
    EXPECT_EQ(hostState.renderContext, nullptr);
    EXPECT_EQ(sceneCalls.contextAtInit, nullptr);
    ASSERT_NE(hostState.frame.pixels, nullptr);
    SendMessageA(window, WM_TIMER, 1, 0);
    EXPECT_EQ(sceneCalls.composed, 1);
    EXPECT_EQ(sceneCalls.composedWidth, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(sceneCalls.composedHeight, GetSystemMetrics(SM_CYSCREEN));
    DestroyWindow(window);
    EXPECT_EQ(sceneCalls.releases, 1);
    EXPECT_EQ(hostState.frame.pixels, nullptr);
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    UnregisterClassA("saver", hostState.instance);
}

}  // namespace
