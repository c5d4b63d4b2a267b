// Helpers for driving the host through real Win32 calls under Wine.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// Code page 932 bytes of the texts the host shows.
namespace sjis {
inline const std::string dialogTitle =
    "\x83\x58\x83\x4e\x83\x8a\x81\x5b\x83\x93\x83\x5a\x81\x5b\x83\x6f\x81\x5b\x82\xcc\x90\xdd\x92\xe8";
inline const std::string loadErrorText =
    "\x83\x8c\x83\x57\x83\x58\x83\x67\x83\x8a\x82\xa9\x82\xe7\x8f\xee\x95\xf1\x82\xf0\x8e\xe6\x93\xbe\x82\xc5\x82"
    "\xab\x82\xdc\x82\xb9\x82\xf1";
inline const std::string loadErrorCaption = "\x90\xdd\x92\xe8\x92\x6c\x8e\xe6\x93\xbe\x83\x47\x83\x89\x81\x5b";
inline const std::string saveErrorText =
    "\x83\x8c\x83\x57\x83\x58\x83\x67\x83\x8a\x82\xd6\x93\x6f\x98\x5e\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1";
inline const std::string saveErrorCaption = "\x90\xdd\x92\xe8\x92\x6c\x93\x6f\x98\x5e\x83\x47\x83\x89\x81\x5b";
inline const std::string windowErrorText =
    "\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45\x82\xaa\x8d\xec\x90\xac\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1";
inline const std::string previewErrorCaption = "\x8f\x89\x8a\xfa\x89\xbb\x83\x47\x83\x89\x81\x5b\x82\x50";
inline const std::string saverErrorCaption = "\x8f\x89\x8a\xfa\x89\xbb\x83\x47\x83\x89\x81\x5b\x82\x51";
}  // namespace sjis

// --- registry: HKCU "Control Panel\ScreenSaver\Petalrain" of the private prefix

void deleteSettingsKey();
bool settingsKeyExists();
void writeSetting(const char* name, DWORD type, const std::vector<BYTE>& data);
void writeDwordSetting(const char* name, DWORD value);
struct StoredValue {
    DWORD type;
    DWORD value;
};
std::optional<StoredValue> readSetting(const char* name);
int settingsValueCount();

// Makes the key impossible to open: its parent becomes volatile, which refuses non-volatile children.
void blockSettingsKey();
void unblockSettingsKey();

// --- modal loops

// Runs `modal` (which enters a modal loop) while a thread timer runs one step per tick.
// Once the steps are used up, any dialog or message box still open on this thread is
// ended with forcedDialogResult; the result says how many had to be ended that way.
constexpr INT_PTR forcedDialogResult = 99;
int runModal(std::vector<std::function<void()>> steps, const std::function<void()>& modal);
// Called from a step: run that step again at the next tick instead of moving on.
void retryStepLater();

// The visible settings dialog, or null.
HWND findSettingsDialog();
HWND findMessageBox(const std::string& caption);
std::string windowText(HWND window);
// The text of the message box's message (its longest static text).
std::string messageBoxText(HWND box);

// Dispatches the thread's pending messages (no WM_QUIT is taken).
void pumpMessages();
// Takes one posted WM_CLOSE for the window out of the queue; true when there was one.
bool takePostedClose(HWND window);
// The pointer's display count.
int cursorDisplayCount();
