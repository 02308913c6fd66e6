#pragma once

#include <string>

#include <SFML/Graphics/Color.hpp>

namespace nv {

enum Color {
    BLACK = 0,
    RED = 1,
    GREEN = 2,
    YELLOW = 3,
    BLUE = 4,
    MAGENTA = 5,
    CYAN = 6,
    WHITE = 7,
    CUSTOM = 8,
};

enum Justification {
    JUSTIFY_LEFT = 0,
    JUSTIFY_CENTER = 1,
    JUSTIFY_RIGHT = 2,
};

/// Writes the table's components for colors 0..7; leaves r, g, b untouched for anything else.
void colorToRGB(Color color, unsigned char &r, unsigned char &g, unsigned char &b);
/// The table's color with alpha 255; opaque white for CUSTOM and unknown values.
sf::Color colorToSFML(Color color);
/// The table's name, or "Unknown color".
std::string colorToString(Color color);

} // namespace nv
