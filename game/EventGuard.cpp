#include "EventGuard.h"

EventGuard::EventGuard() {
    setType(GUARD_EVENT);
}
