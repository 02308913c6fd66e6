#include "Rain.h"
#include "core/Event.h"

#include <algorithm>
#include <cstdlib>

#include "display/DisplayManager.h"
#include "world/EventOut.h"
#include "world/WorldManager.h"

Rain::Rain() {
    setType("Rain");
    setSolidness(nv::SPECTRAL);
    setAltitude(0);
}

int Rain::eventHandler(const nv::Event *p_e) {
    if (p_e->typeName() != nv::OUT_EVENT) {
        return 0;
    }
    // Guarded so a world narrower than one cell cannot divide by zero.
    const int width = std::max(static_cast<int>(nv::WorldManager::getInstance().getBoundary().getHorizontal()), 1);
    const float x = static_cast<float>(std::rand() % width);
    const float fall_speed = 1.0f / static_cast<float>(std::rand() % 10 + 1);
    setPosition(nv::Vector(x, 7));
    setVelocity(nv::Vector(0, fall_speed));
    return 1;
}

int Rain::draw() {
    return nv::DisplayManager::getInstance().drawCharacter(getPosition(), '.', nv::BLUE);
}
