#pragma once

#include <cstddef>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "display/Animation.h"
#include "display/Shape.h"
#include "path/Path.h"
#include "world/Box.h"
#include "world/Vector.h"

namespace nv {

class Event;
class PathFind;
class SceneGraph;

enum Solidness {
    HARD = 0,
    SOFT = 1,
    SPECTRAL = 2,
};

/// "hard", "soft", "spectral", or "undefined" for any other value.
std::string solidnessToString(Solidness solidness);

const int MAX_ALTITUDE = 4;
const int MAX_OBJ_EVENTS = 100;

enum ObjectAttribute : unsigned int {
    ID = 0x1,
    ACTIVE = 0x2,
    VISIBLE = 0x4,
    EVENTS = 0x8,
    BOX = 0x10,
    POSITION = 0x20,
    TYPE = 0x40,
    ANIMATION = 0x80,
    ALTITUDE = 0x100,
    SOLIDNESS = 0x200,
    NO_SOFT = 0x400,
    SPEED = 0x800,
    DIRECTION = 0x1000,
    ACCELERATION = 0x2000,
    SHAPE = 0x4000,
    PATH = 0x8000,
    FOLLOW_PATH = 0x10000,
    AVOID_COLLISIONS = 0x20000,
};

/// Every attribute bit of the base object.
const unsigned int ALL_OBJECT_ATTRIBUTES = 0x3ffff;

/// The base of every game object: position, motion, solidness, altitude, sprite and the events it wants.
class Object {
public:
    /// Sets the defaults, takes the next id and enters the world manager.
    Object();
    /// Withdraws interests and any path search, then leaves the world manager.
    virtual ~Object();
    Object(const Object &) = delete;
    Object &operator=(const Object &) = delete;
    /// Memory for an object of size bytes from the object arena, near the other objects.
    static void *operator new(std::size_t size);
    /// Gives an object's memory back to the arena.
    static void operator delete(void *p_o, std::size_t size);

    /// Re-indexes the object under new_type and stores it.
    virtual void setType(std::string new_type);
    /// Moves the object (and its grid cells) to new_position; 0.
    virtual int setPosition(Vector new_position);
    /// 1 when the event was used; the base handles only "nv-path".
    virtual int eventHandler(const Event *p_e);
    /// Changes the collision class; -1 for an unknown value or a failed re-index.
    virtual int setSolidness(Solidness new_solid);
    /// Turns steering past hard obstacles on or off.
    virtual void setAvoidCollisions(bool new_avoid_collisions = true);
    /// Moves the object to another drawing layer; -1 outside 0..MAX_ALTITUDE.
    virtual int setAltitude(int new_altitude);
    /// Stores the direction at unit length (zero stays zero).
    virtual void setDirection(Vector new_direction);
    /// Splits the vector into speed (its length) and direction (unit).
    virtual void setVelocity(Vector new_velocity);
    /// Stores the per-step change of velocity.
    virtual void setAcceleration(Vector new_acceleration);
    /// True when the object is drawn.
    virtual bool isVisible() const;
    /// Moves the object between the active and inactive lists; -1 on failure.
    virtual int setActive(bool active_flag = true);
    /// Stores the collision extent and re-enters the grid; 0 or -1.
    virtual int setBox(Box new_box);
    /// Shows the resource manager's sprite of that label; -1 when not found.
    virtual int setSprite(std::string sprite_label);
    /// Copies the animation; with set_box also takes its box.
    virtual void setAnimation(Animation new_animation, bool set_box = true);
    /// Draws the animation (and the shape, when defined) at the position.
    virtual int draw();
    /// Writes the chosen attributes to the stream; 0 or -1.
    virtual int serialize(std::stringstream *p_ss, unsigned int attr = 0);
    /// Reads attributes from the stream and applies them; 0 or -1.
    virtual int deserialize(std::stringstream *p_ss, unsigned int *p_a = nullptr);
    /// Replaces the whole modified mask.
    virtual void setModified(unsigned int new_modified);
    /// The modified mask.
    virtual unsigned int getModified() const;
    /// Copies the shape.
    virtual void setShape(Shape new_shape);
    /// Turns path following on or off, heading for the next node when there is one.
    virtual void setFollowPath(bool new_follow_path = true);

