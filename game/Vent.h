#pragma once

#include "CraftingObject.h"

/// The vent in the cell floor: the way out.
class Vent : public CraftingObject {
public:
    /// A usable vent grille at the usable object's place.
    Vent();
};
