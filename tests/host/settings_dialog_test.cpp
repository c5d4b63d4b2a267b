// The settings dialog, opened the way the program opens it: WinMain with an empty command line.
#include "HostState.h"
#include "HostTestSupport.h"
#include "SaverSettings.h"
#include "SettingsDialog.h"
#include "SettingsLimits.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

namespace {

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        unblockSettingsKey();
        deleteSettingsKey();
    }
    void TearDown() override {
        unblockSettingsKey();
        deleteSettingsKey();
    }

    // Opens the dialog, runs the steps on it (dialog is set before the first one) and
    // returns how many dialogs had to be closed by force afterwards.
    int runDialog(std::vector<std::function<void()>> steps) {
        steps.insert(steps.begin(), awaitDialog());
        int exitCode = -1;
        int forced = runModal(steps, [&] { exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, emptyLine, 0); });
        EXPECT_EQ(exitCode, 0);
        return forced;
    }

    std::function<void()> awaitDialog() {
        return [this] {
            dialog = findSettingsDialog();
            if (dialog == nullptr)
                return retryStepLater();
            // Trackbars notify when they paint; make sure they have.
            RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        };
    }
    std::string itemText(int id) {
        return windowText(GetDlgItem(dialog, id));
    }
    LRESULT position(int id) {
        return SendDlgItemMessageA(dialog, id, TBM_GETPOS, 0, 0);
    }
    bool ticked() {
        return SendDlgItemMessageA(dialog, idFullScreen, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    void click(int id) {
        SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
    }
    // Keys go through the dialog's own loop, like typed ones.
    void postKey(int id, WPARAM key) {
        HWND control = GetDlgItem(dialog, id);
        SetFocus(control);
        PostMessageA(control, WM_KEYDOWN, key, 0);
        PostMessageA(control, WM_KEYUP, key, 0xC0000000);
    }
    std::function<void()> expectStillOpen() {
        return [this] { EXPECT_TRUE(IsWindowVisible(dialog)); };
    }

    HWND dialog = nullptr;
    char emptyLine[1] = "";
};

TEST_F(SettingsDialogTest, ShowsItsJapaneseTextsAsCodePage932) {
    EXPECT_EQ(runDialog({[this] {
                  EXPECT_EQ(windowText(dialog), sjis::dialogTitle);
                  EXPECT_EQ(itemText(IDOK), "OK");
                  EXPECT_EQ(itemText(idCancel), "\xb7\xac\xdd\xbe\xd9");
                  EXPECT_EQ(itemText(1006), "\x89\xd4\x82\xcc\x90\x94");
                  EXPECT_EQ(itemText(1005), "\x89\xd4\x82\xcc\x91\xe5\x82\xab\x82\xb3");
                  EXPECT_EQ(itemText(idFullScreen), "\x83\x74\x83\x8b\x83\x58\x83\x4e\x83\x8a\x81\x5b\x83\x93");
                  LOGFONTA font = {};
                  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
                  EXPECT_STREQ(font.lfFaceName, "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e");
                  EXPECT_EQ(font.lfCharSet, 1);
                  click(idCancel);
              }}),
              0);
}

// The picture of one character drawn in the font on white.
std::vector<uint32_t> characterPicture(HFONT font, const char* character, int length) {
    constexpr int size = 48;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, font);
    PatBlt(dc, 0, 0, size, size, WHITENESS);
    TextOutA(dc, 4, 4, character, length);
    GdiFlush();
    std::vector<uint32_t> picture(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + size * size);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return picture;
}

