#include "display/Animation.h"

#include <cstdint>

#include "core/LogManager.h"
#include "display/Sprite.h"
#include "world/utility.h"

namespace nv {

Animation::Animation() : sprite(nullptr), index(0), slowdown_count(0), name() {}

void Animation::setSprite(Sprite *new_sprite) {
    if (new_sprite != nullptr && new_sprite->getLabel() != name)
        name = new_sprite->getLabel();
    sprite = new_sprite;
    index = 0;
    slowdown_count = 0;
}

int Animation::draw(Vector position) {
    if (sprite == nullptr)
        return 0;
    const int result = sprite->draw(index, position, sprite->getTransparency());
    if (slowdown_count == -1)
        return result;
    slowdown_count++;
    if (slowdown_count < sprite->getSlowdown())
        return result;
    slowdown_count = 0;
    index++;
    // An index set out of range from outside must still wrap instead of running away.
    if (index >= sprite->getFrameCount() || index < 0)
        index = 0;
    return result;
}

Box Animation::getBox() const {
    if (sprite == nullptr)
        return Box(Vector(-0.5f, -0.5f), 0.99f, 0.99f);
    const float w = static_cast<float>(sprite->getWidth());
    const float h = static_cast<float>(sprite->getHeight());
    return Box(Vector(-w * 0.5f, -h * 0.5f), w, h);
}

int Animation::serialize(std::stringstream *) const {
    return 0;
}

int Animation::deserialize(std::stringstream *) {
    return 0;
}

std::string Animation::toString() const {
    return "sprite " + name + ", frame_idx " + std::to_string(index);
}

} // namespace nv
