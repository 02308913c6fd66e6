#include "Exit.h"

#include "EventNextSection.h"
#include "Prisoner.h"
#include "world/EventCollision.h"
#include "world/WorldManager.h"

Exit::Exit(int new_x, int new_y) : x(new_x), y(new_y) {
    setType("Exit");
    setPosition(nv::Vector(static_cast<float>(x), static_cast<float>(y)));
    setSolidness(nv::SOFT);
}

Exit::~Exit() {}

int Exit::eventHandler(const nv::Event *p_e) {
    if (p_e->typeName() != nv::COLLISION_EVENT) {
        return 0;
    }
    const nv::EventCollision *p_collision = dynamic_cast<const nv::EventCollision *>(p_e);
    if (p_collision == nullptr) {
        return 1;
    }
    const nv::Object *p_o1 = p_collision->getObject1();
    const nv::Object *p_o2 = p_collision->getObject2();
    if ((p_o1 != nullptr && p_o1->getType() == PRISONER_TYPE) ||
        (p_o2 != nullptr && p_o2->getType() == PRISONER_TYPE)) {
        EventNextSection next_section;
        nv::WorldManager::getInstance().onEvent(&next_section);
    }
    return 1;
}
