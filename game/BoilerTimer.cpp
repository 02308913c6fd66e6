#include "BoilerTimer.h"

#include "Glyphcage.h"
#include "Prisoner.h"
#include "core/EventStep.h"
#include "core/GameManager.h"
#include "display/DisplayManager.h"
#include "world/ObjectListIterator.h"
#include "world/WorldManager.h"

#include <string>

BoilerTimer::BoilerTimer(Glyphcage *new_controller)
    : controller(new_controller), time_left(BOILER_TIME), pass_out_left(0), boiler_on(false) {
    setType("BoilerTimer");
    setSolidness(nv::SPECTRAL);
    setAltitude(4);
    registerInterest(nv::STEP_EVENT);
}

BoilerTimer::~BoilerTimer() {}

int BoilerTimer::eventHandler(const nv::Event *p_e) {
    if (p_e->typeName() == nv::STEP_EVENT) {
        tick();
        return 1;
    }
    return 0;
}

void BoilerTimer::tick() {
    if (controller == nullptr || controller->getState() != PLAYING) {
        return;
    }
    int d = nv::GameManager::getInstance().getFrameTime();
    if (d < 1) {
        d = 1;
    }
    if (!boiler_on) {
        time_left -= d;
        if (time_left > 0) {
            return;
        }
        time_left = 0;
        boiler_on = true;
        pass_out_left = PASS_OUT_TIME;
        nv::ObjectList prisoners = nv::WorldManager::getInstance().objectsOfType(PRISONER_TYPE);
        for (nv::ObjectListIterator it(&prisoners); !it.isDone(); it.next()) {
            it.currentObject()->setActive(false);
        }
        return;
    }
    pass_out_left -= d;
    if (pass_out_left <= 0 && controller->getState() == PLAYING) {
        controller->changeState(LOST, controller->getLevel());
    }
}

int BoilerTimer::draw() {
    return 0;
}
