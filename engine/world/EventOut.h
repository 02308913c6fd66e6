#pragma once

#include "core/Event.h"

namespace nv {

class EventOut : public Event {
public:
    /// An event of type "nv-out".
    EventOut();
};

} // namespace nv
