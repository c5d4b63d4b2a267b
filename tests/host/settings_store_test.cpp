#include "HostTestSupport.h"
#include "SaverSettings.h"
#include "SettingsLimits.h"
#include "SettingsStore.h"

#include <gtest/gtest.h>

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        unblockSettingsKey();
        deleteSettingsKey();
        saverSettings = {};
    }
    void TearDown() override {
        unblockSettingsKey();
        deleteSettingsKey();
    }
};

// Closes the message box with the given caption, remembering its text.
std::function<void()> closeMessageBox(const std::string& caption, std::string* text) {
    return [caption, text] {
        HWND box = findMessageBox(caption);
        if (box == nullptr)
            return retryStepLater();
        *text = messageBoxText(box);
        EndDialog(box, IDOK);
    };
}

TEST_F(SettingsStoreTest, FirstRunCreatesTheKeyEmptyAndUsesDefaults) {
    EXPECT_EQ(loadSettings(), 0);
    EXPECT_TRUE(settingsKeyExists());
    EXPECT_EQ(settingsValueCount(), 0);
    EXPECT_EQ(saverSettings.hanaNum, flowerCountLimits.defaultValue);
    EXPECT_EQ(saverSettings.hanaRate, flowerSizeLimits.defaultValue);
    EXPECT_EQ(saverSettings.screen, defaultScreenSetting);
}

TEST_F(SettingsStoreTest, KeepsTheLow16BitsOfStoredNumbers) {
    writeDwordSetting("HanaNum", 20000);
    writeDwordSetting("HanaRate", 70000);  // 70000 - 65536
    writeDwordSetting("screen", 0xFFFFFFFF);
    EXPECT_EQ(loadSettings(), 0);
    EXPECT_EQ(saverSettings.hanaNum, 20000);
    EXPECT_EQ(saverSettings.hanaRate, 4464);
    EXPECT_EQ(saverSettings.screen, -1);
}

TEST_F(SettingsStoreTest, ReadsAnyShortValueByItsFirstBytesWhateverItsType) {
    writeSetting("HanaNum", REG_BINARY, {0x34, 0x12});
    writeSetting("HanaRate", REG_SZ, {'a', 'b', 0});
    writeSetting("screen", REG_BINARY, {0x00});
    EXPECT_EQ(loadSettings(), 0);
    EXPECT_EQ(saverSettings.hanaNum, 0x1234);
    EXPECT_EQ(saverSettings.hanaRate, 'a' | 'b' << 8);
    EXPECT_EQ(saverSettings.screen, 0);
}

TEST_F(SettingsStoreTest, LongerValuesFallBackToTheDefaults) {
    writeSetting("HanaNum", REG_SZ, {'h', 'e', 'l', 'l', 'o', 0});
    writeSetting("HanaRate", REG_QWORD, {5, 0, 0, 0, 0, 0, 0, 0});
    writeDwordSetting("screen", 0);
    EXPECT_EQ(loadSettings(), 0);
    EXPECT_EQ(saverSettings.hanaNum, flowerCountLimits.defaultValue);
    EXPECT_EQ(saverSettings.hanaRate, flowerSizeLimits.defaultValue);
    EXPECT_EQ(saverSettings.screen, 0);
}

TEST_F(SettingsStoreTest, StoresThreeDwordsSignExtendedExceptTheScreenByte) {
    saverSettings = {-2, 300, 0x0102};
    EXPECT_EQ(saveSettings(), 0);
    EXPECT_EQ(settingsValueCount(), 3);
    auto count = readSetting("HanaNum");
    auto rate = readSetting("HanaRate");
    auto screen = readSetting("screen");
    ASSERT_TRUE(count && rate && screen);
    EXPECT_EQ(count->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(rate->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(screen->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(count->value, 0xFFFFFFFEu);
    EXPECT_EQ(rate->value, 300u);
    EXPECT_EQ(screen->value, 2u);

    saverSettings = {};
    EXPECT_EQ(loadSettings(), 0);
    EXPECT_EQ(saverSettings.hanaNum, -2);
    EXPECT_EQ(saverSettings.hanaRate, 300);
    EXPECT_EQ(saverSettings.screen, 2);
}

TEST_F(SettingsStoreTest, AKeyThatCannotBeOpenedIsReportedInJapanese) {
    blockSettingsKey();
    saverSettings = {11, 22, 1};
    std::string text;
    int result = -1;
    EXPECT_EQ(runModal({closeMessageBox(sjis::loadErrorCaption, &text)}, [&] { result = loadSettings(); }), 0);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(text, sjis::loadErrorText);
    EXPECT_EQ(saverSettings.hanaNum, 11);
    EXPECT_EQ(saverSettings.hanaRate, 22);
    EXPECT_EQ(saverSettings.screen, 1);

    EXPECT_EQ(runModal({closeMessageBox(sjis::saveErrorCaption, &text)}, [&] { result = saveSettings(); }), 0);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(text, sjis::saveErrorText);
    EXPECT_FALSE(settingsKeyExists());
}

}  // namespace
