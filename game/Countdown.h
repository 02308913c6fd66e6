#pragma once

#include "core/Clock.h"
#include "display/ViewObject.h"

/// Sends a guard into the cell 10 s after the previous one left.
class Countdown : public nv::ViewObject {
public:
    /// Starts timing now and listens to the step and to "guard".
    Countdown();
    ~Countdown() override;

    /// Creates a guard when 10 s have passed ("nv-step") and restarts on "guard"; 1 for those, 0 otherwise.
    int eventHandler(const nv::Event *p_e) override;
    /// Creates a guard and waits afresh once waited_us reaches the guard's absence; true if a guard came.
    bool checkAbsence(long long waited_us);
    /// Microseconds waited since the countdown started or the last guard left.
    long long getWaited() const { return guard_clock.split(); }

private:
    nv::Clock guard_clock;
};
