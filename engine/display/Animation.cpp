#include "display/Animation.h"

#include <climits>
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
    // Counts and indexes set from outside may sit at INT_MAX: step them only where they cannot overflow.
    if (slowdown_count < INT_MAX)
        slowdown_count++;
    if (slowdown_count < sprite->getSlowdown())
        return result;
    slowdown_count = 0;
    if (index >= 0 && index < sprite->getFrameCount() - 1)
        index++;
    else
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

int Animation::serialize(std::stringstream *p_ss) const {
    const std::uint64_t length = name.size();
    p_ss->write(reinterpret_cast<const char *>(&length), sizeof(length));
    p_ss->write(name.data(), static_cast<std::streamsize>(name.size()));
    p_ss->write(reinterpret_cast<const char *>(&index), sizeof(index));
    p_ss->write(reinterpret_cast<const char *>(&slowdown_count), sizeof(slowdown_count));
    return checkStream("Animation::serialize()", p_ss);
}

int Animation::deserialize(std::stringstream *p_ss) {
    std::uint64_t length = 0;
    p_ss->read(reinterpret_cast<char *>(&length), sizeof(length));
    if (!*p_ss)
        return checkStream("Animation::deserialize()", p_ss);
    // A length from outside is trusted only as far as the stream really holds bytes.
    const std::streampos here = p_ss->tellg();
    p_ss->seekg(0, std::ios::end);
    const std::streampos end = p_ss->tellg();
    p_ss->seekg(here);
    const std::uint64_t available = end >= here ? static_cast<std::uint64_t>(end - here) : 0;
    if (length > available) {
        // Only a length no string can hold is a failure to allocate; any other the stream lacks was cut short.
        if (length >= std::string().max_size()) {
            LogManager::getInstance().writeLog("Animation::deserialize(): Error! Cannot allocate %d bytes.",
                                               static_cast<int>(length > 0x7fffffff ? 0x7fffffff : length));
            return -1;
        }
        p_ss->setstate(std::ios::eofbit | std::ios::failbit);
        return checkStream("Animation::deserialize()", p_ss);
    }
    std::string buffer(static_cast<std::size_t>(length), '\0');
    p_ss->read(&buffer[0], static_cast<std::streamsize>(length));
    const std::size_t zero = buffer.find('\0');
    if (zero != std::string::npos)
        buffer.resize(zero);
    int new_index = 0;
    int new_slowdown_count = 0;
    p_ss->read(reinterpret_cast<char *>(&new_index), sizeof(new_index));
    p_ss->read(reinterpret_cast<char *>(&new_slowdown_count), sizeof(new_slowdown_count));
    if (checkStream("Animation::deserialize()", p_ss) != 0)
        return -1;
    // A frame index below 0, or a count below the freeze mark -1, is no state an animation can be in.
    if (new_index < 0 || new_slowdown_count < -1) {
        LogManager::getInstance().writeLog(
            "Animation::deserialize(): Error! Index %d or slowdown count %d out of range.", new_index,
            new_slowdown_count);
        return -1;
    }
    name = buffer;
    index = new_index;
    slowdown_count = new_slowdown_count;
    return 0;
}

std::string Animation::toString() const {
    return "sprite " + name + ", frame_idx " + std::to_string(index);
}

} // namespace nv
