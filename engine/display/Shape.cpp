#include "display/Shape.h"

#include <algorithm>
#include <cstdio>

#include <SFML/Graphics/CircleShape.hpp>

#include "core/Config.h"
#include "core/LogManager.h"
#include "display/DisplayManager.h"
#include "display/SfmlBridge.h"
#include "world/utility.h"

namespace nv {

std::string shapeTypeToString(ShapeType type) {
    switch (type) {
    case CIRCLE:
        return "circle";
    case SQUARE:
        return "square";
    case TRIANGLE:
        return "triangle";
    default:
        return "undefined";
    }
}

Shape::Shape()
    : color(WHITE), r(255), g(255), b(255), type(CIRCLE),
      size(Config::getInstance().getFontScale() *
           static_cast<float>(static_cast<int>(std::min(charWidth(), charHeight())))),
      alpha(255) {}

void Shape::setType(int new_type) {
    if (new_type < UNDEFINED_SHAPE || new_type > TRIANGLE) {
        LogManager::getInstance().writeLog("Shape::setType(): Unknown shape type %d. Ignoring.", new_type);
        return;
    }
    type = static_cast<ShapeType>(new_type);
}

void Shape::setRGB(unsigned char new_r, unsigned char new_g, unsigned char new_b) {
    r = new_r;
    g = new_g;
    b = new_b;
}

void Shape::getRGB(unsigned char &out_r, unsigned char &out_g, unsigned char &out_b) const {
    out_r = r;
    out_g = g;
    out_b = b;
}

void Shape::draw(Vector world_pos) {
    DisplayManager &dm = DisplayManager::getInstance();
    sf::RenderWindow *p_window = dm.getWindow();
    if (p_window == nullptr) {
        LogManager::getInstance().writeLog(5, "Shape::draw(): DisplayManager window not defined.");
        return;
    }
    const Vector pixel = spacesToPixels(worldToView(world_pos));
    static sf::CircleShape circle(0.f, 30);
    if (color != CUSTOM)
        colorToRGB(color, r, g, b);
    circle.setFillColor(sf::Color(r, g, b, alpha));
    const float s = size;
    float font_scale = Config::getInstance().getFontScale();
    // A zero scale would make the square's radius infinite.
    if (font_scale == 0.0f)
        font_scale = 1.0f;
    switch (type) {
    case CIRCLE: {
        int points = static_cast<int>(std::max(3.0f, std::min(10.0f, s)));
        circle.setPointCount(static_cast<std::size_t>(points));
        circle.setRadius(s);
        SfmlBridge::setRotation(circle, 0.f);
        circle.setPosition(sf::Vector2f(pixel.getX() - s * 0.5f, pixel.getY() - s * 0.5f));
        break;
    }
    case SQUARE:
        circle.setPointCount(4);
        circle.setRadius(s / font_scale);
        SfmlBridge::setRotation(circle, 45.f);
        circle.setPosition(sf::Vector2f(pixel.getX() + s * 0.5f, pixel.getY() - s / 1.75f));
        break;
    case TRIANGLE:
        circle.setPointCount(3);
        circle.setRadius(s * 0.5f);
        SfmlBridge::setRotation(circle, 0.f);
        circle.setPosition(sf::Vector2f(pixel.getX() - s * 0.5f, pixel.getY() - s * 0.5f));
        break;
    default:
        return;
    }
    LogManager::getInstance().writeLog(25, "Shape::draw(): Drawing at (%.2f, %.2f)", static_cast<double>(pixel.getX()),
                                       static_cast<double>(pixel.getY()));
    // Cells drawn earlier this step must land under the shape, as their order says.
    dm.flush();
    p_window->draw(circle);
}

std::string Shape::toString() const {
    char size_text[64];
    std::snprintf(size_text, sizeof(size_text), "%f", static_cast<double>(size));
    return shapeTypeToString(type) + ", size " + size_text + ", " + colorToString(color) + ", " +
           std::to_string(static_cast<int>(alpha));
}

int Shape::serialize(std::stringstream *p_ss) const {
    const int type_value = static_cast<int>(type);
    const int color_value = static_cast<int>(color);
    p_ss->write(reinterpret_cast<const char *>(&type_value), sizeof(type_value));
    p_ss->write(reinterpret_cast<const char *>(&size), sizeof(size));
    p_ss->write(reinterpret_cast<const char *>(&color_value), sizeof(color_value));
    p_ss->write(reinterpret_cast<const char *>(&alpha), sizeof(alpha));
    return checkStream("Shape::serialize()", p_ss);
}

int Shape::deserialize(std::stringstream *p_ss) {
    int type_value = 0;
    float size_value = 0.f;
    int color_value = 0;
    unsigned char alpha_value = 0;
    p_ss->read(reinterpret_cast<char *>(&type_value), sizeof(type_value));
    p_ss->read(reinterpret_cast<char *>(&size_value), sizeof(size_value));
    p_ss->read(reinterpret_cast<char *>(&color_value), sizeof(color_value));
    p_ss->read(reinterpret_cast<char *>(&alpha_value), sizeof(alpha_value));
    const int result = checkStream("Shape::deserialize()", p_ss);
    if (result != 0)
        return result;
    // A record from outside may carry any number; only known types and colors are taken.
    if (type_value >= UNDEFINED_SHAPE && type_value <= TRIANGLE)
        type = static_cast<ShapeType>(type_value);
    size = size_value;
    if (color_value >= BLACK && color_value <= CUSTOM)
        color = static_cast<Color>(color_value);
    alpha = alpha_value;
    return 0;
}

} // namespace nv
