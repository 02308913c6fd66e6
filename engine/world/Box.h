#pragma once

#include <sstream>
#include <string>

#include "world/Vector.h"

namespace nv {

/// A rectangle of world cells: its top-left corner and its horizontal and vertical extents.
class Box {
public:
    /// A box with the given top-left corner and extents.
    Box(Vector init_corner, float init_horizontal, float init_vertical);
    /// A box at (0, 0) with both extents 0.
    Box();

    /// Top-left corner.
    Vector getCorner() const { return corner; }
    /// Sets the top-left corner.
    void setCorner(Vector new_corner) { corner = new_corner; }
    /// Width (extent along x).
    float getHorizontal() const { return horizontal; }
    /// Sets the width.
    void setHorizontal(float new_horizontal) { horizontal = new_horizontal; }
    /// Height (extent along y).
    float getVertical() const { return vertical; }
    /// Sets the height.
    void setVertical(float new_vertical) { vertical = new_vertical; }

    /// Corners equal and both extents exactly equal.
    bool operator==(const Box &other) const;
    /// Negation of operator==.
    bool operator!=(const Box &other) const;

    /// Text form "(x,y) h: H v: V".
    std::string toString() const;
    /// Writes corner, horizontal, vertical (16 bytes); 0 or -1.
    int serialize(std::stringstream *p_ss) const;
    /// Reads corner, horizontal, vertical; 0 or -1.
    int deserialize(std::stringstream *p_ss);

private:
    Vector corner;
    float horizontal;
    float vertical;
};

} // namespace nv
