#include "display/Color.h"

#include "core/LogManager.h"

namespace nv {

namespace {

struct ColorEntry {
    unsigned char r;
    unsigned char g;
    unsigned char b;
    const char *name;
};

const ColorEntry COLOR_TABLE[] = {
    {0, 0, 0, "Black"},  {255, 0, 0, "Red"},       {0, 255, 0, "Green"},  {255, 255, 0, "Yellow"},
    {0, 0, 255, "Blue"}, {255, 0, 255, "Magenta"}, {0, 255, 255, "Cyan"}, {255, 255, 255, "White"},
};

bool isNamed(Color color) {
    return static_cast<int>(color) >= BLACK && static_cast<int>(color) <= WHITE;
}

} // namespace

void colorToRGB(Color color, unsigned char &r, unsigned char &g, unsigned char &b) {
    if (isNamed(color)) {
        r = COLOR_TABLE[color].r;
        g = COLOR_TABLE[color].g;
        b = COLOR_TABLE[color].b;
        return;
    }
    if (color != CUSTOM)
        LogManager::getInstance().writeLog(5, "colorToRGB(): Color %d not supported.", static_cast<int>(color));
}

sf::Color colorToSFML(Color color) {
    if (isNamed(color))
        return sf::Color(COLOR_TABLE[color].r, COLOR_TABLE[color].g, COLOR_TABLE[color].b, 255);
    if (color == CUSTOM)
        LogManager::getInstance().writeLog(5, "colorToSFML(): Color is CUSTOM.");
    else
        LogManager::getInstance().writeLog(5, "colorToSFML(): Color %d not supported.", static_cast<int>(color));
    return sf::Color(255, 255, 255, 255);
}

std::string colorToString(Color color) {
    if (isNamed(color))
        return COLOR_TABLE[color].name;
    return "Unknown color";
}

} // namespace nv
