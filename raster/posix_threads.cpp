#include <pthread.h>
#include <unistd.h>

#include <vector>

#include "RasterThreads.h"

struct RasterWorker {
    RasterWorkers* workers;
    int band;
    pthread_t thread;
};

struct RasterWorkers {
    RasterBandTask task;
    void* context;
    pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t wake = PTHREAD_COND_INITIALIZER;
    pthread_cond_t done = PTHREAD_COND_INITIALIZER;
    unsigned frame = 0;  // bumped for each frame, so that a worker runs each once
    int bands = 0;
    int running = 0;
    bool stopping = false;
    std::vector<RasterWorker> workers;
};

namespace {

void* workerLoop(void* argument) {
    RasterWorker& worker = *static_cast<RasterWorker*>(argument);
    RasterWorkers& all = *worker.workers;
    unsigned seen = 0;
    pthread_mutex_lock(&all.lock);
    for (;;) {
        while (!all.stopping && all.frame == seen) {
            pthread_cond_wait(&all.wake, &all.lock);
        }
        if (all.stopping) {
            break;
        }
        seen = all.frame;
        if (worker.band < all.bands) {
            pthread_mutex_unlock(&all.lock);
            all.task(all.context, worker.band);
            pthread_mutex_lock(&all.lock);
            if (--all.running == 0) {
                pthread_cond_signal(&all.done);
            }
        }
    }
    pthread_mutex_unlock(&all.lock);
    return nullptr;
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
        worker = {all, started + 1, {}};
        if (pthread_create(&worker.thread, nullptr, workerLoop, &worker) != 0) {
            break;
        }
        ++started;
    }
    all->workers.resize(started);
    return all;
}

void rasterWorkersRun(RasterWorkers* all, int bands) {
    if (bands > 1) {
        pthread_mutex_lock(&all->lock);
        all->bands = bands;
        all->running = bands - 1;
        ++all->frame;
        pthread_cond_broadcast(&all->wake);
        pthread_mutex_unlock(&all->lock);
    }
    all->task(all->context, 0);
    if (bands > 1) {
        pthread_mutex_lock(&all->lock);
        while (all->running > 0) {
            pthread_cond_wait(&all->done, &all->lock);
        }
        pthread_mutex_unlock(&all->lock);
    }
}

void rasterWorkersStop(RasterWorkers* all) {
    pthread_mutex_lock(&all->lock);
    all->stopping = true;
    pthread_cond_broadcast(&all->wake);
    pthread_mutex_unlock(&all->lock);
    for (RasterWorker& worker : all->workers) {
        pthread_join(worker.thread, nullptr);
    }
    delete all;
}

int rasterProcessorCount() {
    return static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN));
}
