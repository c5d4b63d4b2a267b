#include "SettingsStore.h"

#include "SaverSettings.h"
#include "SettingsLimits.h"

#include <windows.h>

#include <cstdint>

namespace {

constexpr const char* settingsKeyPath = "Control Panel\\ScreenSaver\\Petalrain";

bool openSettingsKey(HKEY* key) {
    return RegCreateKeyExA(HKEY_CURRENT_USER, settingsKeyPath, 0, const_cast<char*>(""), 0, KEY_ALL_ACCESS, nullptr,
                           key, nullptr) == ERROR_SUCCESS;
}

// Any value of 4 bytes or fewer counts, whatever its registry type; only the low 16 bits are kept.
int16_t readValue(HKEY key, const char* name, int16_t fallback) {
    uint8_t data[4] = {};
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, nullptr, data, &size) != ERROR_SUCCESS)
        return fallback;
    return static_cast<int16_t>(data[0] | data[1] << 8);
}

void writeValue(HKEY key, const char* name, DWORD value) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace

int loadSettings() {
    HKEY key;
    if (!openSettingsKey(&key)) {
        MessageBoxA(nullptr, "レジストリから情報を取得できません", "設定値取得エラー", MB_OK);
        return 1;
    }
    // Missing values take the defaults; present ones are kept unchecked, out of range or not.
    saverSettings.hanaNum = readValue(key, "HanaNum", flowerCountLimits.defaultValue);
    saverSettings.hanaRate = readValue(key, "HanaRate", flowerSizeLimits.defaultValue);
    saverSettings.screen = readValue(key, "screen", defaultScreenSetting);
    RegCloseKey(key);
    return 0;
}

int saveSettings() {
    HKEY key;
    if (!openSettingsKey(&key)) {
        MessageBoxA(nullptr, "レジストリへ登録できません", "設定値登録エラー", MB_OK);
        return 1;
    }
    // Count and size are sign-extended; the monitor choice keeps its low byte only.
    writeValue(key, "HanaNum", static_cast<DWORD>(static_cast<int32_t>(saverSettings.hanaNum)));
    writeValue(key, "HanaRate", static_cast<DWORD>(static_cast<int32_t>(saverSettings.hanaRate)));
    writeValue(key, "screen", static_cast<uint8_t>(saverSettings.screen));
    RegCloseKey(key);
    return 0;
}
