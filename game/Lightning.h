#pragma once

#include "world/Object.h"

class LightningCloud;
class Raft;

/// A lightning strike: a warning for 1.5 s, then a bolt from a cloud that hits a raft within 2.5 cells.
class Lightning : public nv::Object {
public:
    /// A lightning warning at column x, threatening p_raft.
    Lightning(Raft *p_raft, float x);
    ~Lightning() override;

    /// Ages on "nv-step", strikes, hits once and leaves with its cloud; 1 for the step, 0 otherwise.
    int eventHandler(const nv::Event *p_e) override;

    /// Milliseconds since the warning appeared.
    int getAge() const { return age; }
    /// True once it has hit.
    bool isHitDone() const { return hit_done; }
    /// The cloud above the bolt while it strikes, else null.
    LightningCloud *getCloud() const { return cloud; }

private:
    Raft *raft;
    LightningCloud *cloud;
    int age;
    bool hit_done;
};