// A face without a character's glyph draws one and the same box for every such
// character, so different characters that look alike were not drawn as glyphs.
TEST_F(SettingsDialogTest, DrawsItsTextsAsGlyphsNotBoxes) {
    EXPECT_EQ(runDialog({[this] {
                  for (int id : {IDOK, idCancel, 1006, 1005, idFullScreen}) {
                      const std::string text = itemText(id);
                      HFONT font = reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, id, WM_GETFONT, 0, 0));
                      const std::vector<uint32_t> blank = characterPicture(font, " ", 1);
                      std::map<std::vector<uint32_t>, std::string> seen;
                      for (size_t i = 0; i < text.size();) {
                          const int length = IsDBCSLeadByteEx(932, static_cast<BYTE>(text[i])) ? 2 : 1;
                          const std::string character = text.substr(i, length);
                          i += length;
                          const std::vector<uint32_t> picture = characterPicture(font, character.c_str(), length);
                          EXPECT_NE(picture, blank) << "control " << id << " character " << i;
                          auto [entry, fresh] = seen.emplace(picture, character);
                          EXPECT_TRUE(fresh || entry->second == character) << "control " << id << " character " << i;
                      }
                  }
                  click(idCancel);
              }}),
              0);
}

TEST_F(SettingsDialogTest, FirstRunShowsTheDefaultsAndCancelStoresNothing) {
    EXPECT_EQ(runDialog({[this] {
                  EXPECT_EQ(position(idCountTrackbar), flowerCountLimits.defaultValue);
                  EXPECT_EQ(itemText(idCountText), std::to_string(flowerCountLimits.defaultValue));
                  EXPECT_EQ(position(idSizeTrackbar), flowerSizeLimits.defaultValue);
                  EXPECT_EQ(itemText(idSizeText), "1.00");
                  EXPECT_TRUE(ticked());
                  click(idCancel);
              }}),
              0);
    EXPECT_TRUE(settingsKeyExists());
    EXPECT_EQ(settingsValueCount(), 0);
}

