#include "Guard.h"
#include "core/Event.h"

#include "EventGuard.h"
#include "core/EventStep.h"
#include "world/WorldManager.h"

namespace {
// Microseconds a guard stays in the cell.
const long long GUARD_VISIT = 5000000;
} // namespace

Guard::Guard() {
    setType("Guard");
    setSprite("guard");
    setPosition(nv::Vector(50, 20));
    registerInterest(nv::STEP_EVENT);
}

Guard::~Guard() {}

int Guard::eventHandler(const nv::Event *p_e) {
    if (p_e->typeName() != nv::STEP_EVENT) {
        return 0;
    }
    checkVisit(clock.split());
    return 1;
}

bool Guard::checkVisit(long long stayed_us) {
    if (stayed_us < GUARD_VISIT) {
        return false;
    }
    EventGuard leaving;
    nv::WorldManager &world_manager = nv::WorldManager::getInstance();
    world_manager.onEvent(&leaving);
    world_manager.markForDelete(this);
    return true;
}
