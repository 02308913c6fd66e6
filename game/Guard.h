#pragma once

#include "core/Clock.h"
#include "world/Object.h"

/// A guard who stands in the cell for 5 s and then leaves.
class Guard : public nv::Object {
public:
    /// A guard at (50, 20), timing its visit from now.
    Guard();
    ~Guard() override;

    /// Leaves after 5 s, raising "guard"; 1 for "nv-step", 0 otherwise.
    int eventHandler(const nv::Event *p_e) override;
    /// Leaves, raising "guard", once stayed_us reaches the visit's length; true if it left.
    bool checkVisit(long long stayed_us);

private:
    nv::Clock clock;
};
