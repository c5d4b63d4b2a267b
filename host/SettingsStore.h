// Keeps `saverSettings` in the current user's registry.
#pragma once

// Each returns 1 when the key cannot be opened (after telling the user), else 0.
int loadSettings();
int saveSettings();
