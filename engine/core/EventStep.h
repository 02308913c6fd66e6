#pragma once

#include "core/Event.h"

namespace nv {

/// Type name of the event the game manager raises once per step.
const std::string STEP_EVENT = "nv-step";

/// Raised once per step of the game loop, with the step count.
class EventStep : public Event {
public:
    /// Creates a step event with step count 0.
    EventStep();
    /// Creates a step event carrying the given step count.
    explicit EventStep(int init_step_count);

    /// Sets the step count carried.
    void setStepCount(int new_step_count);
    /// Returns the step count carried.
    int getStepCount() const;

private:
    int step_count;
};

} // namespace nv
