#pragma once

#include <memory>
#include <string>
#include <vector>

namespace nv {

class Event;
class Object;
class ObjectList;

/// Most event types one manager keeps interests for.
const int MAX_EVENTS = 100;

/// The base of every manager: started and stopped, and keeping which objects want which events.
class Manager {
public:
    Manager();
    virtual ~Manager();
    Manager(const Manager &) = delete;
    Manager &operator=(const Manager &) = delete;

    /// Returns the manager's type name.
    std::string getType() const;
    /// Sets the manager's type name.
    void setType(std::string new_type);
    /// True between a successful startUp() and shutDown().
    bool isStarted() const;

    /// Whether this manager accepts interest in the event type; the base accepts none.
    virtual bool isValid(std::string event_type) const;
    /// Marks the manager started; returns 0.
    virtual int startUp();
    /// Marks the manager stopped.
    virtual void shutDown();

    /// Delivers the event to every interested, active object; returns how many were reached.
    int onEvent(const Event *p_event) const;
    /// Records interest of the object in the event type; 0 on success (also when already there), -1 on failure.
    int registerInterest(Object *p_o, std::string event_type);
    /// Withdraws interest of the object in the event type; 0 on success, -1 if it was not registered.
    int unregisterInterest(Object *p_o, std::string event_type);

protected:
    struct CoreManager {};
    /// For the log and game managers, which must not create the log manager before themselves.
    explicit Manager(CoreManager);

private:
    std::string type;
    bool is_started;
    int event_count;
    std::string event_name[MAX_EVENTS];
    std::unique_ptr<ObjectList[]> obj_list;
    // Snapshots of rows being delivered, one per nesting level, reused so dispatch does not allocate.
    mutable std::vector<std::vector<Object *>> dispatch_scratch;
    mutable std::size_t dispatch_depth;
};

} // namespace nv
