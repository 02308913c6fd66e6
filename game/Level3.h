#pragma once

#include "world/Object.h"

class Glyphcage;
class Raft;

/// The sea: 30 s of steering the raft among sharks and lightning under the rain.
class Level3 : public nv::Object {
public:
    /// Builds the raft, the title and the rain, and starts the hazard timer.
    explicit Level3(Glyphcage *new_controller);
    ~Level3() override;

    /// Counts the level's time on "nv-step", spawning hazards and finishing after 30 s; 1 for the step.
    int eventHandler(const nv::Event *p_e) override;
    /// Draws the time left and the sea while playing; the sum of the draw results.
    int draw() override;

    /// Creates one shark or lightning warning, at a random column or aimed at the raft.
    void spawnHazard();

    /// The raft of this level.
    Raft *getRaft() const { return raft; }
    /// Milliseconds of step time played.
    int getElapsed() const { return elapsed; }
    /// Milliseconds until the next hazard.
    int getSpawnCountdown() const { return spawn_countdown; }
    /// True once the 30 s are over.
    bool isDone() const { return done; }

private:
    Glyphcage *controller;
    Raft *raft;
    int elapsed;
    int spawn_countdown;
    bool done;
};
