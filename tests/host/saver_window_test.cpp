// The saver window created directly, in both modes, with the real scene behind it.
#include "HostState.h"
#include "HostTestSupport.h"
#include "SaverGeometry.h"
#include "SaverSettings.h"
#include "SaverWindow.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class SaverWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        hostState = {};
        hostState.instance = GetModuleHandleA(nullptr);
        saverSettings = {20, 100, 1};
        saverGeometry = {};
    }
    void TearDown() override {
        if (IsWindow(hostState.window))
            DestroyWindow(hostState.window);
        takeQuitCode();
        UnregisterClassA("saver", hostState.instance);
    }

    HWND create(RunMode mode, HWND parent = nullptr) {
        hostState.runMode = mode;
        hostState.parentWindow = parent;
        EXPECT_EQ(createSaverWindow(mode == Preview), 0);
        return hostState.window;
    }

    static int takeQuitCode() {
        MSG message;
        if (!PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
            return -1;
        return static_cast<int>(message.wParam);
    }

    // True when the message made the window ask to be closed.
    bool closes(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        SendMessageA(hostState.window, message, wParam, lParam);
        return takePostedClose(hostState.window);
    }

    bool movesClose(int clientX, int clientY) {
        return closes(WM_MOUSEMOVE, 0, MAKELPARAM(clientX, clientY));
    }

    // Uses up the moves that never close the saver.
    void passIgnoredMoves() {
        hostState.mouseMoveCount = 0;
        for (int i = 0; i < 6; ++i)
            EXPECT_FALSE(movesClose(1000, 1000)) << "move " << i + 1;
    }

    static RECT windowRect(HWND window) {
        RECT rect = {};
        GetWindowRect(window, &rect);
        return rect;
    }
};

HWND createFrame(int x, int y, int width, int height) {
    return CreateWindowExA(0, "STATIC", "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, width, height, nullptr,
                           nullptr, nullptr, nullptr);
}

TEST_F(SaverWindowTest, PreviewFillsItsParentFromTheClientOriginAndEndsWithIt) {
    HWND parent = createFrame(40, 30, 320, 240);
    RECT parentRect = windowRect(parent);
    int cursorBefore = cursorDisplayCount();
    HWND window = create(Preview, parent);
    ASSERT_NE(window, nullptr);

    EXPECT_EQ(saverGeometry.x, 0);
    EXPECT_EQ(saverGeometry.y, 0);
    EXPECT_EQ(saverGeometry.width, parentRect.right - parentRect.left);
    EXPECT_EQ(saverGeometry.height, parentRect.bottom - parentRect.top);
    EXPECT_EQ(GetParent(window), parent);
    LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN),
              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    POINT clientOrigin = {0, 0};
    ClientToScreen(parent, &clientOrigin);
    RECT rect = windowRect(window);
    EXPECT_EQ(rect.left, clientOrigin.x);
    EXPECT_EQ(rect.top, clientOrigin.y);
    EXPECT_EQ(cursorDisplayCount(), cursorBefore) << "a preview keeps the pointer";

    DestroyWindow(parent);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(takeQuitCode(), 0);
    EXPECT_EQ(cursorDisplayCount(), cursorBefore + 1) << "the pointer is raised once in every mode";
}

