#pragma once

#include <map>
#include <string>
#include <vector>

#include "world/Grid.h"
#include "world/Object.h"
#include "world/ObjectList.h"
#include "world/Vector.h"

namespace nv {

class SceneGraph {
public:
    /// Empty lists, empty type map, grid not allocated.
    SceneGraph();
    SceneGraph(const SceneGraph &) = delete;
    SceneGraph &operator=(const SceneGraph &) = delete;

    /// Rebuilds the type map and the grid for the current boundary, re-entering the objects already held; 0 or -1.
    int startUp();
    /// Clears the type map and frees the grid; the object lists survive.
    void shutDown();

    /// Enters p_o into every list its state calls for; 0 or -1.
    int insertObject(Object *p_o);
    /// Takes p_o out of every list its state puts it in; -1 when it was missing from one.
    int removeObject(Object *p_o);

    /// A copy of the active objects.
    ObjectList activeObjects() const;
    /// Replaces into's contents with the active objects, reusing its storage.
    void copyActiveObjects(std::vector<Object *> &into) const;
    /// A copy of the inactive objects.
    ObjectList inactiveObjects() const;
    /// A copy of the active solid objects.
    ObjectList solidObjects() const;
    /// A copy of the visible objects of one altitude; empty (with a warning) outside 0..MAX_ALTITUDE.
    ObjectList visibleObjects(int altitude) const;
    /// A copy of the active objects of one type name.
    ObjectList objectsOfType(std::string type_name) const;
    /// The solid objects p_o would overlap at where.
    ObjectList getCollisions(const Object *p_o, Vector where) const;
    /// The collision grid (read-only).
    const Grid &getGrid() const { return grid; }
    /// Appends the grid's answer to result without allocating in the steady state; 0 or -1.
    int collectCollisions(const Object *p_o, Vector where, ObjectList &result) const;

    /// Moves p_o between the active and inactive indexes before its flag changes; 0 or -1.
    int updateActive(Object *p_o, bool new_active);
    /// Moves p_o between altitude lists before its altitude changes; 0 or -1.
    int updateAltitude(Object *p_o, int new_alt);
    /// Moves a solid, active p_o's grid cells before its position changes; 0 or -1.
    int updatePosition(Object *p_o, Vector new_position);
    /// Enters or leaves the solid indexes before p_o's solidness changes; 0 or -1.
    int updateSolidness(Object *p_o, Solidness new_solidness);
    /// Moves p_o to another type's list before its type changes; 0 or -1.
    int updateType(Object *p_o, std::string new_type);
    /// Enters or leaves p_o's altitude list before its visibility changes; 0 or -1.
    int updateVisible(Object *p_o, bool new_visible);

private:
    ObjectList objects;
    ObjectList solid_objects;
    ObjectList visible_objects[MAX_ALTITUDE + 1];
    ObjectList inactive_objects;
    std::map<std::string, ObjectList> type_map;
    Grid grid;
};

} // namespace nv
