#pragma once

#include <string>

#include "world/Object.h"

/// Type name of the crawling prisoner.
const std::string PRISONER_TYPE = "Prisoner";

/// The prisoner crawling through the vents: one cell every 7 steps while W, A, S or D is held.
class Prisoner : public nv::Object {
public:
    /// A prisoner facing up at (new_start_x, new_start_y), listening to the keyboard and the step.
    Prisoner(int new_start_x, int new_start_y);
    ~Prisoner() override;

    /// Tracks the held keys on "nv-keyboard" and crawls and turns on "nv-step"; 1 for those, 0 otherwise.
    int eventHandler(const nv::Event *p_e) override;

    /// Steps between moves.
    int getMoveSlowdown() const { return move_slowdown; }
    /// Steps left before the next move.
    int getMoveCountdown() const { return move_countdown; }
    /// Vertical cells per move (negative is up).
    int getDy() const { return dy; }
    /// Horizontal cells per move (negative is left).
    int getDx() const { return dx; }
    /// Column where the prisoner started.
    int getStartX() const { return start_x; }
    /// Row where the prisoner started.
    int getStartY() const { return start_y; }

private:
    int move_slowdown;
    int move_countdown;
    int dy;
    int dx;
    int start_x;
    int start_y;
    bool up;
    bool down;
    bool left;
    bool right;
    // The label last given to setSprite, one of the four picture labels.
    const char *shown_picture;
};
