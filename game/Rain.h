#pragma once

#include "world/Object.h"

/// A rain drop falling straight down; it starts again at the top when it leaves the world.
class Rain : public nv::Object {
public:
    /// A spectral drop on the lowest layer; the level places it and sets its speed.
    Rain();

    /// Restarts the drop at a random column on "nv-out"; 1 for that, 0 otherwise.
    int eventHandler(const nv::Event *p_e) override;
    /// Draws "." in blue at the drop.
    int draw() override;
};
