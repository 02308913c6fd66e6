#include "world/SceneGraph.h"

#include "core/GameManager.h"
#include "core/LogManager.h"

namespace nv {

namespace {

bool validAltitude(int altitude) {
    return altitude >= 0 && altitude <= MAX_ALTITUDE;
}

// Removal complaints are expected while the game winds down, so they are only written before game over.
bool quiet() {
    return GameManager::getInstance().getGameOver();
}

} // namespace

SceneGraph::SceneGraph() = default;

int SceneGraph::startUp() {
    type_map.clear();
    LogManager::getInstance().writeLog("Scenegraph configuration: GRID");
    const int result = grid.startUp();
    // Objects that survived a restart belong in the rebuilt indexes too, or they would stop colliding.
    for (int i = 0; i < objects.getCount(); i++) {
        Object *p_o = objects[i];
        type_map[p_o->getType()].insert(p_o);
        if (result == 0 && p_o->isSolid()) {
            grid.insertObject(p_o);
        }
    }
    return result;
}

void SceneGraph::shutDown() {
    type_map.clear();
    grid.shutDown();
}

int SceneGraph::insertObject(Object *p_o) {
    if (p_o == nullptr) {
        return -1;
    }
    LogManager &log = LogManager::getInstance();
    if (!p_o->isActive()) {
        return inactive_objects.insert(p_o);
    }
    if (objects.insert(p_o) != 0) {
        log.writeLog("SceneGraph::insertObject(): Error! unable to insert active Object (id %d)", p_o->getId());
        return -1;
    }
    if (type_map[p_o->getType()].insert(p_o) != 0) {
        log.writeLog("SceneGraph::insertObject(): Error! unable to insert Object (id %d) into type map", p_o->getId());
        return -1;
    }
    if (p_o->isSolid()) {
        if (solid_objects.insert(p_o) != 0) {
            log.writeLog("SceneGraph::insertObject(): Error! unable to insert solid Object (id %d)", p_o->getId());
            return -1;
        }
        if (grid.insertObject(p_o) != 0) {
            log.writeLog("SceneGraph::insertObject(): Error! unable to add to Grid (id %d)", p_o->getId());
            return -1;
        }
    }
    if (!p_o->isVisible()) {
        return 0;
    }
    if (!validAltitude(p_o->getAltitude())) {
        log.writeLog("SceneGraph::insertObject(): Warning! Altitude %d not in range [%d,%d]", p_o->getAltitude(), 0,
                     MAX_ALTITUDE);
        return -1;
    }
    if (visible_objects[p_o->getAltitude()].insert(p_o) != 0) {
        log.writeLog("SceneGraph::insertObject(): Error! unable to insert visible object (id %d)", p_o->getId());
        return -1;
    }
    return 0;
}

int SceneGraph::removeObject(Object *p_o) {
    if (p_o == nullptr) {
        return -1;
    }
    bool failed = false;
    if (p_o->isActive()) {
        failed |= objects.remove(p_o) != 0;
        auto entry = type_map.find(p_o->getType());
        if (entry == type_map.end() || entry->second.remove(p_o) != 0) {
            failed = true;
        } else if (entry->second.isEmpty()) {
            type_map.erase(entry);
        }
        if (p_o->isVisible()) {
            failed |= !validAltitude(p_o->getAltitude()) || visible_objects[p_o->getAltitude()].remove(p_o) != 0;
        }
        if (p_o->isSolid()) {
            failed |= solid_objects.remove(p_o) != 0;
            failed |= grid.removeObject(p_o) != 0;
        }
    } else {
        failed |= inactive_objects.remove(p_o) != 0;
    }
    if (failed) {
        LogManager::getInstance().writeLog("SceneGraph::removeObject(): Error removing Object (id %d)! Pointer is %p.",
                                           p_o->getId(), static_cast<void *>(p_o));
        return -1;
    }
    return 0;
}

ObjectList SceneGraph::activeObjects() const {
    return objects;
}

void SceneGraph::copyActiveObjects(std::vector<Object *> &into) const {
    into.assign(objects.data(), objects.data() + objects.getCount());
}

ObjectList SceneGraph::inactiveObjects() const {
    return inactive_objects;
}

ObjectList SceneGraph::solidObjects() const {
    return solid_objects;
}

ObjectList SceneGraph::visibleObjects(int altitude) const {
    if (!validAltitude(altitude)) {
        LogManager::getInstance().writeLog("SceneGraph::visibleObjects(): Warning! altitude %d not in [%d,%d].",
                                           altitude, 0, MAX_ALTITUDE);
        return ObjectList();
    }
    return visible_objects[altitude];
}

ObjectList SceneGraph::objectsOfType(std::string type_name) const {
    auto entry = type_map.find(type_name);
    if (entry == type_map.end()) {
        return ObjectList();
    }
    return entry->second;
}

ObjectList SceneGraph::getCollisions(const Object *p_o, Vector where) const {
    return grid.getCollisions(p_o, where);
}

int SceneGraph::collectCollisions(const Object *p_o, Vector where, ObjectList &result) const {
    return grid.collectCollisions(p_o, where, result);
}

int SceneGraph::updateActive(Object *p_o, bool new_active) {
    if (p_o == nullptr) {
        return -1;
    }
    if (new_active == p_o->isActive()) {
        return 0;
    }
    LogManager &log = LogManager::getInstance();
    const bool loud = !quiet();
    const std::string type_text = p_o->getType();
    const char *type = type_text.c_str();

    if (!new_active) {
        if (objects.remove(p_o) != 0 && loud) {
            log.writeLog("SceneGraph::updateActive(): remove object (%s) failed for objects!", type);
        }
        auto entry = type_map.find(type_text);
        if (entry != type_map.end() && entry->second.remove(p_o) == 0 && entry->second.isEmpty()) {
            type_map.erase(entry);
        }
        if (p_o->isVisible()) {
            if ((!validAltitude(p_o->getAltitude()) || visible_objects[p_o->getAltitude()].remove(p_o) != 0) && loud) {
                log.writeLog("SceneGraph::updateActive(): remove visible object (%s) failed for visible_objects!",
                             type);
            }
        }
        if (p_o->isSolid()) {
            if (solid_objects.remove(p_o) != 0 && loud) {
                log.writeLog("SceneGraph::updateActive(): remove object (%s) failed for solid_objects!", type);
            }
            if (grid.removeObject(p_o) != 0) {
                return -1;
            }
        }
        if (inactive_objects.insert(p_o) != 0) {
            if (loud) {
                log.writeLog("SceneGraph::updateActive(): insert object (%s) failed for inactive_objects!", type);
            }
            return -1;
        }
        return 0;
    }

    if (objects.insert(p_o) != 0) {
        if (loud) {
            log.writeLog("SceneGraph::updateActive(): insert Object (%s) failed for objects!", type);
        }
        return -1;
    }
    if (type_map[type_text].insert(p_o) != 0) {
        if (loud) {
            log.writeLog("SceneGraph::updateActive(): Error! insert Object (%s) failed for type map!", type);
        }
        return -1;
    }
    if (p_o->isVisible()) {
        if (!validAltitude(p_o->getAltitude()) || visible_objects[p_o->getAltitude()].insert(p_o) != 0) {
            if (loud) {
                log.writeLog("SceneGraph::updateActive(): insert Object (%s) failed for visible_objects!", type);
            }
            return -1;
        }
    }
    if (p_o->isSolid()) {
        if (solid_objects.insert(p_o) != 0) {
            if (loud) {
                log.writeLog("SceneGraph::updateActive(): insert object (%s) failed for solid_objects!", type);
            }
            return -1;
        }
        if (grid.insertObject(p_o) != 0) {
            return -1;
        }
    }
    if (inactive_objects.remove(p_o) != 0 && loud) {
        log.writeLog("SceneGraph::updateActive(): remove object (%s) failed for inactive_objects!", type);
    }
    return 0;
}

int SceneGraph::updateAltitude(Object *p_o, int new_alt) {
    if (p_o == nullptr) {
        return -1;
    }
    if (!p_o->isActive()) {
        return 0;
    }
    LogManager &log = LogManager::getInstance();
    if (!validAltitude(new_alt)) {
        log.writeLog("SceneGraph::updateAltitude(): New altitude %d not in [%d,%d]!  No update.", new_alt, 0,
                     MAX_ALTITUDE);
        return -1;
    }
    const int old_alt = p_o->getAltitude();
    if (!validAltitude(old_alt)) {
        log.writeLog("SceneGraph::updateAltitude(): Old altitude %d not in [%d,%d]! This is unxepected. No update.",
                     old_alt, 0, MAX_ALTITUDE);
        return -1;
    }
    if (!p_o->isVisible()) {
        return 0;
    }
    if (visible_objects[old_alt].remove(p_o) != 0 && !quiet()) {
        log.writeLog("SceneGraph::updateAltitude(): remove from old altitude (%d) failed!", old_alt);
        log.writeLog("\tObject: type %s, id %d, p %p", p_o->getType().c_str(), p_o->getId(), static_cast<void *>(p_o));
        return -1;
    }
    if (visible_objects[new_alt].insert(p_o) != 0) {
        if (!quiet()) {
            log.writeLog("SceneGraph::updateAltitude()): insert visible object at altitude %d failed!", new_alt);
        }
        return -1;
    }
    return 0;
}

int SceneGraph::updatePosition(Object *p_o, Vector new_position) {
    if (p_o == nullptr) {
        return -1;
    }
    if (p_o->isSolid() && p_o->isActive()) {
        if (grid.updatePosition(p_o, new_position) != 0) {
            LogManager::getInstance().writeLog(
                "SceneGraph::updatePosition(): Error! Calling grid updatePosition (Object %d).", p_o->getId());
            return -1;
        }
    }
    return 0;
}

int SceneGraph::updateSolidness(Object *p_o, Solidness new_solidness) {
    if (p_o == nullptr) {
        return -1;
    }
    if (!p_o->isActive()) {
        return 0;
    }
    LogManager &log = LogManager::getInstance();
    if (p_o->isSolid() && new_solidness == SPECTRAL) {
        if (solid_objects.remove(p_o) != 0 && !quiet()) {
            log.writeLog("SceneGraph::updateSolidness(): unable to remove solid object (%s)", p_o->getType().c_str());
        }
        if (grid.removeObject(p_o) != 0) {
            return -1;
        }
        return 0;
    }
    if (p_o->isSolid() || new_solidness == SPECTRAL) {
        return 0;
    }
    if (solid_objects.insert(p_o) != 0) {
        if (!quiet()) {
            log.writeLog("SceneGraph::updateSolidness(): Error! unable to insert solid object");
        }
        return -1;
    }
    log.writeLog(20, "SceneGraph::updateSolidness(): Adding to grid.");
    if (grid.insertObject(p_o) != 0) {
        if (!quiet()) {
            log.writeLog("SceneGraph::updateSolidness(): Error! unable to insert solid object (%d) into grid",
                         p_o->getId());
        }
        return -1;
    }
    return 0;
}

int SceneGraph::updateType(Object *p_o, std::string new_type) {
    if (p_o == nullptr) {
        return -1;
    }
    LogManager &log = LogManager::getInstance();
    const std::string old_type = p_o->getType();
    auto entry = type_map.find(old_type);
    if (entry == type_map.end() || entry->second.remove(p_o) != 0) {
        if (!quiet()) {
            log.writeLog("SceneGraph::updateType(): Error! Unable to remove Object (%d) type %s", p_o->getId(),
                         old_type.c_str());
        }
        return -1;
    }
    if (entry->second.isEmpty()) {
        type_map.erase(entry);
    }
    if (type_map[new_type].insert(p_o) != 0) {
        if (!quiet()) {
            log.writeLog("SceneGraph::updateType(): Error! Unable to insert Object (%d) type %s", p_o->getId(),
                         new_type.c_str());
        }
        return -1;
    }
    return 0;
}

int SceneGraph::updateVisible(Object *p_o, bool new_visible) {
    if (p_o == nullptr) {
        return -1;
    }
    if (!p_o->isActive() || new_visible == p_o->isVisible()) {
        return 0;
    }
    const int altitude = p_o->getAltitude();
    if (!new_visible) {
        if (!validAltitude(altitude) || visible_objects[altitude].remove(p_o) != 0) {
            if (quiet()) {
                return 0;
            }
            LogManager::getInstance().writeLog("SceneGraph::updateVisible(): unable to remove visible object (%s)",
                                               p_o->getType().c_str());
            return -1;
        }
        return 0;
    }
    if (!validAltitude(altitude) || visible_objects[altitude].insert(p_o) != 0) {
        if (!quiet()) {
            LogManager::getInstance().writeLog("SceneGraph::updateVisible(): unable to add visible object (%s)",
                                               p_o->getType().c_str());
        }
        return -1;
    }
    return 0;
}

} // namespace nv
