#pragma once

#include "world/Object.h"

/// One of the window bars along the top of the cell.
class Bars : public nv::Object {
public:
    /// Window bars centred at (x, 1).
    explicit Bars(float x);
};
