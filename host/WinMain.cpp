// Start-up: one saver at a time, run mode from the command line, then dialog or saver window.
#include "CommandLine.h"
#include "HostState.h"
#include "SaverWindow.h"
#include "SettingsDialog.h"
#include "SettingsStore.h"

#include <windows.h>
#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    hostState.instance = instance;
    if (FindWindowA("saver", nullptr) != nullptr)
        return 0;
    if (parseCommandLine(commandLine) != 0)
        return 0;
    loadSettings();

    switch (hostState.runMode) {
        case Configure:
            InitCommonControls();
            DialogBoxParamA(instance, MAKEINTRESOURCEA(dialogSettings), nullptr, settingsDialogProc, 0);
            return 0;
        case Preview:
            if (createSaverWindow(true) != 0) {
                MessageBoxA(nullptr, "ウィンドウが作成できません", "初期化エラー１", MB_OK);
                return 0;
            }
            break;
        case Saver:
            if (createSaverWindow(false) != 0) {
                MessageBoxA(nullptr, "ウィンドウが作成できません", "初期化エラー２", MB_OK);
                return 0;
            }
            break;
    }

    MSG message;
    BOOL result;
    while ((result = GetMessageA(&message, nullptr, 0, 0)) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // A failing GetMessageA (-1) must end the loop too rather than spin.
    return result == 0 ? static_cast<int>(message.wParam) : 0;
}