    /// Unique identifier.
    int getId() const { return id; }
    /// Type name.
    std::string getType() const { return type; }
    /// World position.
    Vector getPosition() const { return position; }
    /// Unit (or zero) direction of motion.
    Vector getDirection() const { return direction; }
    /// Cells per step along the direction.
    float getSpeed() const { return speed; }
    /// Stores the speed without touching the direction.
    void setSpeed(float new_speed);
    /// Per-step change of velocity.
    Vector getAcceleration() const { return acceleration; }
    /// Drawing layer.
    int getAltitude() const { return altitude; }
    /// Collision class.
    Solidness getSolidness() const { return solidness; }
    /// Collision extent relative to the position.
    Box getBox() const { return box; }
    /// The animation (sprite and playback state).
    Animation getAnimation() const { return animation; }
    /// The shape.
    Shape getShape() const { return shape; }
    /// True when the object may not move onto SOFT objects.
    bool getNoSoft() const { return no_soft; }
    /// Forbids (or allows) moving onto SOFT objects.
    void setNoSoft(bool new_no_soft = true);
    /// True in avoid-collisions mode.
    bool getAvoidCollisions() const { return avoid_collisions; }
    /// True when the object is updated, moved, drawn and collided with.
    bool isActive() const { return active; }
    /// Direction scaled by speed.
    Vector getVelocity() const;
    /// Position plus velocity.
    Vector predictPosition() const;
    /// True for HARD and SOFT.
    bool isSolid() const;
    /// True when any attribute changed since last serialized.
    bool isModified() const { return modified != 0; }
    /// Shows or hides the object; -1 when the re-index fails.
    int setVisible(bool new_visible = true);
    /// The path being walked.
    Path getPath() const { return path; }
    /// Copies the path's nodes and index.
    void setPath(Path new_path);
    /// True while walking the path.
    bool getFollowPath() const { return follow_path; }
    /// The pending path search, or null.
    PathFind *getPathSearch() const { return path_search.get(); }
    /// Takes ownership of a pending path search (replacing and withdrawing any previous one).
    void setPathSearch(std::unique_ptr<PathFind> p_search);
    /// Adds the acceleration to the velocity when it is not zero.
    void applyAcceleration();
    /// One step of walking the path, when following is on.
    void followPathStep();
    /// Number of event types registered for.
    int getEventCount() const { return event_count; }
    /// Registers with the manager owning event_type; 0 or -1.
    int registerInterest(std::string event_type);
    /// Withdraws a registration made by registerInterest; 0 or -1.
    int unregisterInterest(std::string event_type);

private:
    void markModified(unsigned int attr) { modified |= attr; }
    SceneGraph *indexes() const;
    void withdrawPathSearch();

    static int next_id;

    // What every step reads or writes for every object comes first, so a move touches one or two cache lines of
    // the object rather than one in each part of it.
    Box box;
    Vector position;
    Vector direction;
    float speed;
    Vector acceleration;
    Solidness solidness;
    unsigned int modified;
    bool active;
    bool follow_path;
    bool in_world;
    bool no_soft;
    bool avoid_collisions;
    bool visible;
    int id;
    int altitude;
    int event_count;
    std::string type;
    Animation animation;
    // Grows with the registrations (at most MAX_OBJ_EVENTS): a fixed block of 100 texts made each
    // object several kilobytes and the world's per-step walk slower as the world grew.
    std::vector<std::string> event_name;
    Shape shape;
    std::unique_ptr<PathFind> path_search;
    Path path;
};

} // namespace nv
