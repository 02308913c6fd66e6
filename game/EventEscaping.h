#pragma once

#include <string>

#include "core/Event.h"

/// Type name of the event raised when the prisoner used the vent and is leaving the cell.
const std::string ESCAPE_EVENT = "escape";

/// Raised when the prisoner used the vent and is leaving the cell.
class EventEscaping : public nv::Event {
public:
    /// An event of type "escape".
    EventEscaping();
};
