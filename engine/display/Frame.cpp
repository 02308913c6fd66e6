#include "display/Frame.h"

#include <cstddef>

#include "display/DisplayManager.h"

namespace nv {

Frame::Frame() : width(0), height(0), frame_str() {}

Frame::Frame(int new_width, int new_height, std::string new_frame_str)
    : width(new_width), height(new_height), frame_str(std::move(new_frame_str)) {}

int Frame::draw(Vector position, Color color, char transparency) const {
    if (frame_str.empty())
        return 0;
    const float half_w = static_cast<float>(width - 1) * 0.5f;
    const float half_h = static_cast<float>(height - 1) * 0.5f;
    DisplayManager &dm = DisplayManager::getInstance();
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            const std::size_t index = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x;
            // A string shorter than width x height (built by hand) must not be read past its end.
            if (index >= frame_str.size())
                return 0;
            const char c = frame_str[index];
            if (transparency != 0 && c == transparency)
                continue;
            const Vector where(position.getX() - half_w + static_cast<float>(x),
                               position.getY() - half_h + static_cast<float>(y));
            if (dm.drawCharacter(where, c, color) != 0)
                return -1;
        }
    }
    return 0;
}

} // namespace nv
