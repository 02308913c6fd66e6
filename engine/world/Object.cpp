#include "world/Object.h"

#include "core/Event.h"
#include "core/GameManager.h"
#include "core/LogManager.h"
#include "core/Manager.h"
#include "input/InputManager.h"
#include "network/NetworkManager.h"
#include "path/EventPath.h"
#include "path/PathFind.h"
#include "path/PathManager.h"
#include "resources/ResourceManager.h"
#include "world/SceneGraph.h"
#include "world/WorldManager.h"
#include "world/utility.h"

namespace nv {

namespace {

const char *const NETWORK_EVENT_TYPES[] = {
    "nv-network",         "nv-keyboard-network",  "nv-mouse-network",  "nv-network-accept",
    "nv-network-connect", "nv-network-close",     "nv-network-create", "nv-custom-network",
    "nv-network-delete",  "nv-network-game-over", "nv-network-sync",
};

// The manager that raises events of this type and so keeps the interest in them.
Manager &ownerOf(const std::string &event_type) {
    if (event_type == "nv-keyboard" || event_type == "nv-mouse") {
        return InputManager::getInstance();
    }
    if (event_type == "nv-step") {
        return GameManager::getInstance();
    }
    for (const char *network_type : NETWORK_EVENT_TYPES) {
        if (event_type == network_type) {
            return NetworkManager::getInstance();
        }
    }
    return WorldManager::getInstance();
}

Vector towards(Vector from, Vector to) {
    Vector heading = to - from;
    heading.normalize();
    return heading;
}

} // namespace

std::string solidnessToString(Solidness solidness) {
    switch (solidness) {
    case HARD:
        return "hard";
    case SOFT:
        return "soft";
    case SPECTRAL:
        return "spectral";
    }
    return "undefined";
}

int Object::next_id = 1;

Object::Object()
    : id(next_id++), type("(Undefined)"), active(true), visible(true), box(Vector(-0.5f, -0.5f), 0.99f, 0.99f),
      position(1.0f, 1.0f), direction(), speed(0.0f), acceleration(), altitude(2), solidness(HARD), animation(),
      no_soft(false), event_count(0), modified(ALL_OBJECT_ATTRIBUTES), shape(), path_search(), path(),
      follow_path(false), avoid_collisions(false), in_world(false) {
    shape.setType(UNDEFINED_SHAPE);
    if (WorldManager::getInstance().insertObject(this) == 0) {
        in_world = true;
    } else {
        LogManager::getInstance().writeLog("Object::Object(): Error! Unable to add %p to game world.",
                                           static_cast<void *>(this));
    }
}

Object::~Object() {
    for (int i = event_count - 1; i >= 0; i--) {
        unregisterInterest(event_name[i]);
    }
    withdrawPathSearch();
    if (in_world && WorldManager::getInstance().removeObject(this) != 0) {
        LogManager::getInstance().writeLog("Object::~Object(): Error! Unable to remove %p from game world.",
                                           static_cast<void *>(this));
    }
}

SceneGraph *Object::indexes() const {
    // An object that never entered the world must not be entered into its lists by a setter either.
    return in_world ? &WorldManager::getInstance().getSceneGraph() : nullptr;
}

void Object::setType(std::string new_type) {
    if (SceneGraph *p_sg = indexes()) {
        p_sg->updateType(this, new_type);
    }
    type = new_type;
    markModified(TYPE);
}

int Object::setPosition(Vector new_position) {
    if (new_position == position) {
        return 0;
    }
    if (SceneGraph *p_sg = indexes()) {
        p_sg->updatePosition(this, new_position);
    }
    position = new_position;
    markModified(POSITION);
    return 0;
}

int Object::eventHandler(const Event *p_e) {
    if (p_e == nullptr || p_e->getType() != "nv-path") {
        return 0;
    }
    const auto *p_path_event = dynamic_cast<const EventPath *>(p_e);
    if (p_path_event == nullptr) {
        LogManager::getInstance().writeLog("Object::eventHandler(): Error! Dynamic cast to EventPath failed.");
        return 0;
    }
    if (p_path_event->getResult() == PATH_FOUND) {
        setPath(p_path_event->getPath());
        setFollowPath(true);
    }
    withdrawPathSearch();
    return 1;
}

int Object::setSolidness(Solidness new_solid) {
    if (new_solid == solidness) {
        return 0;
    }
    if (new_solid != HARD && new_solid != SOFT && new_solid != SPECTRAL) {
        LogManager::getInstance().writeLog("Object::setSolidness(): Solidness %d not one of HARD, SOFT or SPECTRAL.",
                                           static_cast<int>(new_solid));
        return -1;
    }
    if (SceneGraph *p_sg = indexes()) {
        if (p_sg->updateSolidness(this, new_solid) != 0) {
            return -1;
        }
    }
    solidness = new_solid;
    markModified(SOLIDNESS);
    return 0;
}

void Object::setAvoidCollisions(bool new_avoid_collisions) {
    avoid_collisions = new_avoid_collisions;
    markModified(AVOID_COLLISIONS);
}

int Object::setAltitude(int new_altitude) {
    if (new_altitude == altitude) {
        return 0;
    }
    if (new_altitude < 0 || new_altitude > MAX_ALTITUDE) {
        LogManager::getInstance().writeLog("Object::setAltitude(): Altitude %d not in range [%d,%d].  Ignored.",
                                           new_altitude, 0, MAX_ALTITUDE);
        return -1;
    }
    if (SceneGraph *p_sg = indexes()) {
        if (p_sg->updateAltitude(this, new_altitude) != 0) {
            return -1;
        }
    }
    altitude = new_altitude;
    markModified(ALTITUDE);
    return 0;
}

void Object::setDirection(Vector new_direction) {
    new_direction.normalize();
    direction = new_direction;
    markModified(DIRECTION);
}

void Object::setVelocity(Vector new_velocity) {
    speed = new_velocity.getMagnitude();
    new_velocity.normalize();
    direction = new_velocity;
    markModified(SPEED | DIRECTION);
}

void Object::setAcceleration(Vector new_acceleration) {
    acceleration = new_acceleration;
    markModified(ACCELERATION);
}

bool Object::isVisible() const {
    return visible;
}

int Object::setActive(bool active_flag) {
    if (active_flag == active) {
        return 0;
    }
    if (SceneGraph *p_sg = indexes()) {
        if (p_sg->updateActive(this, active_flag) != 0) {
            return -1;
        }
    }
    active = active_flag;
    markModified(ACTIVE);
    return 0;
}

int Object::setBox(Box new_box) {
    if (new_box == box) {
        return 0;
    }
    SceneGraph *p_sg = indexes();
    if (p_sg != nullptr) {
        p_sg->removeObject(this);
    }
    box = new_box;
    markModified(BOX);
    return p_sg != nullptr ? p_sg->insertObject(this) : 0;
}

int Object::setSprite(std::string sprite_label) {
    Sprite *p_sprite = ResourceManager::getInstance().getSprite(sprite_label);
    if (p_sprite == nullptr) {
        LogManager::getInstance().writeLog("Object::setSprite(): Warning! Sprite '%s' not found", sprite_label.c_str());
        return -1;
    }
    animation.setSprite(p_sprite);
    markModified(ANIMATION);
    setBox(animation.getBox());
    return 0;
}

void Object::setAnimation(Animation new_animation, bool set_box) {
    animation = new_animation;
    markModified(ANIMATION);
    if (set_box) {
        setBox(animation.getBox());
    }
}

int Object::draw() {
    const int result = animation.draw(position);
    if (shape.getType() != UNDEFINED_SHAPE) {
        shape.draw(position);
    }
    return result;
}

int Object::serialize(std::stringstream *p_ss, unsigned int attr) {
    // The object record is written by the serialization work still to come.
    (void)p_ss;
    (void)attr;
    return 0;
}

int Object::deserialize(std::stringstream *p_ss, unsigned int *p_a) {
    // The object record is read by the serialization work still to come.
    (void)p_ss;
    (void)p_a;
    return 0;
}

void Object::setModified(unsigned int new_modified) {
    modified = new_modified;
}

unsigned int Object::getModified() const {
    return modified;
}

void Object::setShape(Shape new_shape) {
    shape = new_shape;
    markModified(SHAPE);
}

void Object::setFollowPath(bool new_follow_path) {
    follow_path = new_follow_path;
    if (!path.isDone()) {
        setDirection(towards(position, path.currentNode()));
    }
    markModified(FOLLOW_PATH);
}

void Object::setSpeed(float new_speed) {
    speed = new_speed;
    markModified(SPEED);
}

void Object::setNoSoft(bool new_no_soft) {
    no_soft = new_no_soft;
    markModified(NO_SOFT);
}

Vector Object::getVelocity() const {
    Vector velocity = direction;
    velocity.scale(speed);
    return velocity;
}

Vector Object::predictPosition() const {
    return position + getVelocity();
}

bool Object::isSolid() const {
    return solidness == HARD || solidness == SOFT;
}

int Object::setVisible(bool new_visible) {
    if (new_visible == isVisible()) {
        return 0;
    }
    if (SceneGraph *p_sg = indexes()) {
        if (p_sg->updateVisible(this, new_visible) != 0) {
            return -1;
        }
    }
    visible = new_visible;
    markModified(VISIBLE);
    return 0;
}

void Object::setPath(Path new_path) {
    path = new_path;
    markModified(PATH);
}

void Object::setPathSearch(std::unique_ptr<PathFind> p_search) {
    if (p_search.get() != path_search.get()) {
        withdrawPathSearch();
    }
    path_search = std::move(p_search);
}

void Object::withdrawPathSearch() {
    if (path_search != nullptr) {
        PathManager::getInstance().removePath(path_search.get());
        path_search.reset();
    }
}

void Object::applyAcceleration() {
    if (acceleration != Vector()) {
        setVelocity(getVelocity() + acceleration);
    }
}

void Object::followPathStep() {
    if (!follow_path) {
        return;
    }
    while (!path.isDone()) {
        const Vector node = path.currentNode();
        if (distanceBetween(position, node) > speed * 3.0f * 0.25f) {
            setDirection(towards(position, node));
            return;
        }
        setPosition(node);
        path.advance();
        markModified(PATH);
    }
    setDirection(Vector());
    setFollowPath(false);
}

int Object::registerInterest(std::string event_type) {
    for (int i = 0; i < event_count; i++) {
        // Recording a type twice would let one withdrawal leave a stale record behind.
        if (event_name[i] == event_type) {
            return 0;
        }
    }
    if (event_count >= MAX_OBJ_EVENTS) {
        LogManager::getInstance().writeLog(
            "Object::registerInterest(): maximum (%d) reached, cannot register for event '%s'", MAX_OBJ_EVENTS,
            event_type.c_str());
        return -1;
    }
    if (ownerOf(event_type).registerInterest(this, event_type) != 0) {
        return -1;
    }
    event_name[event_count] = event_type;
    event_count++;
    markModified(EVENTS);
    return 0;
}

int Object::unregisterInterest(std::string event_type) {
    int found = -1;
    for (int i = 0; i < event_count && found < 0; i++) {
        if (event_name[i] == event_type) {
            found = i;
        }
    }
    if (found < 0) {
        LogManager::getInstance().writeLog("Object::unregisterInterest(): event '%s' not previously registered",
                                           event_type.c_str());
        return -1;
    }
    if (ownerOf(event_type).unregisterInterest(this, event_type) != 0) {
        return -1;
    }
    for (int i = found; i < event_count - 1; i++) {
        event_name[i] = event_name[i + 1];
    }
    event_count--;
    event_name[event_count].clear();
    markModified(EVENTS);
    return 0;
}

} // namespace nv
