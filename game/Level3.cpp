#include "Level3.h"
#include "core/Event.h"

#include <algorithm>
#include <cstdlib>

#include "Glyphcage.h"
#include "Lightning.h"
#include "Raft.h"
#include "Rain.h"
#include "Shark.h"
#include "core/EventStep.h"
#include "core/GameManager.h"
#include "display/DisplayManager.h"
#include "display/ViewObject.h"
#include "world/WorldManager.h"

namespace {
// Milliseconds of step time the prisoner must survive at sea.
const int SURVIVAL_TIME = 30000;
const int FIRST_HAZARD = 2000;
const int HAZARD_INTERVAL = 1500;
const int RAIN_DROPS = 30;
} // namespace

Level3::Level3(Glyphcage *new_controller)
    : controller(new_controller), raft(nullptr), elapsed(0), spawn_countdown(FIRST_HAZARD), done(false) {
    setType("Level3");
    setSolidness(nv::SPECTRAL);
    setAltitude(1);

    raft = new Raft(controller);

    nv::ViewObject *p_title = new nv::ViewObject();
    p_title->setViewString("LEVEL III - THE SEA");
    p_title->setLocation(nv::BOTTOM_CENTER);
    p_title->setColor(nv::YELLOW);
    p_title->setBorder(false);
    p_title->setDrawValue(false);

    registerInterest(nv::STEP_EVENT);

    nv::Box boundary = nv::WorldManager::getInstance().getBoundary();
    // Guarded so a world narrower than one cell cannot divide by zero.
    const int world_width = std::max(static_cast<int>(boundary.getHorizontal()), 1);
    const int rows = std::max(static_cast<int>(boundary.getVertical()) - 7, 1);
    for (int i = 0; i < RAIN_DROPS; i++) {
        Rain *p_drop = new Rain();
        float fall_speed = 1.0f / static_cast<float>(std::rand() % 10 + 1);
        p_drop->setVelocity(nv::Vector(0, fall_speed));
        float x = static_cast<float>(std::rand() % world_width);
        float y = static_cast<float>(std::rand() % rows + 7);
        p_drop->setPosition(nv::Vector(x, y));
    }
}

Level3::~Level3() {}

int Level3::eventHandler(const nv::Event *p_e) {
    if (p_e->typeName() != nv::STEP_EVENT) {
        return 0;
    }
    if (done || controller == nullptr || controller->getState() != PLAYING) {
        return 1;
    }
    const int d = std::max(nv::GameManager::getInstance().getFrameTime(), 1);
    elapsed += d;
    if (elapsed < SURVIVAL_TIME) {
        spawn_countdown -= d;
        if (spawn_countdown <= 0) {
            spawnHazard();
            spawn_countdown += HAZARD_INTERVAL;
        }
        return 1;
    }
    done = true;
    if (controller->getState() == PLAYING) {
        controller->advanceLevel();
    }
    return 1;
}

void Level3::spawnHazard() {
    const int width = nv::DisplayManager::getInstance().getHorizontalChars();
    float x;
    if (std::rand() % 2 == 1) {
        x = static_cast<float>(std::rand() % std::max(width - 6, 1) + 3);
    } else {
        x = raft->getPosition().getX();
    }
    if (std::rand() % 3 == 0) {
        new Lightning(raft, x);
    } else {
        new Shark(raft, x);
    }
}

int Level3::draw() {
    if (done || controller == nullptr || controller->getState() != PLAYING) {
        return 0;
    }
    nv::DisplayManager &display_manager = nv::DisplayManager::getInstance();
    const int width = display_manager.getHorizontalChars();
    const int height = display_manager.getVerticalChars();
    const int seconds = std::max((SURVIVAL_TIME + 999 - elapsed) / 1000, 0);
    int result = display_manager.drawString(nv::Vector(static_cast<float>(width - 3), 1),
                                            "SURVIVE SHARKS & STORMS: " + std::to_string(seconds) + "s",
                                            nv::JUSTIFY_RIGHT, nv::YELLOW);
    for (int x = 0; x < width; x++) {
        const float fx = static_cast<float>(x);
        result += display_manager.drawCharacter(nv::Vector(fx, static_cast<float>(height - 5)), '~', nv::CYAN);
        result += display_manager.drawCharacter(nv::Vector(fx, static_cast<float>(height - 3)), '~', nv::BLUE);
        result += display_manager.drawCharacter(nv::Vector(fx, static_cast<float>(height - 1)), '~', nv::BLUE);
    }
    return result;
}
