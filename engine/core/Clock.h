#pragma once

namespace nv {

/// Microsecond stopwatch over a monotonic clock, so wall-clock changes never disturb it.
class Clock {
public:
    /// Starts the stopwatch now.
    Clock();

    /// Returns microseconds since the previous delta() (or construction) and restarts from now; never negative.
    long long delta();
    /// Returns microseconds since the previous delta() (or construction) without restarting; never negative.
    long long split() const;

private:
    long long previous_time;
};

} // namespace nv
