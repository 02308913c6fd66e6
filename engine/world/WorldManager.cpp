#include "world/WorldManager.h"

#include <cmath>

#include "core/EventStep.h"
#include "core/LogManager.h"
#include "display/ViewObject.h"
#include "input/EventKeyboard.h"
#include "input/EventMouse.h"
#include "world/EventCollision.h"
#include "world/EventOut.h"
#include "world/Object.h"
#include "world/ObjectListIterator.h"
#include "world/utility.h"

namespace nv {

namespace {

// How many movers ahead of the current one update() fetches objects, the cells they will look at, and the objects
// they will collide with; each stage needs what the one before it fetched.
const std::size_t PREFETCH_OBJECT = 8;
const std::size_t PREFETCH_CELL = 4;
const std::size_t PREFETCH_COLLISIONS = 2;
// Smaller worlds stay in the cache, where fetching ahead only costs time.
const std::size_t PREFETCH_ABOVE = 4096;

// The fields a move uses are the object's first 64 bytes: one line, or two when the object is not line-aligned.
void prefetchObject(const Object *p_o) {
    __builtin_prefetch(p_o);
    __builtin_prefetch(reinterpret_cast<const char *>(p_o) + 63);
}

// Where p_o is heading this step, worked out from its fields alone since it is only used to fetch ahead.
Vector headingOf(const Object *p_o) {
    const Vector at = p_o->getPosition();
    const Vector d = p_o->getDirection();
    const float speed = p_o->getSpeed();
    return Vector(at.getX() + d.getX() * speed, at.getY() + d.getY() * speed);
}

} // namespace

WorldManager::WorldManager()
    : scene_graph(), deletions(), view_following(nullptr), boundary(), view(), view_slack(), move_scratch(),
      move_depth(0), step_movers() {
    setType("WorldManager");
}

WorldManager &WorldManager::getInstance() {
    static WorldManager instance;
    return instance;
}

bool WorldManager::isValid(std::string event_type) const {
    if (event_type == KEYBOARD_EVENT || event_type == MOUSE_EVENT || event_type == STEP_EVENT) {
        LogManager::getInstance().writeLog("WorldManager::isValid(): WorldManager does not handle %s",
                                           event_type.c_str());
        return false;
    }
    if (event_type == OUT_EVENT || event_type == COLLISION_EVENT) {
        LogManager::getInstance().writeLog("WorldManager::isValid(): Event %s handled automatically.",
                                           event_type.c_str());
        return false;
    }
    return true;
}

int WorldManager::startUp() {
    if (isStarted()) {
        LogManager::getInstance().writeLog("%s::startup(): Warning! %s already started.", getType().c_str(),
                                           getType().c_str());
        return -1;
    }
    deletions.clear();
    boundary = Box();
    view = Box();
    view_slack = Vector();
    view_following = nullptr;
    // A boundary set while stopped may have left a grid allocated; start from a clean one.
    scene_graph.shutDown();
    if (scene_graph.startUp() != 0) {
        LogManager::getInstance().writeLog("WorldManager::startUp(): Error! Unable to startup Scenegraph");
        return -1;
    }
    Manager::startUp();
    LogManager::getInstance().writeLog("WorldManager::startUp(): successfully started.");
    return 0;
}

void WorldManager::shutDown() {
    Manager::shutDown();
    const ObjectList all = scene_graph.activeObjects() + scene_graph.inactiveObjects();
    ObjectListIterator it(&all);
    for (it.first(); !it.isDone(); it.next()) {
        delete it.currentObject();
    }
    deletions.clear();
    view_following = nullptr;
    scene_graph.shutDown();
    LogManager::getInstance().writeLog("WorldManager::shutDown(): Successfully stopped.");
}

int WorldManager::insertObject(Object *p_o) {
    if (p_o == nullptr) {
        return -1;
    }
    if (!isStarted()) {
        LogManager::getInstance().writeLog("WorldManager::insertObject(): Warning! Not adding Object %d", p_o->getId());
        LogManager::getInstance().writeLog("                              because WorldManager not started.");
        return -1;
    }
    return scene_graph.insertObject(p_o);
}

int WorldManager::removeObject(Object *p_o) {
    if (p_o == nullptr) {
        return -1;
    }
    // A destroyed object must not stay followed or scheduled, or its address would be used after free.
    if (p_o == view_following) {
        view_following = nullptr;
    }
    deletions.remove(p_o);
    return scene_graph.removeObject(p_o);
}

int WorldManager::markForDelete(Object *p_o) {
    if (deletions.contains(p_o)) {
        return 0;
    }
    if (deletions.insert(p_o) != 0) {
        LogManager::getInstance().writeLog(
            "WorldManager::markForDelete(): Error! unable to add Object %p to deletions list",
            static_cast<void *>(p_o));
        return -1;
    }
    return 0;
}

ObjectList WorldManager::getAllObjects(bool inactive) const {
    if (inactive) {
        return scene_graph.activeObjects() + scene_graph.inactiveObjects();
    }
    return scene_graph.activeObjects();
}

ObjectList WorldManager::objectsOfType(std::string type_name) const {
    return scene_graph.objectsOfType(type_name);
}

ObjectList WorldManager::getCollisions(const Object *p_o, Vector where) const {
    return scene_graph.getCollisions(p_o, where);
}

WorldManager::MoveScratch &WorldManager::scratchAt(int depth) {
    while (static_cast<int>(move_scratch.size()) <= depth) {
        move_scratch.push_back(std::make_unique<MoveScratch>());
    }
    return *move_scratch[static_cast<size_t>(depth)];
}

int WorldManager::moveObject(Object *p_o, Vector where) {
    if (p_o == nullptr) {
        return -1;
    }
    if (p_o->getSolidness() != SPECTRAL) {
        MoveScratch &scratch = scratchAt(move_depth);
        ObjectList &collisions = scratch.collisions;
        collisions.clear();
        scene_graph.collectCollisions(p_o, where, collisions);

        if (!collisions.isEmpty() && p_o->getSolidness() == HARD && p_o->getAvoidCollisions()) {
            const Object *p_obstacle = nullptr;
            for (int i = 0; i < collisions.getCount() && p_obstacle == nullptr; i++) {
                if (collisions[i]->getSolidness() == HARD) {
                    p_obstacle = collisions[i];
                }
            }
            if (p_obstacle != nullptr) {
                const Vector normal = getNormal(p_o, p_obstacle);
                const Vector d = p_o->getDirection();
                const float nx = std::fabs(normal.getX());
                const float ny = std::fabs(normal.getY());
                Vector slide(d.getX() * ny, d.getY() * nx);
                if (nx == 1.0f && ny == 1.0f) {
                    slide.setX(-slide.getX());
                }
                slide.normalize();
                slide.scale(p_o->getSpeed());
                where = p_o->getPosition() + slide;
                collisions.clear();
                scene_graph.collectCollisions(p_o, where, collisions);
                for (int i = 0; i < collisions.getCount(); i++) {
                    if (collisions[i]->getSolidness() == HARD) {
                        LogManager::getInstance().writeLog(
                            5, "WorldManager::moveObject(): Double collision. Object (avoid obstacles) cannot move.");
                        return -1;
                    }
                }
            }
        }

        if (!collisions.isEmpty()) {
            bool do_move = true;
            // Handlers may move objects themselves; deeper moves use their own scratch lists.
            move_depth++;
            for (int i = 0; i < collisions.getCount(); i++) {
                Object *p_other = collisions[i];
                EventCollision collision(p_o, p_other, where);
                p_o->eventHandler(&collision);
                p_other->eventHandler(&collision);
                if (p_o->getSolidness() == HARD && p_other->getSolidness() == HARD) {
                    do_move = false;
                }
                if (p_o->getNoSoft() && p_other->getSolidness() == SOFT) {
                    do_move = false;
                }
            }
            move_depth--;
            if (!do_move) {
                return -1;
            }
        }
    }

    const Box old_box = worldBox(p_o);
    p_o->setPosition(where);
    const Box new_box = worldBox(p_o);
    if (boxesOverlap(old_box, boundary) && !boxesOverlap(new_box, boundary)) {
        EventOut out;
        p_o->eventHandler(&out);
    }
    if (p_o == view_following) {
        followView(p_o);
    }
    return 0;
}

void WorldManager::followView(const Object *p_o) {
    const float width = view.getHorizontal();
    const float height = view.getVertical();
    float cx = view.getCorner().getX() + width / 2.0f;
    float cy = view.getCorner().getY() + height / 2.0f;
    const float left = cx - width * view_slack.getX() / 2.0f;
    const float right = cx + width * view_slack.getX() / 2.0f;
    const float top = cy - height * view_slack.getY() / 2.0f;
    const float bottom = cy + height * view_slack.getY() / 2.0f;
    const Vector pos = p_o->getPosition();
    if (pos.getX() < left) {
        cx -= left - pos.getX();
    } else if (pos.getX() > right) {
        cx += pos.getX() - right;
    }
    if (pos.getY() < top) {
        cy -= top - pos.getY();
    } else if (pos.getY() > bottom) {
        cy += pos.getY() - bottom;
    }
    setViewPosition(Vector(cx, cy));
}

void WorldManager::update() {
    // A handler that updates the world again finds the kept list taken and uses a new one.
    std::vector<Object *> movers;
    movers.swap(step_movers);
    scene_graph.copyActiveObjects(movers);
    const Grid &grid = scene_graph.getGrid();
    const std::size_t count = movers.size();
    const bool ahead = count > PREFETCH_ABOVE;
    for (std::size_t i = 0; i < count; i++) {
        // In a large world every object and cell is a cache miss: fetch those of the next movers ahead of time.
        if (ahead) {
            if (i + PREFETCH_OBJECT < count) {
                prefetchObject(movers[i + PREFETCH_OBJECT]);
            }
            if (i + PREFETCH_CELL < count) {
                const Object *p_next = movers[i + PREFETCH_CELL];
                grid.prefetch(p_next, headingOf(p_next));
            }
            if (i + PREFETCH_COLLISIONS < count) {
                const Object *p_next = movers[i + PREFETCH_COLLISIONS];
                grid.prefetchCollisions(p_next, headingOf(p_next));
            }
        }
        Object *p_o = movers[i];
        const Vector where = p_o->predictPosition();
        if (where != p_o->getPosition()) {
            moveObject(p_o, where);
        }
        p_o->followPathStep();
        p_o->applyAcceleration();
    }
    step_movers.swap(movers);
    // Taken off the list before deletion, so objects marked by destructors are still deleted exactly once.
    while (!deletions.isEmpty()) {
        Object *p_o = deletions[0];
        deletions.remove(p_o);
        delete p_o;
    }
    deletions.clear();
}

void WorldManager::draw() {
    for (int altitude = 0; altitude <= MAX_ALTITUDE; altitude++) {
        const ObjectList layer = scene_graph.visibleObjects(altitude);
        ObjectListIterator it(&layer);
        for (it.first(); !it.isDone(); it.next()) {
            Object *p_o = it.currentObject();
            // Screen-fixed objects move with the view, so they are drawn wherever their box lies.
            if (dynamic_cast<ViewObject *>(p_o) != nullptr || boxesOverlap(worldBox(p_o), view)) {
                p_o->draw();
            }
        }
    }
}

int WorldManager::setBoundary(Box new_boundary) {
    if (new_boundary == boundary) {
        return 0;
    }
    boundary = new_boundary;
    scene_graph.shutDown();
    return scene_graph.startUp();
}

void WorldManager::setViewPosition(Vector where) {
    const float width = view.getHorizontal();
    const float height = view.getVertical();
    float x = where.getX() - width / 2.0f;
    float y = where.getY() - height / 2.0f;
    if (x + width > boundary.getHorizontal()) {
        x = boundary.getHorizontal() - width;
    }
    if (y + height > boundary.getVertical()) {
        y = boundary.getVertical() - height;
    }
    if (x < 0.0f) {
        x = 0.0f;
    }
    if (y < 0.0f) {
        y = 0.0f;
    }
    view.setCorner(Vector(x, y));
}

int WorldManager::setViewFollowing(Object *p_new_view_following) {
    if (p_new_view_following == nullptr) {
        view_following = nullptr;
        return 0;
    }
    if (!scene_graph.activeObjects().contains(p_new_view_following) &&
        !scene_graph.inactiveObjects().contains(p_new_view_following)) {
        return -1;
    }
    view_following = p_new_view_following;
    setViewPosition(view_following->getPosition());
    return 0;
}

void WorldManager::setViewSlack(Vector new_view_slack) {
    if (!inRange(new_view_slack.getX(), 0.0f, 1.0f) || !inRange(new_view_slack.getY(), 0.0f, 1.0f)) {
        LogManager::getInstance().writeLog(
            "WorldManager::setViewSlack(): Warning! view slack units out of range [0-1]");
    }
    view_slack = new_view_slack;
}

} // namespace nv
