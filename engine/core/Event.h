#pragma once

#include <string>

namespace nv {

/// Type name carried by an event whose type was never set.
const std::string UNDEFINED_EVENT = "nv-undefined";

/// The base of every event: a type name, which decides the objects it reaches.
class Event {
public:
    /// Creates an event of type "nv-undefined".
    Event();
    virtual ~Event();

    /// Sets the event's type name.
    void setType(std::string new_type);
    /// Returns the event's type name.
    std::string getType() const;
    /// Returns the event's type name without copying it.
    const std::string &typeName() const { return event_type; }

private:
    std::string event_type;
};

} // namespace nv
