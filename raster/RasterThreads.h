// Worker threads that sleep between frames and each run one band of a frame.
#pragma once

struct RasterWorkers;
using RasterBandTask = void (*)(void* context, int band);

// Starts up to `count` workers, which will run bands 1..started of each frame; fewer where
// the system refuses a thread.
RasterWorkers* rasterWorkersStart(int count, RasterBandTask task, void* context, int& started);
// Runs bands 0..bands-1 (at most started + 1): band 0 on the calling thread, the rest on the
// workers; returns when all are done.
void rasterWorkersRun(RasterWorkers* workers, int bands);
void rasterWorkersStop(RasterWorkers* workers);

int rasterProcessorCount();
