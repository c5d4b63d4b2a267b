#include <windows.h>

#include <vector>

#include "RasterThreads.h"

struct RasterWorker {
    RasterWorkers* workers;
    int band;
    HANDLE thread;
};

struct RasterWorkers {
    RasterBandTask task;
    void* context;
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE wake = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE done = CONDITION_VARIABLE_INIT;
    unsigned frame = 0;  // bumped for each frame, so that a worker runs each once
    int bands = 0;
    int running = 0;
    bool stopping = false;
    std::vector<RasterWorker> workers;
};

namespace {

DWORD WINAPI workerLoop(void* argument) {
    RasterWorker& worker = *static_cast<RasterWorker*>(argument);
    RasterWorkers& all = *worker.workers;
    unsigned seen = 0;
    AcquireSRWLockExclusive(&all.lock);
    for (;;) {
        while (!all.stopping && all.frame == seen) {
            SleepConditionVariableSRW(&all.wake, &all.lock, INFINITE, 0);
        }
        if (all.stopping) {
            break;
        }
        seen = all.frame;
        if (worker.band < all.bands) {
            ReleaseSRWLockExclusive(&all.lock);
            all.task(all.context, worker.band);
            AcquireSRWLockExclusive(&all.lock);
            if (--all.running == 0) {
                WakeConditionVariable(&all.done);
            }
        }
    }
    ReleaseSRWLockExclusive(&all.lock);
    return 0;
}

}  // namespace

RasterWorkers* rasterWorkersStart(int count, RasterBandTask task, void* context, int& started) {
    auto* all = new RasterWorkers;
    all->task = task;
    all->context = context;
    all->workers.resize(count);  // never moved again: each thread holds its entry
    started = 0;
    while (started < count) {
        RasterWorker& worker = all->workers[started];
        worker = {all, started + 1, nullptr};
        worker.thread = CreateThread(nullptr, 0, workerLoop, &worker, 0, nullptr);
        if (!worker.thread) {
            break;
        }
        ++started;
    }
    all->workers.resize(started);
    return all;
}

void rasterWorkersRun(RasterWorkers* all, int bands) {
    if (bands > 1) {
        AcquireSRWLockExclusive(&all->lock);
        all->bands = bands;
        all->running = bands - 1;
        ++all->frame;
        WakeAllConditionVariable(&all->wake);
        ReleaseSRWLockExclusive(&all->lock);
    }
    all->task(all->context, 0);
    if (bands > 1) {
        AcquireSRWLockExclusive(&all->lock);
        while (all->running > 0) {
            SleepConditionVariableSRW(&all->done, &all->lock, INFINITE, 0);
        }
        ReleaseSRWLockExclusive(&all->lock);
    }
}

void rasterWorkersStop(RasterWorkers* all) {
    AcquireSRWLockExclusive(&all->lock);
    all->stopping = true;
    WakeAllConditionVariable(&all->wake);
    ReleaseSRWLockExclusive(&all->lock);
    for (RasterWorker& worker : all->workers) {
        WaitForSingleObject(worker.thread, INFINITE);
        CloseHandle(worker.thread);
    }
    delete all;
}

int rasterProcessorCount() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return static_cast<int>(info.dwNumberOfProcessors);
}
