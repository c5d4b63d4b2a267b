// Number scanning for the reader's hot lines. Each call reads like sscanf with the
// conversions separated by blanks ("%f %f %f", "%d %d %d"): white space before a
// number is skipped, and the first text that is no number ends the scan. Values are
// written as they are read, so a short line leaves the later targets untouched.
// sscanf does the same but costs several times more per line.
#pragma once

// Both return how many values were stored.
int mqoScanFloats(const char* text, float* values, int count);
int mqoScanInts(const char* text, int* values, int count);
