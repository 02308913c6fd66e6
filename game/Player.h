#pragma once

#include "world/Object.h"

/// The prisoner in the cell: walks with W, A, S and D, one cell every second step.
class Player : public nv::Object {
public:
    /// Places the prisoner at (7, half the world height) and creates its reticle.
    Player();
    ~Player() override;

    /// Counts movement keys on "nv-keyboard" and moves on "nv-step"; 1 for those, 0 otherwise.
    int eventHandler(const nv::Event *p_e) override;

    /// Steps left before the next move.
    int getMoveCountdown() const { return move_countdown; }
    /// Steps between moves.
    int getMoveSlowdown() const { return move_slowdown; }
    /// Vertical cells per move (negative is up).
    int getDy() const { return dy; }
    /// Horizontal cells per move (negative is left).
    int getDx() const { return dx; }

private:
    int move_countdown;
    int move_slowdown;
    int dy;
    int dx;
    // Whether W, S, A and D are down, as far as this player has seen.
    bool held[4];
};
