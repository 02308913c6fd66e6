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

bool Countdown::checkAbsence(long long waited_us) {
    if (waited_us < GUARD_ABSENCE) {
        return false;
    }
    new Guard();
    guard_clock.delta();
    return true;
}

int Countdown::eventHandler(const nv::Event *p_e) {
    const std::string &event_type = p_e->typeName();
    if (event_type == nv::STEP_EVENT) {
        checkAbsence(guard_clock.split());
        return 1;
    }
    if (event_type == GUARD_EVENT) {
        guard_clock.delta();
        return 1;
    }
    return 0;
}
