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

std::string BoilerTimer::countdownText(int time_left_ms) {
    // A started second counts as a whole one, so 0 shows only once the time is up.
    return "BOILER TURNING ON: " + std::to_string((time_left_ms + 999) / 1000) + "s";
}

nv::Color BoilerTimer::countdownColor(int time_left_ms) {
    return time_left_ms + 999 < 16000 ? nv::RED : nv::YELLOW;
}

int BoilerTimer::draw() {
    if (controller == nullptr || controller->getState() != PLAYING) {
        return 0;
    }
    nv::DisplayManager &display_manager = nv::DisplayManager::getInstance();
    const float x = static_cast<float>(display_manager.getHorizontalChars() - 3);
    display_manager.drawString(nv::Vector(x, 1), countdownText(time_left), nv::JUSTIFY_RIGHT,
                               countdownColor(time_left));
    return 0;
}
