// The settings dialog (resource 101): flower count, flower size and monitor choice.
#pragma once

#include <windows.h>

// Control ids of dialog 101.
constexpr int dialogSettings = 101;
constexpr int idCountTrackbar = 1000;
constexpr int idSizeTrackbar = 1001;
constexpr int idSizeText = 1003;
constexpr int idCountText = 1004;
constexpr int idCancel = 1007;
constexpr int idFullScreen = 1008;

INT_PTR CALLBACK settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
