// The signals that end the saver, taken as readable events on a file.
#pragma once

// Blocks SIGTERM (the daemon's), SIGINT and SIGHUP (a shell's) for the whole process, threads
// started later included, and returns a file that becomes readable when one comes: a frame in
// progress completes and tear-down runs in order. Negative when it cannot be had.
int watchStopSignals();
