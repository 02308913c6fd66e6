#pragma once

#include "world/Object.h"

class Glyphcage;

/// The cell: builds it, and ends the level when the prisoner escapes through the vent.
class Level1 : public nv::Object {
public:
    /// Builds the prisoner, vent, toilet, guard countdown, title and window bars.
    explicit Level1(Glyphcage *new_controller);
    ~Level1() override;

    /// Turns "escape" into the end of the level while playing; 1 when used.
    int eventHandler(const nv::Event *p_e) override;

private:
    Glyphcage *controller;
};
