#pragma once

#include <string>

#include "core/Event.h"

/// Type name of the event raised when a guard has left the cell.
const std::string GUARD_EVENT = "guard";

/// Raised when a guard has left the cell.
class EventGuard : public nv::Event {
public:
    /// An event of type "guard".
    EventGuard();
};
