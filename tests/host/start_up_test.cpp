// The whole start-up through WinMain, as the system's screen-saver machinery starts the program.
#include "HostState.h"
#include "HostTestSupport.h"
#include "SaverSettings.h"
#include "SettingsDialog.h"

#include <gtest/gtest.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

namespace {

class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        hostState = {};
        saverSettings = {};
        unblockSettingsKey();
        deleteSettingsKey();
    }
    void TearDown() override {
        UnregisterClassA("saver", GetModuleHandleA(nullptr));
        deleteSettingsKey();
    }

    static int start(std::string commandLine) {
        return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWNORMAL);
    }

    // A window of class "saver" that belongs to someone else.
    static HWND createForeignSaver(HWND parent, DWORD style) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "saver";
        RegisterClassA(&windowClass);
        return CreateWindowExA(0, "saver", "", style, 0, 0, 50, 50, parent, nullptr, GetModuleHandleA(nullptr),
                               nullptr);
    }

    static std::function<void()> closeMessageBox(const std::string& caption, std::string* text) {
        return [caption, text] {
            HWND box = findMessageBox(caption);
            if (box == nullptr)
                return retryStepLater();
            *text = messageBoxText(box);
            EndDialog(box, IDOK);
        };
    }
};

HWND createFrame(int width, int height) {
    return CreateWindowExA(0, "STATIC", "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 40, width, height, nullptr,
                           nullptr, nullptr, nullptr);
}

TEST_F(StartUpTest, WithoutASwitchEndsSilentlyWithoutTouchingTheRegistry) {
    for (const char* line : {"/a", "x", "-x 5"}) {
        EXPECT_EQ(runModal({}, [&] { EXPECT_EQ(start(line), 0); }), 0) << line;
        EXPECT_FALSE(settingsKeyExists()) << line;
    }
}

TEST_F(StartUpTest, ARunningSaverBlocksEveryStart) {
    HWND running = createForeignSaver(nullptr, WS_POPUP);
    ASSERT_NE(running, nullptr);
    for (const char* line : {"", "/c", "/s", "/p 0"}) {
        EXPECT_EQ(runModal({}, [&] { EXPECT_EQ(start(line), 0); }), 0) << "nothing is shown for " << line;
        EXPECT_FALSE(settingsKeyExists()) << line;
    }
    DestroyWindow(running);
}

TEST_F(StartUpTest, APreviewChildDoesNotBlockTheDialog) {
    HWND frame = createFrame(200, 150);
    ASSERT_NE(createForeignSaver(frame, WS_CHILD | WS_VISIBLE), nullptr);
    bool dialogShown = false;
    EXPECT_EQ(runModal({[&] {
                           HWND dialog = findSettingsDialog();
                           if (dialog == nullptr)
                               return retryStepLater();
                           dialogShown = true;
                           EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
                           SendDlgItemMessageA(dialog, idCancel, BM_CLICK, 0, 0);
                       }},
                       [&] { EXPECT_EQ(start("/c:1234"), 0); }),
              0);
    EXPECT_TRUE(dialogShown);
    DestroyWindow(frame);
}

TEST_F(StartUpTest, SaverRunsUntilAKeyAndEndsWithCodeZero) {
    writeDwordSetting("HanaNum", 30);
    int cursorBefore = cursorDisplayCount();
    HWND saver = nullptr;
    EXPECT_EQ(runModal({[&] {
                            saver = FindWindowA("saver", nullptr);
                            if (saver == nullptr)
                                return retryStepLater();
                            EXPECT_EQ(saverSettings.hanaNum, 30);
                            EXPECT_EQ(cursorDisplayCount(), cursorBefore - 1);
                        },
                        [&] { PostMessageA(saver, WM_KEYDOWN, VK_SPACE, 0); }},
                       [&] { EXPECT_EQ(start("/S"), 0); }),
              0);
    EXPECT_FALSE(IsWindow(saver));
    EXPECT_EQ(cursorDisplayCount(), cursorBefore);
}

TEST_F(StartUpTest, PreviewRunsInsideItsWindowUntilTheWindowGoes) {
    writeDwordSetting("HanaNum", 30);
    HWND frame = createFrame(240, 180);
    RECT frameRect;
    GetWindowRect(frame, &frameRect);
    EXPECT_EQ(runModal({[&] {
                            HWND preview = FindWindowExA(frame, nullptr, "saver", nullptr);
                            if (preview == nullptr)
                                return retryStepLater();
                            RECT rect;
                            GetClientRect(preview, &rect);
                            EXPECT_EQ(rect.right, frameRect.right - frameRect.left);
                            EXPECT_EQ(rect.bottom, frameRect.bottom - frameRect.top);
                            PostMessageA(preview, WM_KEYDOWN, VK_SPACE, 0);
                            PostMessageA(preview, WM_LBUTTONDOWN, 0, 0);
                        },
                        [&] {
                            EXPECT_NE(FindWindowExA(frame, nullptr, "saver", nullptr), nullptr);
                            DestroyWindow(frame);
                        }},
                       [&] { EXPECT_EQ(start("/p " + std::to_string(reinterpret_cast<LONG_PTR>(frame))), 0); }),
              0);
}

TEST_F(StartUpTest, AWindowThatCannotBeCreatedIsReportedPerMode) {
    HWND gone = createFrame(100, 100);
    DestroyWindow(gone);
    std::string text;
    EXPECT_EQ(runModal({closeMessageBox(sjis::previewErrorCaption, &text)},
                       [&] { EXPECT_EQ(start("/p " + std::to_string(reinterpret_cast<LONG_PTR>(gone))), 0); }),
              0);
    EXPECT_EQ(text, sjis::windowErrorText);
    UnregisterClassA("saver", GetModuleHandleA(nullptr));

    // A class of that name already registered by this module makes registration fail.
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "saver";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    text.clear();
    EXPECT_EQ(runModal({closeMessageBox(sjis::saverErrorCaption, &text)}, [&] { EXPECT_EQ(start("/s"), 0); }), 0);
    EXPECT_EQ(text, sjis::windowErrorText);
}

}  // namespace
