#include "display/Sprite.h"

#include <cstddef>
#include <new>

#include "core/LogManager.h"

namespace nv {

Sprite::Sprite(int max_frames)
    : width(0), height(0), max_frame_count(max_frames), frame_count(0), color(WHITE), slowdown(1), transparency(0),
      frames(), label("[Undefined]") {
    // A negative capacity cannot be allocated; it is refused like a failed allocation.
    if (max_frames > 0)
        frames.reset(new (std::nothrow) Frame[static_cast<std::size_t>(max_frames)]);
    if (!frames) {
        if (max_frames != 0)
            LogManager::getInstance().writeLog("Sprite::Sprite(): Error! Unable to allocate %d frames.", max_frames);
        max_frame_count = 0;
    }
}

Sprite::~Sprite() = default;

int Sprite::pushFrame(Frame new_frame) {
    if (frame_count >= max_frame_count)
        return -1;
    frames[frame_count] = std::move(new_frame);
    frame_count++;
    return 0;
}

Frame Sprite::getFrame(int i) const {
    if (i < 0 || i >= frame_count)
        return Frame();
    return frames[i];
}

int Sprite::draw(int frame_number, Vector position, char transp) const {
    if (frame_number < 0 || frame_number >= frame_count)
        return 0;
    return frames[frame_number].draw(position, color, transp);
}

} // namespace nv
