// Worker threads that sleep between frames and each run one band of a frame.
#pragma once

struct RasterWorkers;
using RasterBandTask = void (*)(void* context, int band);

// Starts `count` workers, which will run bands 1..count of each frame.
RasterWorkers* rasterWorkersStart(int count, RasterBandTask task, void* context);
// Runs bands 0..bands-1 (at most count + 1): band 0 on the calling thread, the rest on the
// workers; returns when all are done.
void rasterWorkersRun(RasterWorkers* workers, int bands);
void rasterWorkersStop(RasterWorkers* workers);

int rasterProcessorCount();
