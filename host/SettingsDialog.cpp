#include "SettingsDialog.h"

#include "SaverSettings.h"
#include "SettingsLimits.h"
#include "SettingsStore.h"

#include <commctrl.h>

#include <cstdint>
#include <cstdio>

namespace {

LRESULT sendToItem(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(GetDlgItem(dialog, id), message, wParam, lParam);
}

long trackbarPosition(HWND dialog, int id) {
    return static_cast<long>(sendToItem(dialog, id, TBM_GETPOS, 0, 0));
}

void initialiseControls(HWND dialog) {
    sendToItem(dialog, idCountTrackbar, TBM_SETRANGE, TRUE,
               MAKELPARAM(flowerCountLimits.lowest, flowerCountLimits.highest));
    sendToItem(dialog, idSizeTrackbar, TBM_SETRANGE, TRUE,
               MAKELPARAM(flowerSizeLimits.lowest, flowerSizeLimits.highest));
    sendToItem(dialog, idCountTrackbar, TBM_SETPAGESIZE, 0, 500);
    sendToItem(dialog, idSizeTrackbar, TBM_SETPAGESIZE, 0, 10);
    sendToItem(dialog, idCountTrackbar, TBM_SETTICFREQ, 1000, 0);
    // The trackbars clamp what the registry held into their ranges.
    sendToItem(dialog, idCountTrackbar, TBM_SETPOS, TRUE, saverSettings.hanaNum);
    sendToItem(dialog, idSizeTrackbar, TBM_SETPOS, TRUE, saverSettings.hanaRate);
    // Only 1 ticks the box; any other stored value reads as the primary monitor.
    if (saverSettings.screen == 0)
        sendToItem(dialog, idFullScreen, BM_SETCHECK, BST_UNCHECKED, 0);
    else if (saverSettings.screen == 1)
        sendToItem(dialog, idFullScreen, BM_SETCHECK, BST_CHECKED, 0);
}

// Trackbars notify whenever they draw, so the texts follow every change.
void showCountText(HWND dialog) {
    char text[256];
    std::snprintf(text, sizeof text, "%ld", trackbarPosition(dialog, idCountTrackbar));
    SetDlgItemTextA(dialog, idCountText, text);
}

void showSizeText(HWND dialog) {
    char text[256];
    std::snprintf(text, sizeof text, "%.2f", trackbarPosition(dialog, idSizeTrackbar) * 0.01);
    SetDlgItemTextA(dialog, idSizeText, text);
}

void acceptSettings(HWND dialog) {
    saverSettings.hanaNum = static_cast<int16_t>(trackbarPosition(dialog, idCountTrackbar));
    saverSettings.hanaRate = static_cast<int16_t>(trackbarPosition(dialog, idSizeTrackbar));
    saverSettings.screen = static_cast<int16_t>(sendToItem(dialog, idFullScreen, BM_GETCHECK, 0, 0));
    // On failure the store has told the user; the dialog stays open for another try.
    if (saveSettings() == 0)
        EndDialog(dialog, 1);
}

}  // namespace

INT_PTR CALLBACK settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            initialiseControls(dialog);
            return TRUE;
        case WM_NOTIFY:
            if (wParam == idCountTrackbar)
                showCountText(dialog);
            else if (wParam == idSizeTrackbar)
                showSizeText(dialog);
            return FALSE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                    acceptSettings(dialog);
                    return TRUE;
                case idCancel:
                    EndDialog(dialog, 1);
                    return TRUE;
                default:
                    // IDCANCEL from the Esc key lands here on purpose: Esc does nothing.
                    return FALSE;
            }
        case WM_CLOSE:
            EndDialog(dialog, 1);
            return TRUE;
        default:
            return FALSE;
    }
}
