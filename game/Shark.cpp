#include "Shark.h"
#include "core/Event.h"

#include <algorithm>
#include <cmath>

#include "Raft.h"
#include "core/EventStep.h"
#include "core/GameManager.h"
#include "display/DisplayManager.h"
#include "resources/ResourceManager.h"
#include "world/WorldManager.h"

namespace {
// Milliseconds of warning before the shark surfaces, and until it dives again.
const int SURFACE_AGE = 1500;
const int DIVE_AGE = 2000;
// Horizontal cells within which a surfaced shark bites the raft.
const float BITE_RANGE = 4.0f;
} // namespace

Shark::Shark(Raft *p_raft, float x) : raft(p_raft), age(0), hit_done(false) {
    setType("SharkWarning");
    setSprite("danger-warning");
    setSolidness(nv::SPECTRAL);
    setAltitude(4);
    setPosition(nv::Vector(x, static_cast<float>(nv::DisplayManager::getInstance().getVerticalChars()) - 6));
    registerInterest(nv::STEP_EVENT);
}

Shark::~Shark() {}

int Shark::eventHandler(const nv::Event *p_e) {
    if (p_e->typeName() != nv::STEP_EVENT) {
        return 0;
    }
    age += std::max(nv::GameManager::getInstance().getFrameTime(), 1);
    if (age >= SURFACE_AGE && getType() == "SharkWarning") {
        setType("Shark");
        setSprite("shark");
        setPosition(nv::Vector(getPosition().getX(),
                               static_cast<float>(nv::DisplayManager::getInstance().getVerticalChars()) - 5));
        nv::Sound *p_sound = nv::ResourceManager::getInstance().getSound("shark");
        if (p_sound != nullptr) {
            p_sound->play(false);
        }
    }
    if (!hit_done && age >= SURFACE_AGE && age < DIVE_AGE && raft != nullptr &&
        std::fabs(raft->getPosition().getX() - getPosition().getX()) <= BITE_RANGE) {
        hit_done = true;
        raft->hit(1);
    }
    if (age >= DIVE_AGE) {
        nv::WorldManager::getInstance().markForDelete(this);
    }
    return 1;
}
