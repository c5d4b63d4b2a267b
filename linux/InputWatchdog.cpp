#include "InputWatchdog.h"

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <pthread.h>
#include <unistd.h>

#include "FrameClock.h"

namespace {

constexpr int64_t strandedNs = 2000000000;

// The watch sleeps on the condition while nothing shows: a waiting daemon costs nothing.
pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
pthread_cond_t shown = PTHREAD_COND_INITIALIZER;
bool showing;
std::atomic<int64_t> lastBeatNs{0};

void* watch(void*) {
    const timespec tick{0, 250000000};
    for (;;) {
        pthread_mutex_lock(&lock);
        while (!showing)
            pthread_cond_wait(&shown, &lock);
        const bool stranded = frameClockNow() - lastBeatNs.load() > strandedNs;
        pthread_mutex_unlock(&lock);
        if (stranded) {
            static const char line[] =
                "petalrain: the saver has not come back to its input for 2 s; ending it so that the input goes back\n";
            (void)!write(2, line, sizeof line - 1);
            _exit(1);
        }
        nanosleep(&tick, nullptr);
    }
    return nullptr;
}

}  // namespace

void inputWatchdogStart() {
    static bool started = false;
    if (started)
        return;
    started = true;
    lastBeatNs = frameClockNow();
    pthread_t thread;
    if (pthread_create(&thread, nullptr, watch, nullptr) == 0)
        pthread_detach(thread);
}

void inputWatchdogShowing(bool shows) {
    lastBeatNs = frameClockNow();
    pthread_mutex_lock(&lock);
    showing = shows;
    pthread_cond_signal(&shown);
    pthread_mutex_unlock(&lock);
}

void inputWatchdogBeat() {
    lastBeatNs = frameClockNow();
}

bool inputWatchdogArmed() {
    pthread_mutex_lock(&lock);
    const bool armed = showing;
    pthread_mutex_unlock(&lock);
    return armed;
}

void stallIfAsked(long frame) {
    static const char* const asked = std::getenv("PETALRAIN_TEST_STALL_FRAME");
    if (asked && std::atol(asked) == frame)
        for (;;)
            pause();
}
