#pragma once

#include <sstream>
#include <string>

namespace nv {

/// A point or a direction in world cells, x to the right and y downward.
class Vector {
public:
    /// A vector with the given coordinates.
    Vector(float init_x, float init_y);
    /// The zero vector (0, 0).
    Vector();

    /// Horizontal coordinate.
    float getX() const { return x; }
    /// Vertical coordinate (row, grows downwards).
    float getY() const { return y; }
    /// Sets the horizontal coordinate.
    void setX(float new_x) { x = new_x; }
    /// Sets the vertical coordinate.
    void setY(float new_y) { y = new_y; }
    /// Sets both coordinates at once.
    void setXY(float new_x, float new_y);

    /// Euclidean length.
    float getMagnitude() const;
    /// Scales to unit length; a zero vector stays zero.
    void normalize();
    /// Multiplies both coordinates by s.
    void scale(float s);

    /// Component-wise sum.
    Vector operator+(const Vector &other) const;
    /// Component-wise difference.
    Vector operator-(const Vector &other) const;
    /// Adds other in place.
    Vector &operator+=(const Vector &other);
    /// Exact comparison of both coordinates.
    bool operator==(const Vector &other) const;
    /// Negation of operator==.
    bool operator!=(const Vector &other) const;

    /// Text form "(x,y)" with default float formatting.
    std::string toString() const;
    /// Writes x then y as raw little-endian floats; 0 or -1.
    int serialize(std::stringstream *p_ss) const;
    /// Reads x then y; 0 or -1 (values read so far are kept).
    int deserialize(std::stringstream *p_ss);

private:
    float x;
    float y;
};

} // namespace nv
