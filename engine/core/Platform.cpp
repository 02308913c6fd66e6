#include "core/Platform.h"

#include <cerrno>
#include <ctime>
#include <unistd.h>

namespace nv {

long long Platform::monotonicMicroseconds() {
    struct timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000LL + ts.tv_nsec / 1000;
}

void Platform::sleepMilliseconds(int msec) {
    if (msec <= 0) {
        return;
    }
    struct timespec remaining {};
    remaining.tv_sec = msec / 1000;
    remaining.tv_nsec = static_cast<long>(msec % 1000) * 1000000L;
    // A signal cuts nanosleep short; go on sleeping for what is left.
    while (nanosleep(&remaining, &remaining) == -1 && errno == EINTR) {
    }
}

int Platform::timeBeginPeriod(int msec) {
    // Linux timers are already fine-grained, so any resolution of 1 ms or coarser is granted.
    return msec >= 1 ? 0 : TIMERR_NOCANDO;
}

int Platform::timeEndPeriod(int msec) {
    return msec >= 1 ? 0 : TIMERR_NOCANDO;
}

bool Platform::currentDirectory(char *buf, int size) {
    if (buf == nullptr || size <= 0) {
        return false;
    }
    return getcwd(buf, static_cast<size_t>(size)) != nullptr;
}

} // namespace nv
