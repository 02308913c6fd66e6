#pragma once

#include "CraftingObject.h"

/// The broken toilet of the cell.
class Toilet : public CraftingObject {
public:
    /// A usable toilet at (40, 10).
    Toilet();

    /// Shows that it is a toilet and that it is broken; nothing else.
    void interact() override;
};