TEST_F(SettingsDialogTest, ClampsATooLargeCountAndOkStoresWhatIsShown) {
    writeDwordSetting("HanaNum", 20000);
    EXPECT_EQ(runDialog({[this] {
                  EXPECT_EQ(position(idCountTrackbar), flowerCountLimits.highest);
                  EXPECT_EQ(itemText(idCountText), std::to_string(flowerCountLimits.highest));
                  click(IDOK);
              }}),
              0);
    auto count = readSetting("HanaNum");
    auto rate = readSetting("HanaRate");
    auto screen = readSetting("screen");
    ASSERT_TRUE(count && rate && screen);
    EXPECT_EQ(count->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(count->value, static_cast<DWORD>(flowerCountLimits.highest));
    EXPECT_EQ(rate->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(rate->value, static_cast<DWORD>(flowerSizeLimits.defaultValue));
    EXPECT_EQ(screen->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(screen->value, static_cast<DWORD>(defaultScreenSetting));
}

TEST_F(SettingsDialogTest, ShowsTheSizeAsAFactorWithTwoDecimals) {
    for (auto [rate, text] : {std::pair{50, "0.50"}, {123, "1.23"}, {300, "3.00"}, {10, "0.10"}, {5, "0.10"}}) {
        writeDwordSetting("HanaRate", rate);
        EXPECT_EQ(runDialog({[this, text = text] {
                      EXPECT_EQ(itemText(idSizeText), text);
                      click(idCancel);
                  }}),
                  0);
    }
}

TEST_F(SettingsDialogTest, KeysMoveTheTrackbarsByPagesAndLinesAndTheTextsFollow) {
    EXPECT_EQ(runDialog({
                  [this] { postKey(idCountTrackbar, VK_NEXT); },
                  [this] {
                      EXPECT_EQ(position(idCountTrackbar), 8000);
                      EXPECT_EQ(itemText(idCountText), "8000");
                      postKey(idCountTrackbar, VK_LEFT);
                      postKey(idSizeTrackbar, VK_NEXT);
                  },
                  [this] {
                      EXPECT_EQ(itemText(idCountText), "7999");
                      EXPECT_EQ(position(idSizeTrackbar), 110);
                      EXPECT_EQ(itemText(idSizeText), "1.10");
                      postKey(idSizeTrackbar, VK_RIGHT);
                  },
                  [this] {
                      EXPECT_EQ(itemText(idSizeText), "1.11");
                      // Enter on a trackbar presses the default button.
                      postKey(idSizeTrackbar, VK_RETURN);
                  },
              }),
              0);
    EXPECT_EQ(readSetting("HanaNum")->value, 7999u);
    EXPECT_EQ(readSetting("HanaRate")->value, 111u);
}

TEST_F(SettingsDialogTest, TypedTextIsReplacedAndNeverStored) {
    EXPECT_EQ(runDialog({
                  [this] {
                      SetDlgItemTextA(dialog, idCountText, "123");
                      InvalidateRect(GetDlgItem(dialog, idCountTrackbar), nullptr, TRUE);
                  },
                  [this] {
                      EXPECT_EQ(itemText(idCountText), std::to_string(flowerCountLimits.defaultValue));
                      SetDlgItemTextA(dialog, idSizeText, "9.99");
                      click(IDOK);
                  },
              }),
              0);
    EXPECT_EQ(readSetting("HanaNum")->value, static_cast<DWORD>(flowerCountLimits.defaultValue));
    EXPECT_EQ(readSetting("HanaRate")->value, static_cast<DWORD>(flowerSizeLimits.defaultValue));
}

TEST_F(SettingsDialogTest, EscapeDoesNothingAndTheCloseButtonStoresNothing) {
    EXPECT_EQ(runDialog({
                  [this] { postKey(idCountTrackbar, VK_ESCAPE); },
                  expectStillOpen(),
                  [this] {
                      postKey(idCountTrackbar, VK_NEXT);
                      PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
                  },
              }),
              0);
    EXPECT_EQ(settingsValueCount(), 0);
}

TEST_F(SettingsDialogTest, OnlyAScreenOfOneTicksTheBox) {
    for (DWORD screen : {0u, 2u}) {
        writeDwordSetting("screen", screen);
        EXPECT_EQ(runDialog({[this] {
                      EXPECT_FALSE(ticked());
                      click(IDOK);
                  }}),
                  0);
        EXPECT_EQ(readSetting("screen")->value, 0u);
    }
}

TEST_F(SettingsDialogTest, UnticingTheBoxStoresZero) {
    EXPECT_EQ(runDialog({[this] {
                  click(idFullScreen);
                  click(IDOK);
              }}),
              0);
    EXPECT_EQ(readSetting("screen")->value, 0u);
}

TEST_F(SettingsDialogTest, WithoutARegistryTheDialogStartsAtZeroAndStaysOpenUntilOkCanStore) {
    blockSettingsKey();
    saverSettings = {};  // as at start-up
    std::string saveMessage;
    EXPECT_EQ(runModal({
                           [] {
                               HWND box = findMessageBox(sjis::loadErrorCaption);
                               if (box == nullptr)
                                   return retryStepLater();
                               EXPECT_EQ(messageBoxText(box), sjis::loadErrorText);
                               EndDialog(box, IDOK);
                           },
                           awaitDialog(),
                           [this] {
                               // Positions clamped from 0 to the trackbars' lowest.
                               EXPECT_EQ(itemText(idCountText), std::to_string(flowerCountLimits.lowest));
                               EXPECT_EQ(itemText(idSizeText), "0.10");
                               EXPECT_FALSE(ticked());
                               PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
                           },
                           [&] {
                               HWND box = findMessageBox(sjis::saveErrorCaption);
                               if (box == nullptr)
                                   return retryStepLater();
                               saveMessage = messageBoxText(box);
                               EndDialog(box, IDOK);
                           },
                           expectStillOpen(),
                           [this] {
                               unblockSettingsKey();
                               click(IDOK);
                           },
                       },
                       [] {
                           char line[] = "";
                           EXPECT_EQ(WinMain(GetModuleHandleA(nullptr), nullptr, line, 0), 0);
                       }),
              0);
    EXPECT_EQ(saveMessage, sjis::saveErrorText);
    EXPECT_EQ(readSetting("HanaNum")->value, static_cast<DWORD>(flowerCountLimits.lowest));
    EXPECT_EQ(readSetting("HanaRate")->value, static_cast<DWORD>(flowerSizeLimits.lowest));
    EXPECT_EQ(readSetting("screen")->value, 0u);
}

}  // namespace
