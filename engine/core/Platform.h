#pragma once

#include <string>

namespace nv {

/// Answer of a timer-resolution request that cannot be granted.
const int TIMERR_NOCANDO = 97;

/// The few operating-system services the engine core needs, for Linux.
class Platform {
public:
    Platform() = delete;

    /// Returns microseconds on a clock that never goes backwards and ignores wall-clock changes.
    static long long monotonicMicroseconds();
    /// Sleeps the given whole milliseconds, resuming after signals; returns at once for 0 or less.
    static void sleepMilliseconds(int msec);
    /// Requests a timer resolution in milliseconds; 0 when granted, TIMERR_NOCANDO otherwise.
    static int timeBeginPeriod(int msec);
    /// Releases a timer resolution requested before; 0 when accepted, TIMERR_NOCANDO otherwise.
    static int timeEndPeriod(int msec);
    /// Copies the working directory into buf; false if it does not fit or cannot be read.
    static bool currentDirectory(char *buf, int size);
};

} // namespace nv
