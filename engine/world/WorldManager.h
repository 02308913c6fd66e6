#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/Manager.h"
#include "world/Box.h"
#include "world/ObjectList.h"
#include "world/SceneGraph.h"
#include "world/Vector.h"

namespace nv {

class Object;

/// Owns every game object: updates, moves and draws them, reports collisions and keeps the view.
class WorldManager : public Manager {
public:
    /// The one instance, created on first use.
    static WorldManager &getInstance();
    WorldManager(const WorldManager &) = delete;
    WorldManager &operator=(const WorldManager &) = delete;

    /// False for input, step, collision and out events; true for every other type.
    bool isValid(std::string event_type) const override;
    /// Resets boundary, view and deletions and starts the scene graph; 0 or -1.
    int startUp() override;
    /// Deletes every remaining object and stops the scene graph.
    void shutDown() override;

    /// Enters p_o into the scene graph; -1 when not started.
    int insertObject(Object *p_o);
    /// Takes p_o out of the scene graph and forgets any reference kept to it; 0 or -1.
    int removeObject(Object *p_o);
    /// Schedules p_o for deletion at the end of the step (once); 0 or -1.
    int markForDelete(Object *p_o);
    /// The active objects, followed by the inactive ones when inactive is true.
    ObjectList getAllObjects(bool inactive = false) const;
    /// The active objects of one type name.
    ObjectList objectsOfType(std::string type_name) const;
    /// The solid objects p_o would overlap at where.
    ObjectList getCollisions(const Object *p_o, Vector where) const;
    /// Moves p_o to where by the collision rules, raising collision and out events; 0 moved, -1 not.
    int moveObject(Object *p_o, Vector where);
    /// One step: moves every active object, then deletes the marked ones.
    void update();
    /// Draws the visible objects altitude by altitude.
    void draw();

    /// The world's extent.
    Box getBoundary() const { return boundary; }
    /// Sets the world's extent and rebuilds the grid for it; 0 or -1.
    int setBoundary(Box new_boundary);
    /// The part of the world shown.
    Box getView() const { return view; }
    /// Sets the part of the world shown.
    void setView(Box new_view) { view = new_view; }
    /// Centres the view on where, clamped to the boundary.
    void setViewPosition(Vector where);
    /// Follows p_new_view_following (null stops); -1 when the object is not in the world.
    int setViewFollowing(Object *p_new_view_following);
    /// The followed object, or null.
    Object *getViewFollowing() const { return view_following; }
    /// Sets the slack fractions, warning when outside [0, 1].
    void setViewSlack(Vector new_view_slack);
    /// The slack fractions.
    Vector getViewSlack() const { return view_slack; }
    /// The scene graph.
    SceneGraph &getSceneGraph() { return scene_graph; }
    /// The scene graph (read-only).
    const SceneGraph &getSceneGraph() const { return scene_graph; }

private:
    WorldManager();

    // Scratch lists for moves, one per nesting depth, since handlers may move objects too.
    struct MoveScratch {
        ObjectList collisions;
    };
    MoveScratch &scratchAt(int depth);
    void followView(const Object *p_o);

    SceneGraph scene_graph;
    ObjectList deletions;
    Object *view_following;
    Box boundary;
    Box view;
    Vector view_slack;
    std::vector<std::unique_ptr<MoveScratch>> move_scratch;
    int move_depth;
    // The movers of a step, kept between steps so taking them allocates nothing.
    std::vector<Object *> step_movers;
};

} // namespace nv
