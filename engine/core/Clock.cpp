#include "core/Clock.h"

#include "core/Platform.h"

namespace nv {

Clock::Clock() : previous_time(Platform::monotonicMicroseconds()) {}

long long Clock::delta() {
    const long long now = Platform::monotonicMicroseconds();
    const long long elapsed = now - previous_time;
    previous_time = now;
    return elapsed > 0 ? elapsed : 0;
}

long long Clock::split() const {
    const long long elapsed = Platform::monotonicMicroseconds() - previous_time;
    return elapsed > 0 ? elapsed : 0;
}

} // namespace nv
