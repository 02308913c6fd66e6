#pragma once

#include "world/Object.h"

class Glyphcage;

/// Integrity of an undamaged raft.
const int RAFT_INTEGRITY = 4;

/// The prisoner's raft, steered with A and D; sinks when its integrity reaches 0.
class Raft : public nv::Object {
public:
    /// An undamaged raft at the middle of the sea's surface.
    explicit Raft(Glyphcage *new_controller);
    ~Raft() override;

    /// Steers on "nv-step" from the keys held ("nv-keyboard"); 0 for everything while not playing.
    int eventHandler(const nv::Event *p_e) override;
    /// Draws the raft and its integrity line; the sum of the draw results.
    int draw() override;

    /// Takes damage; at 0 integrity the raft starts sinking. Ignored while sinking.
    void hit(int damage);

    /// Integrity left, 0 to 4.
    int getIntegrity() const { return integrity; }
    /// Milliseconds left of the hit flash.
    int getHitFlashLeft() const { return hit_flash_left; }
    /// Milliseconds left before a sinking raft is lost.
    int getSinkLeft() const { return sink_left; }
    /// True once the integrity reached 0.
    bool isSinking() const { return sinking; }

private:
    Glyphcage *controller;
    int integrity;
    int hit_flash_left;
    int sink_left;
    bool sinking;
    bool left;
    bool right;
};
