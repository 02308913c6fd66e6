#pragma once

#include "world/Object.h"

/// Type name the reticle looks for to find something usable.
const std::string CRAFTING_OBJECT_TYPE = "CraftingObject";

/// Something in the cell the prisoner can use with a left click.
class CraftingObject : public nv::Object {
public:
    /// A usable object at (20, half the world height) showing the named sprite; "" shows none.
    explicit CraftingObject(const std::string &sprite_label = "");

    /// Reports an item added to the inventory and raises "escape".
    virtual void interact();
};
