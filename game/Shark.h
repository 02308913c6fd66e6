#pragma once

#include "world/Object.h"

class Raft;

/// A shark: a warning for 1.5 s, then a fin that bites a raft within 4 cells for half a second.
class Shark : public nv::Object {
public:
    /// A shark warning at column x, threatening p_raft.
    Shark(Raft *p_raft, float x);
    ~Shark() override;

    /// Ages on "nv-step", surfaces, bites once and leaves; 1 for the step, 0 otherwise.
    int eventHandler(const nv::Event *p_e) override;

    /// Milliseconds since the warning appeared.
    int getAge() const { return age; }
    /// True once it has bitten.
    bool isHitDone() const { return hit_done; }

private:
    Raft *raft;
    int age;
    bool hit_done;
};
