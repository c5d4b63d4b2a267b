// Reads the run mode and the preview window handle from the command line.
#pragma once

// 0 on success (sets hostState.runMode and hostState.parentWindow), 1 when no switch occurs.
int parseCommandLine(const char* commandLine);
