#include "world/EventCollision.h"

namespace nv {

EventCollision::EventCollision() : position(), object1(nullptr), object2(nullptr) {
    setType(COLLISION_EVENT);
}

EventCollision::EventCollision(Object *p_o1, Object *p_o2, Vector where)
    : position(where), object1(p_o1), object2(p_o2) {
    setType(COLLISION_EVENT);
}

} // namespace nv
