#include "HostTestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* parentKeyPath = "Control Panel\\ScreenSaver";
constexpr const char* keyPath = "Control Panel\\ScreenSaver\\Petalrain";

HKEY openKey(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

HKEY createKey() {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    return key;
}

struct ModalRun {
    std::vector<std::function<void()>> steps;
    size_t next = 0;
    bool retry = false;
    int retries = 0;
    int forced = 0;
};
ModalRun* modalRun = nullptr;

BOOL CALLBACK endDialogWindow(HWND window, LPARAM) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) == "#32770" && IsWindowVisible(window)) {
        EndDialog(window, forcedDialogResult);
        ++modalRun->forced;
    }
    return TRUE;
}

void CALLBACK modalTick(HWND, UINT, UINT_PTR, DWORD) {
    if (modalRun == nullptr)
        return;
    if (modalRun->next < modalRun->steps.size()) {
        // Advance first: a step may enter another modal loop that ticks again.
        size_t index = modalRun->next++;
        modalRun->retry = false;
        modalRun->steps[index]();
        // A step waits for its window a few seconds at most.
        if (modalRun->retry && ++modalRun->retries < 40) {
            modalRun->next = index;
        } else {
            EXPECT_FALSE(modalRun->retry) << "step " << index << " gave up waiting";
            modalRun->retries = 0;
        }
        return;
    }
    EnumThreadWindows(GetCurrentThreadId(), endDialogWindow, 0);
}

}  // namespace

void deleteSettingsKey() {
    RegDeleteKeyA(HKEY_CURRENT_USER, keyPath);
}

bool settingsKeyExists() {
    HKEY key = openKey(keyPath);
    if (key == nullptr)
        return false;
    RegCloseKey(key);
    return true;
}

void writeSetting(const char* name, DWORD type, const std::vector<BYTE>& data) {
    HKEY key = createKey();
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size())), ERROR_SUCCESS);
    RegCloseKey(key);
}

void writeDwordSetting(const char* name, DWORD value) {
    writeSetting(name, REG_DWORD,
                 {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                  static_cast<BYTE>(value >> 24)});
}

std::optional<StoredValue> readSetting(const char* name) {
    HKEY key = openKey(keyPath);
    if (key == nullptr)
        return std::nullopt;
    StoredValue stored = {};
    DWORD size = sizeof stored.value;
    LONG result = RegQueryValueExA(key, name, nullptr, &stored.type, reinterpret_cast<BYTE*>(&stored.value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || size != sizeof stored.value)
        return std::nullopt;
    return stored;
}

int settingsValueCount() {
    HKEY key = openKey(keyPath);
    if (key == nullptr)
        return -1;
    DWORD count = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    return static_cast<int>(count);
}

void blockSettingsKey() {
    deleteSettingsKey();
    RegDeleteKeyA(HKEY_CURRENT_USER, parentKeyPath);
    HKEY parent = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, parentKeyPath, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &parent, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(parent);
}

void unblockSettingsKey() {
    RegDeleteKeyA(HKEY_CURRENT_USER, parentKeyPath);
}

void retryStepLater() {
    modalRun->retry = true;
}

int runModal(std::vector<std::function<void()>> steps, const std::function<void()>& modal) {
    ModalRun run;
    run.steps = std::move(steps);
    modalRun = &run;
    UINT_PTR timer = SetTimer(nullptr, 0, 150, modalTick);
    modal();
    KillTimer(nullptr, timer);
    modalRun = nullptr;
    EXPECT_EQ(run.next, run.steps.size()) << "the modal loop ended before every step ran";
    return run.forced;
}

HWND findSettingsDialog() {
    HWND dialog = FindWindowA("#32770", sjis::dialogTitle.c_str());
    return dialog != nullptr && IsWindowVisible(dialog) ? dialog : nullptr;
}

HWND findMessageBox(const std::string& caption) {
    HWND box = FindWindowA("#32770", caption.c_str());
    return box != nullptr && IsWindowVisible(box) ? box : nullptr;
}

std::string windowText(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string messageBoxText(HWND box) {
    std::string longest;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = {};
        GetClassNameA(child, className, sizeof className);
        std::string text = windowText(child);
        if (lstrcmpiA(className, "Static") == 0 && text.size() > longest.size())
            longest = text;
    }
    return longest;
}

void pumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool takePostedClose(HWND window) {
    MSG message;
    return PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0;
}

int cursorDisplayCount() {
    int count = ShowCursor(TRUE);
    ShowCursor(FALSE);
    return count - 1;
}
