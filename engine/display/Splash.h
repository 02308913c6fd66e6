#pragma once

#include <memory>

#include "display/Sprite.h"
#include "world/Object.h"

namespace nv {

/// Plays the engine's splash screen to its end or the first key press; 0, or -1 before the game manager starts.
int splash();

/// The engine's name sliding in from the right, then resting in its second lettering.
class Splash : public Object {
public:
    /// Builds the title just beyond the right edge of the view, moving left.
    Splash();
    ~Splash() override;

    /// Counts steps, calls in the insect, and ends on a key press.
    int eventHandler(const Event *p_e) override;

    /// Steps left before the title stops (keeps counting below 0).
    int getCountdown() const { return countdown; }

private:
    int countdown;
    std::unique_ptr<Sprite> sprite;
};

} // namespace nv
