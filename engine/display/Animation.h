#pragma once

#include <sstream>
#include <string>

#include "world/Box.h"
#include "world/Vector.h"

namespace nv {

class Sprite;

/// Playback state of a sprite inside an object: which frame, and draws counted toward the next.
class Animation {
public:
    /// No sprite, frame 0, slowdown count 0, empty name.
    Animation();

    /// Plays new_sprite (null clears the picture) from frame 0; a non-null sprite's label becomes the name.
    void setSprite(Sprite *new_sprite);
    /// The sprite being played, or null.
    Sprite *getSprite() const { return sprite; }
    /// Label of the sprite, kept after the sprite is cleared.
    std::string getName() const { return name; }
    /// Sets the frame drawn next.
    void setIndex(int new_index) { index = new_index; }
    /// The frame drawn next.
    int getIndex() const { return index; }
    /// Sets the draws counted toward the next frame; -1 freezes the animation.
    void setSlowdownCount(int new_slowdown_count) { slowdown_count = new_slowdown_count; }
    /// Draws counted toward the next frame; -1 when frozen.
    int getSlowdownCount() const { return slowdown_count; }

    /// Draws the current frame centred on position, then advances unless frozen; the draw's result.
    int draw(Vector position);
    /// The sprite's extent around the object's position (just under one cell without a sprite).
    Box getBox() const;
    /// Writes name, index and slowdown count; 0 or -1.
    int serialize(std::stringstream *p_ss) const;
    /// Reads name, index and slowdown count (not the sprite); 0 or -1.
    int deserialize(std::stringstream *p_ss);
    /// "sprite NAME, frame_idx N".
    std::string toString() const;

private:
    Sprite *sprite;
    int index;
    int slowdown_count;
    std::string name;
};

} // namespace nv
