#include "Lightning.h"
#include "core/Event.h"

#include <algorithm>
#include <cmath>

#include "LightningCloud.h"
#include "Raft.h"
#include "core/EventStep.h"
#include "core/GameManager.h"
#include "resources/ResourceManager.h"
#include "world/WorldManager.h"

namespace {
// Milliseconds of warning before the bolt strikes, and until it is gone.
const int STRIKE_AGE = 1500;
const int GONE_AGE = 2000;
// Horizontal cells within which the bolt hits the raft.
const float STRIKE_RANGE = 2.5f;
const float WARNING_ROW = 7;
const float BOLT_ROW = 13;
} // namespace

Lightning::Lightning(Raft *p_raft, float x) : raft(p_raft), cloud(nullptr), age(0), hit_done(false) {
    setType("LightningWarning");
    setSprite("danger-warning");
    setSolidness(nv::SPECTRAL);
    setAltitude(4);
    setPosition(nv::Vector(x, WARNING_ROW));
    registerInterest(nv::STEP_EVENT);
}

Lightning::~Lightning() {}

int Lightning::eventHandler(const nv::Event *p_e) {
    if (p_e->typeName() != nv::STEP_EVENT) {
        return 0;
    }
    age += std::max(nv::GameManager::getInstance().getFrameTime(), 1);
    if (age >= STRIKE_AGE && getType() == "LightningWarning") {
        setType("Lightning");
        setSprite("lightning");
        setPosition(nv::Vector(getPosition().getX(), BOLT_ROW));
        cloud = new LightningCloud(nv::Vector(getPosition().getX(), WARNING_ROW));
        nv::Sound *p_sound = nv::ResourceManager::getInstance().getSound("lightning");
        if (p_sound != nullptr) {
            p_sound->play(false);
        }
    }
    if (!hit_done && age >= STRIKE_AGE && age < GONE_AGE && raft != nullptr &&
        std::fabs(raft->getPosition().getX() - getPosition().getX()) <= STRIKE_RANGE) {
        hit_done = true;
        raft->hit(2);
    }
    if (age >= GONE_AGE) {
        if (cloud != nullptr) {
            nv::WorldManager::getInstance().markForDelete(cloud);
            cloud = nullptr;
        }
        nv::WorldManager::getInstance().markForDelete(this);
    }
    return 1;
}
