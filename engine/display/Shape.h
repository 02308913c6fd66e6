#pragma once

#include <sstream>
#include <string>

#include "display/Color.h"
#include "world/Vector.h"

namespace nv {

enum ShapeType {
    UNDEFINED_SHAPE = -1,
    CIRCLE = 0,
    SQUARE = 1,
    TRIANGLE = 2,
};

/// "undefined", "circle", "square" or "triangle" ("undefined" for any other value).
std::string shapeTypeToString(ShapeType type);

/// A filled regular polygon drawn in pixel units around an object's position.
class Shape {
public:
    /// A white opaque circle sized from the cell size and font scale.
    Shape();

    /// Stores a type from -1 to 2; anything else is logged and ignored.
    void setType(int new_type);
    /// The kind of polygon.
    ShapeType getType() const { return type; }
    /// Sets the size in pixels.
    void setSize(float new_size) { size = new_size; }
    /// Size in pixels.
    float getSize() const { return size; }
    /// Sets the fill color (CUSTOM keeps the stored components).
    void setColor(Color new_color) { color = new_color; }
    /// The fill color.
    Color getColor() const { return color; }
    /// Sets the fill components used when the color is CUSTOM.
    void setRGB(unsigned char new_r, unsigned char new_g, unsigned char new_b);
    /// The fill components last used or set.
    void getRGB(unsigned char &out_r, unsigned char &out_g, unsigned char &out_b) const;
    /// Sets the fill opacity.
    void setAlpha(unsigned char new_alpha) { alpha = new_alpha; }
    /// The fill opacity.
    unsigned char getAlpha() const { return alpha; }

    /// Draws the shape into the window around world_pos; does nothing without a window.
    void draw(Vector world_pos);
    /// "TYPE, size S, COLOR, ALPHA".
    std::string toString() const;
    /// Writes type, size, color and alpha; 0 or -1.
    int serialize(std::stringstream *p_ss) const;
    /// Reads type, size, color and alpha; 0 or -1.
    int deserialize(std::stringstream *p_ss);

private:
    Color color;
    unsigned char r;
    unsigned char g;
    unsigned char b;
    ShapeType type;
    float size;
    unsigned char alpha;
};

} // namespace nv
