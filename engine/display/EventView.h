#pragma once

#include <string>

#include "core/Event.h"

namespace nv {

/// Type name of events that update view objects.
const std::string VIEW_EVENT = "nv-view";

/// Sets (or, with delta, changes) the value of the view objects whose label equals the tag.
class EventView : public Event {
public:
    /// An event with an empty tag, value 0 and delta off.
    EventView();
    /// An event for the view objects labelled new_tag.
    EventView(std::string new_tag, int new_value, bool new_delta);

    /// Sets the label of the view objects addressed.
    void setTag(std::string new_tag) { tag = std::move(new_tag); }
    /// The label of the view objects addressed.
    std::string getTag() const { return tag; }
    /// Sets the value (or change of value).
    void setValue(int new_value) { value = new_value; }
    /// The value (or change of value).
    int getValue() const { return value; }
    /// Sets whether the value is added instead of set.
    void setDelta(bool new_delta) { delta = new_delta; }
    /// Whether the value is added instead of set.
    bool getDelta() const { return delta; }

private:
    std::string tag;
    int value;
    bool delta;
};

} // namespace nv
