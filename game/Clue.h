#pragma once

#include <string>

#include "world/Object.h"

/// A soft picture on the duct floor that only decorates.
class Clue : public nv::Object {
public:
    /// Shows the sprite labelled new_sprite_label centred on centre.
    Clue(std::string new_sprite_label, nv::Vector centre);
    ~Clue() override;

    /// Label of the clue's sprite.
    std::string getSpriteLabel() const { return sprite_label; }

private:
    std::string sprite_label;
};
