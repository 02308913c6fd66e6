#pragma once

#include <memory>

#include "display/Sprite.h"
#include "world/Object.h"

namespace nv {

/// The insect that rises from below the view, lands beside the title and ends the splash.
class SplashNorvantis : public Object {
public:
    /// Builds the insect six rows below the view, rising to target in 30 steps.
    explicit SplashNorvantis(Vector target);
    ~SplashNorvantis() override;

    /// Counts steps, lands, rests, and ends the splash (or ends it on a key press).
    int eventHandler(const Event *p_e) override;

    /// Where the insect lands.
    Vector getTarget() const { return target; }
    /// Steps left before it lands (keeps counting below 0).
    int getCountdown() const { return countdown; }

private:
    Vector target;
    int countdown;
    std::unique_ptr<Sprite> sprite;
};

} // namespace nv
