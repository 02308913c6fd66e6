#pragma once

#include <string>

#include "core/Event.h"

/// Type name of the event raised when the prisoner reached the exit of a vent section.
const std::string NEXT_SECTION_EVENT = "next section";

/// Raised when the prisoner reached the exit of a vent section.
class EventNextSection : public nv::Event {
public:
    /// An event of type "next section".
    EventNextSection();
};
