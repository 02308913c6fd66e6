#include "world/Object.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "core/Event.h"
#include "core/EventStep.h"
#include "core/GameManager.h"
#include "core/LogManager.h"
#include "core/Manager.h"
#include "display/EventView.h"
#include "input/EventKeyboard.h"
#include "input/EventMouse.h"
#include "input/InputManager.h"
#include "network/EventNetwork.h"
#include "network/NetworkManager.h"
#include "path/EventPath.h"
#include "path/PathFind.h"
#include "path/PathManager.h"
#include "resources/ResourceManager.h"
#include "world/EventCollision.h"
#include "world/EventOut.h"
#include "world/ObjectArena.h"
#include "world/Record.h"
#include "world/SceneGraph.h"
#include "world/WorldManager.h"
#include "world/utility.h"

namespace nv {

namespace {

// The manager that raises events of this type and so keeps the interest in them.
Manager &ownerOf(const std::string &event_type) {
    if (event_type == KEYBOARD_EVENT || event_type == MOUSE_EVENT) {
        return InputManager::getInstance();
    }
    if (event_type == STEP_EVENT) {
        return GameManager::getInstance();
    }
    if (isNetworkEventType(event_type)) {
        return NetworkManager::getInstance();
    }
    return WorldManager::getInstance();
}

// A name in the engine's "nv-" space that the engine never raises is almost surely a typo, and its events
// would silently never arrive; the registration still stands, since any name is a valid type.
void warnIfMisspelt(const std::string &event_type) {
    static const std::string *const ENGINE_TYPES[] = {&STEP_EVENT, &KEYBOARD_EVENT, &MOUSE_EVENT, &COLLISION_EVENT,
                                                      &OUT_EVENT,  &PATH_EVENT,     &VIEW_EVENT,  &UNDEFINED_EVENT};
    if (event_type.compare(0, 3, "nv-") != 0 || isNetworkEventType(event_type)) {
        return;
    }
    for (const std::string *p_type : ENGINE_TYPES) {
        if (event_type == *p_type) {
            return;
        }
    }
    LogManager::getInstance().writeLog(
        "Object::registerInterest(): Warning! '%s' is not an engine event type; no engine manager raises it.",
        event_type.c_str());
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

namespace {

/// The counter's next id; once a record has raised the counter to the top of the range, where stepping it would
/// overflow, the lowest positive id that no object in the world holds.
int takeId(int &counter) {
    if (counter < INT_MAX) {
        return counter++;
    }
    const ObjectList all = WorldManager::getInstance().getAllObjects(true);
    std::vector<int> held;
    for (int i = 0; i < all.getCount(); i++) {
        held.push_back(all[i]->getId());
    }
    std::sort(held.begin(), held.end());
    int candidate = 1;
    for (const int held_id : held) {
        if (held_id == candidate) {
            candidate++;
        } else if (held_id > candidate) {
            break;
        }
    }
    return candidate;
}

} // namespace

Object::Object()
    : box(Vector(-0.5f, -0.5f), 0.99f, 0.99f), position(1.0f, 1.0f), direction(), speed(0.0f), acceleration(),
      solidness(HARD), modified(ALL_OBJECT_ATTRIBUTES), active(true), follow_path(false), in_world(false),
      no_soft(false), avoid_collisions(false), visible(true), id(takeId(next_id)), altitude(2), event_count(0),
      type("(Undefined)"), animation(), event_name(), shape(), path_search(), path() {
    shape.setType(UNDEFINED_SHAPE);
    if (WorldManager::getInstance().insertObject(this) == 0) {
        in_world = true;
    } else {
        LogManager::getInstance().writeLog("Object::Object(): Error! Unable to add %p to game world.",
                                           static_cast<void *>(this));
    }
}

void *Object::operator new(std::size_t size) {
    return ObjectArena::allocate(size);
}

void Object::operator delete(void *p_o, std::size_t size) {
    ObjectArena::release(p_o, size);
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
    if (p_e == nullptr || p_e->getType() != PATH_EVENT) {
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
    if (p_ss == nullptr) {
        return -1;
    }
    const LogManager &log = LogManager::getInstance();
    log.writeLog(20, "Object::serialize(): attr is %u, modified is %u (%s)", attr, modified,
                 modified != 0 ? "true" : "false");
    log.writeLog(25, "\t%s", bitsToString(attr).c_str());
    const unsigned int mask = attr != 0 ? attr : modified;
    Record::write(p_ss, mask);
    if (mask & ID) {
        Record::write(p_ss, id);
        modified &= ~static_cast<unsigned int>(ID);
        log.writeLog(25, "\tID: %d", id);
    }
    if (mask & ACTIVE) {
        Record::writeBool(p_ss, active);
        modified &= ~static_cast<unsigned int>(ACTIVE);
        log.writeLog(25, "\tACTIVE: %s", active ? "true" : "false");
    }
    if (mask & VISIBLE) {
        Record::writeBool(p_ss, visible);
        modified &= ~static_cast<unsigned int>(VISIBLE);
        log.writeLog(25, "\tVISIBLE: %s", visible ? "true" : "false");
    }
    if (mask & EVENTS) {
        Record::write(p_ss, event_count);
        log.writeLog(25, "\tEVENTS: %d", event_count);
        for (int i = 0; i < event_count; i++) {
            Record::writeText(p_ss, event_name[i]);
            log.writeLog(25, "\t\t%s (size %d)", event_name[i].c_str(), static_cast<int>(event_name[i].size()));
        }
        modified &= ~static_cast<unsigned int>(EVENTS);
    }
    if (mask & BOX) {
        box.serialize(p_ss);
        modified &= ~static_cast<unsigned int>(BOX);
        log.writeLog(25, "\tBOX: %s", box.toString().c_str());
    }
    if (mask & POSITION) {
        position.serialize(p_ss);
        modified &= ~static_cast<unsigned int>(POSITION);
        log.writeLog(25, "\tPOSITION: %s", position.toString().c_str());
    }
    if (mask & TYPE) {
        Record::writeText(p_ss, type);
        modified &= ~static_cast<unsigned int>(TYPE);
        log.writeLog(25, "\tTYPE: %s", type.c_str());
    }
    if (mask & ANIMATION) {
        animation.serialize(p_ss);
        modified &= ~static_cast<unsigned int>(ANIMATION);
        log.writeLog(25, "\tANIMATION: %s", animation.toString().c_str());
    }
    if (mask & ALTITUDE) {
        Record::write(p_ss, altitude);
        modified &= ~static_cast<unsigned int>(ALTITUDE);
        log.writeLog(25, "\tALTITUDE: %d", altitude);
    }
    if (mask & SOLIDNESS) {
        Record::write(p_ss, static_cast<int>(solidness));
        modified &= ~static_cast<unsigned int>(SOLIDNESS);
        log.writeLog(25, "\tSOLIDNESS: %s", solidnessToString(solidness).c_str());
    }
    if (mask & NO_SOFT) {
        Record::writeBool(p_ss, no_soft);
        modified &= ~static_cast<unsigned int>(NO_SOFT);
        log.writeLog(25, "\tNO_SOFT: %s", no_soft ? "true" : "false");
    }
    if (mask & DIRECTION) {
        direction.serialize(p_ss);
        modified &= ~static_cast<unsigned int>(DIRECTION);
        log.writeLog(25, "\tDIRECTION: %s", direction.toString().c_str());
    }
    if (mask & SPEED) {
        Record::write(p_ss, speed);
        modified &= ~static_cast<unsigned int>(SPEED);
        log.writeLog(25, "\tSPEED: %f", static_cast<double>(speed));
    }
    if (mask & ACCELERATION) {
        acceleration.serialize(p_ss);
        modified &= ~static_cast<unsigned int>(ACCELERATION);
        log.writeLog(25, "\tACCELERATION: %s", acceleration.toString().c_str());
    }
    if (mask & SHAPE) {
        shape.serialize(p_ss);
        modified &= ~static_cast<unsigned int>(SHAPE);
        log.writeLog(25, "\tSHAPE: %s", shape.toString().c_str());
    }
    if (mask & FOLLOW_PATH) {
        Record::writeBool(p_ss, follow_path);
        modified &= ~static_cast<unsigned int>(FOLLOW_PATH);
        log.writeLog(25, "\tFOLLOW_PATH: %s", follow_path ? "true" : "false");
    }
    if (mask & PATH) {
        path.serialize(p_ss);
        modified &= ~static_cast<unsigned int>(PATH);
        log.writeLog(25, "\tPATH: %s", path.toString().c_str());
    }
    if (mask & AVOID_COLLISIONS) {
        Record::writeBool(p_ss, avoid_collisions);
        modified &= ~static_cast<unsigned int>(AVOID_COLLISIONS);
        log.writeLog(25, "\tAVOID_COLLISIONS: %s", avoid_collisions ? "true" : "false");
    }
    return checkStream("Object::serialize()", p_ss);
}

int Object::deserialize(std::stringstream *p_ss, unsigned int *p_a) {
    if (p_ss == nullptr) {
        return -1;
    }
    const LogManager &log = LogManager::getInstance();
    unsigned int local_mask = 0;
    unsigned int &mask = p_a != nullptr ? *p_a : local_mask;
    mask = 0;
    Record::read(p_ss, mask);
    log.writeLog(20, "Object::deserialize(): attr %u (%s)", mask, bitsToString(mask).c_str());

    // Every value is applied only when it was read whole: a short or damaged stream changes nothing further.
    if (mask & ID) {
        int new_id = 0;
        if (Record::read(p_ss, new_id)) {
            if (new_id != id) {
                id = new_id;
                markModified(ID);
                // An id at the top of the range cannot be stepped past without overflowing the counter.
                if (new_id >= next_id && new_id < INT_MAX) {
                    next_id = new_id + 1;
                }
            }
            log.writeLog(25, "\tID: %d", id);
        }
    }
    bool flag = false;
    if ((mask & ACTIVE) && Record::readBool(p_ss, flag)) {
        setActive(flag);
        log.writeLog(25, "\tACTIVE: %s", active ? "true" : "false");
    }
    if ((mask & VISIBLE) && Record::readBool(p_ss, flag)) {
        setVisible(flag);
        log.writeLog(25, "\tVISIBLE: %s", visible ? "true" : "false");
    }
    if (mask & EVENTS) {
        for (int i = event_count - 1; i >= 0; i--) {
            unregisterInterest(event_name[i]);
        }
        int count = 0;
        if (Record::read(p_ss, count)) {
            log.writeLog(25, "\tEVENTS: %d", count);
        }
        for (int i = 0; i < count; i++) {
            std::uint64_t length = 0;
            if (!Record::read(p_ss, length)) {
                break;
            }
            log.writeLog(25, "\t\tsize %d", Record::lengthForLog(length));
            std::string event_type;
            if (!Record::readChars(p_ss, length, event_type)) {
                log.writeLog("Object::deserialize(): Error! Cannot allocate %d bytes.", Record::lengthForLog(length));
                Record::fail(p_ss);
                break;
            }
            if (registerInterest(event_type) != 0) {
                log.writeLog("Object::deserialize(): Error! Register interest: %s", event_type.c_str());
            }
        }
    }
    Box read_box;
    const bool has_box = (mask & BOX) && read_box.deserialize(p_ss) == 0;
    if (has_box) {
        setBox(read_box);
        log.writeLog(25, "\tBOX: %s", box.toString().c_str());
    }
    Vector vector_value;
    if ((mask & POSITION) && vector_value.deserialize(p_ss) == 0) {
        setPosition(vector_value);
        log.writeLog(25, "\tPOSITION: %s", position.toString().c_str());
    }
    if (mask & TYPE) {
        std::uint64_t length = 0;
        if (Record::read(p_ss, length)) {
            std::string new_type;
            if (!Record::readChars(p_ss, length, new_type)) {
                log.writeLog("Object::deserialize(): Error! Cannot allocate %d bytes.", Record::lengthForLog(length));
                Record::fail(p_ss);
                return -1;
            }
            setType(new_type);
            log.writeLog(25, "\tTYPE: %s", type.c_str());
        }
    }
    if (mask & ANIMATION) {
        Animation read_animation;
        if (read_animation.deserialize(p_ss) == 0) {
            setAnimation(read_animation, true);
            if (!read_animation.getName().empty() && setSprite(read_animation.getName()) == 0) {
                // Finding the sprite restarts playback; the record's frame and pace (a freeze included) resume.
                Animation restored = animation;
                restored.setIndex(read_animation.getIndex());
                restored.setSlowdownCount(read_animation.getSlowdownCount());
                setAnimation(restored, true);
            }
            // A box carried in the same record is the object's own and outranks the sprite's.
            if (has_box) {
                setBox(read_box);
            }
            log.writeLog(25, "\tANIMATION: %s", animation.toString().c_str());
        } else {
            // A name longer than the stream is refused without failing it; the rest of the record is lost too.
            Record::fail(p_ss);
        }
    }
    int number = 0;
    if ((mask & ALTITUDE) && Record::read(p_ss, number)) {
        setAltitude(number);
        log.writeLog(25, "\tALTITUDE: %d", altitude);
    }
    if ((mask & SOLIDNESS) && Record::read(p_ss, number)) {
        if (number >= HARD && number <= SPECTRAL) {
            setSolidness(static_cast<Solidness>(number));
        } else {
            // Converting an unknown number to the enumeration is undefined, so the setter's refusal is given here.
            log.writeLog("Object::setSolidness(): Solidness %d not one of HARD, SOFT or SPECTRAL.", number);
        }
        log.writeLog(25, "\tSOLIDNESS: %s", solidnessToString(solidness).c_str());
    }
    if ((mask & NO_SOFT) && Record::readBool(p_ss, flag)) {
        setNoSoft(flag);
        log.writeLog(25, "\tNO_SOFT: %s", no_soft ? "true" : "false");
    }
    if ((mask & DIRECTION) && vector_value.deserialize(p_ss) == 0) {
        setDirection(vector_value);
        log.writeLog(25, "\tDIRECTION: %s", direction.toString().c_str());
    }
    float real = 0.0f;
    if ((mask & SPEED) && Record::read(p_ss, real)) {
        setSpeed(real);
        log.writeLog(25, "\tSPEED: %f", static_cast<double>(speed));
    }
    if ((mask & ACCELERATION) && vector_value.deserialize(p_ss) == 0) {
        setAcceleration(vector_value);
        log.writeLog(25, "\tACCELERATION: %s", acceleration.toString().c_str());
    }
    if (mask & SHAPE) {
        // Starting from the current shape keeps it when the record names an unknown type or color.
        Shape read_shape = shape;
        if (read_shape.deserialize(p_ss) == 0) {
            setShape(read_shape);
            log.writeLog(25, "\tSHAPE: %s", shape.toString().c_str());
        }
    }
    if ((mask & FOLLOW_PATH) && Record::readBool(p_ss, flag)) {
        setFollowPath(flag);
        log.writeLog(25, "\tFOLLOW_PATH: %s", follow_path ? "true" : "false");
    }
    if (mask & PATH) {
        Path read_path;
        if (read_path.deserialize(p_ss) == 0) {
            setPath(read_path);
            log.writeLog(25, "\tPATH: %s", path.toString().c_str());
        }
    }
    if ((mask & AVOID_COLLISIONS) && Record::readBool(p_ss, flag)) {
        setAvoidCollisions(flag);
        log.writeLog(25, "\tAVOID_COLLISIONS: %s", avoid_collisions ? "true" : "false");
    }
    modified = 0;
    log.writeLog(20, "Object::deserialize(): done checking all types.");
    return checkStream("Object::deserialize()", p_ss);
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
    warnIfMisspelt(event_type);
    if (static_cast<int>(event_name.size()) <= event_count) {
        event_name.emplace_back();
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
