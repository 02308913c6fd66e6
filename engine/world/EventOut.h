#pragma once

#include "core/Event.h"

namespace nv {

/// Type name of the event an object gets when it leaves the world.
const std::string OUT_EVENT = "nv-out";

/// Raised to an object that has just left the world's boundary.
class EventOut : public Event {
public:
    /// An event of type "nv-out".
    EventOut();
};

} // namespace nv
