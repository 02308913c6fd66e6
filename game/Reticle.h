#pragma once

#include "world/Object.h"

/// The mouse pointer in the world: a "+" that follows the mouse and uses what a left click lands on.
class Reticle : public nv::Object {
public:
    /// A spectral, top-layer pointer listening to the mouse.
    Reticle();
    ~Reticle() override;

    /// Follows mouse moves and uses the usable objects under a left click; 1 for those, 0 otherwise.
    int eventHandler(const nv::Event *p_e) override;
    /// Draws "+" in white at the pointer; the result of the character draw.
    int draw() override;
};
