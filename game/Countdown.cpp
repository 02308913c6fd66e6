#include "Countdown.h"

#include "EventGuard.h"
#include "Guard.h"
#include "core/EventStep.h"

namespace {
// Microseconds a guard stays away after the previous one left.
const long long GUARD_ABSENCE = 10000000;
} // namespace

Countdown::Countdown() {
    registerInterest(nv::STEP_EVENT);
    registerInterest(GUARD_EVENT);
}

Countdown::~Countdown() {}

int Countdown::eventHandler(const nv::Event *p_e) {
    const std::string &event_type = p_e->typeName();
    if (event_type == nv::STEP_EVENT) {
        if (guard_clock.split() >= GUARD_ABSENCE) {
            new Guard();
            guard_clock.delta();
        }
        return 1;
    }
    if (event_type == GUARD_EVENT) {
        guard_clock.delta();
        return 1;
    }
    return 0;
}