TEST_F(SaverWindowTest, SaverCoversThePrimaryMonitorOrTheVirtualScreen) {
    const RECT primary = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const int virtualX = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int virtualY = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const RECT all = {virtualX, virtualY, GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    // Anything but 1 is taken for the primary monitor, as the dialog shows it.
    for (auto [screen, expected] : {std::pair{0, primary}, {1, all}, {2, primary}, {-1, primary}}) {
        SCOPED_TRACE("screen " + std::to_string(screen));
        saverSettings.screen = static_cast<int16_t>(screen);
        HWND owner = createFrame(0, 0, 100, 100);
        HWND window = create(Saver, owner);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(saverGeometry.x, expected.left);
        EXPECT_EQ(saverGeometry.y, expected.top);
        EXPECT_EQ(saverGeometry.width, expected.right - expected.left);
        EXPECT_EQ(saverGeometry.height, expected.bottom - expected.top);
        RECT rect = windowRect(window);
        EXPECT_EQ(rect.left, saverGeometry.x);
        EXPECT_EQ(rect.top, saverGeometry.y);
        EXPECT_EQ(rect.right - rect.left, saverGeometry.width);
        EXPECT_EQ(rect.bottom - rect.top, saverGeometry.height);
        EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_TRUE(GetWindowLongPtrA(window, GWL_STYLE) & WS_POPUP);
        EXPECT_EQ(GetWindow(window, GW_OWNER), owner);
        DestroyWindow(window);
        DestroyWindow(owner);
        EXPECT_EQ(takeQuitCode(), 0);
        UnregisterClassA("saver", hostState.instance);
    }
}

TEST_F(SaverWindowTest, SaverHidesThePointerUntilItIsDestroyedAndCleansUp) {
    char tempFolder[MAX_PATH];
    GetTempPathA(sizeof tempFolder, tempFolder);
    const std::string modelFile = std::string(tempFolder) + "xoeqaze.tmp";
    int cursorBefore = cursorDisplayCount();

    HWND window = create(Saver);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(cursorDisplayCount(), cursorBefore - 1);
    EXPECT_NE(GetFileAttributesA(modelFile.c_str()), INVALID_FILE_ATTRIBUTES);
    for (int i = 0; i < 5; ++i)
        pumpMessages();

    DestroyWindow(window);
    EXPECT_EQ(takeQuitCode(), 0);
    EXPECT_EQ(cursorDisplayCount(), cursorBefore);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(GetFileAttributesA(modelFile.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SaverWindowTest, KeysAndClicksCloseTheSaverButNotThePreview) {
    const UINT closing[] = {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN};
    const UINT harmless[] = {WM_KEYUP, WM_SYSKEYUP, WM_LBUTTONDBLCLK, WM_MBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEWHEEL};

    ASSERT_NE(create(Saver), nullptr);
    for (UINT message : closing)
        EXPECT_TRUE(closes(message, 'A', 0)) << "message " << message;
    for (UINT message : harmless)
        EXPECT_FALSE(closes(message, 'A', 0)) << "message " << message;
    DestroyWindow(hostState.window);
    takeQuitCode();
    UnregisterClassA("saver", hostState.instance);

    HWND parent = createFrame(0, 0, 200, 150);
    ASSERT_NE(create(Preview, parent), nullptr);
    for (UINT message : closing)
        EXPECT_FALSE(closes(message, 'A', 0)) << "message " << message;
    for (int i = 0; i < 20; ++i)
        EXPECT_FALSE(movesClose(150 - i * 7, 100 - i * 5));
    EXPECT_TRUE(IsWindow(hostState.window));
    DestroyWindow(parent);
}

TEST_F(SaverWindowTest, EverySystemCommandIsDropped) {
    HWND window = create(Saver);
    ASSERT_NE(window, nullptr);
    for (WPARAM command : {SC_CLOSE, SC_SCREENSAVE, SC_MINIMIZE, SC_KEYMENU, SC_MONITORPOWER}) {
        EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, command, 0), 0);
        EXPECT_FALSE(takePostedClose(window));
    }
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));
}

TEST_F(SaverWindowTest, OnlyAClearMoveOnBothAxesAfterTheFirstSixCloses) {
    SetCursorPos(500, 400);
    saverSettings.screen = 0;
    ASSERT_NE(create(Saver), nullptr);
    ASSERT_EQ(hostState.startCursor.x, 500);
    ASSERT_EQ(hostState.startCursor.y, 400);

    passIgnoredMoves();
    EXPECT_FALSE(movesClose(600, 400)) << "straight right";
    EXPECT_FALSE(movesClose(500, 400)) << "and back";
    EXPECT_FALSE(movesClose(503, 1000)) << "3 pixels is still near";
    EXPECT_FALSE(movesClose(1000, 397));
    EXPECT_TRUE(movesClose(504, 404));
    EXPECT_TRUE(movesClose(496, 396));
}

TEST_F(SaverWindowTest, MovesAreMeasuredInScreenCoordinates) {
    // A window that does not start at the screen origin, as over monitors left of the primary one.
    SetCursorPos(500, 400);
    saverSettings.screen = 0;
    HWND window = create(Saver);
    ASSERT_NE(window, nullptr);
    SetWindowPos(window, nullptr, 100, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    passIgnoredMoves();
    EXPECT_FALSE(movesClose(400, 350)) << "the client point under the start position";
    EXPECT_TRUE(movesClose(500, 400)) << "the start position's numbers as a client point lie elsewhere";
}

TEST_F(SaverWindowTest, PointerCoordinatesLeftOfTheWindowAreNegative) {
    SetCursorPos(2, 2);
    saverSettings.screen = 0;
    ASSERT_NE(create(Saver), nullptr);
    ASSERT_EQ(hostState.startCursor.x, 2);

    passIgnoredMoves();
    EXPECT_FALSE(movesClose(-1, -1)) << "3 pixels from the start, not 65533";
    EXPECT_TRUE(movesClose(-2, -2));
}

}  // namespace
