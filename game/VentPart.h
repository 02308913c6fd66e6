#pragma once

#include <string>

#include "world/Object.h"

/// A hard piece of duct wall whose picture's top-left character sits on a given corner.
class VentPart : public nv::Object {
public:
    /// Shows the sprite labelled new_sprite_label with its top-left character at new_corner.
    VentPart(std::string new_sprite_label, nv::Vector new_corner);
    ~VentPart() override;

    /// Label of the piece's sprite.
    std::string getSpriteLabel() const { return sprite_label; }
    /// The centre the piece was placed at (the given corner plus half its box).
    nv::Vector getCorner() const { return corner; }

private:
    std::string sprite_label;
    nv::Vector corner;
};
