#pragma once

#include "world/Object.h"

/// The invisible cell that ends a vent section when the prisoner touches it.
class Exit : public nv::Object {
public:
    /// A soft one-cell exit at (new_x, new_y).
    Exit(int new_x, int new_y);
    ~Exit() override;

    /// Raises "next section" when a collision involves the prisoner; 1 for every collision, 0 otherwise.
    int eventHandler(const nv::Event *p_e) override;

    /// Column of the exit.
    int getX() const { return x; }
    /// Row of the exit.
    int getY() const { return y; }

private:
    int x;
    int y;
};
