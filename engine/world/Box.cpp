#include "world/Box.h"

#include "world/utility.h"

namespace nv {

Box::Box(Vector init_corner, float init_horizontal, float init_vertical)
    : corner(init_corner), horizontal(init_horizontal), vertical(init_vertical) {}

Box::Box() : corner(), horizontal(0.0f), vertical(0.0f) {}

bool Box::operator==(const Box &other) const {
    return corner == other.corner && horizontal == other.horizontal && vertical == other.vertical;
}

bool Box::operator!=(const Box &other) const {
    return !(*this == other);
}

std::string Box::toString() const {
    return corner.toString() + " h: " + floatToString(horizontal) + " v: " + floatToString(vertical);
}

int Box::serialize(std::stringstream *p_ss) const {
    if (p_ss == nullptr) {
        return -1;
    }
    corner.serialize(p_ss);
    p_ss->write(reinterpret_cast<const char *>(&horizontal), sizeof(horizontal));
    p_ss->write(reinterpret_cast<const char *>(&vertical), sizeof(vertical));
    return checkStream("Box::serialize()", p_ss);
}

int Box::deserialize(std::stringstream *p_ss) {
    if (p_ss == nullptr) {
        return -1;
    }
    // The stream's error state is sticky, so the final check also covers the corner.
    corner.deserialize(p_ss);
    float value = 0.0f;
    if (p_ss->read(reinterpret_cast<char *>(&value), sizeof(value))) {
        horizontal = value;
        if (p_ss->read(reinterpret_cast<char *>(&value), sizeof(value))) {
            vertical = value;
        }
    }
    return checkStream("Box::deserialize()", p_ss);
}

} // namespace nv
