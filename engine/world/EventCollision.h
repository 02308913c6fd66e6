#pragma once

#include "core/Event.h"
#include "world/Vector.h"

namespace nv {

/// Type name of the event both objects of a collision get.
const std::string COLLISION_EVENT = "nv-collision";

class Object;

/// Raised when a moving object would overlap a solid one; both objects get it, before the move.
class EventCollision : public Event {
public:
    /// A collision event with no objects, at (0, 0).
    EventCollision();
    /// p_o1 (the mover) would overlap p_o2 when moving to where.
    EventCollision(Object *p_o1, Object *p_o2, Vector where);

    /// The object that moves.
    Object *getObject1() const { return object1; }
    /// Sets the object that moves.
    void setObject1(Object *p_new_o1) { object1 = p_new_o1; }
    /// The object it would overlap.
    Object *getObject2() const { return object2; }
    /// Sets the object it would overlap.
    void setObject2(Object *p_new_o2) { object2 = p_new_o2; }
    /// Where the mover was going.
    Vector getPosition() const { return position; }
    /// Sets where the mover was going.
    void setPosition(Vector new_position) { position = new_position; }

private:
    Vector position;
    Object *object1;
    Object *object2;
};

} // namespace nv
