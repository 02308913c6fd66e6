#include "VentPart.h"

VentPart::VentPart(std::string new_sprite_label, nv::Vector new_corner)
    : sprite_label(new_sprite_label), corner(new_corner) {
    setType("VentPart");
    setSprite(sprite_label);
    // The box is centred on the position, so half the box moves the picture's top-left character onto the corner.
    const nv::Box sprite_box = getBox();
    const double cx = static_cast<double>(corner.getX()) + static_cast<double>(sprite_box.getHorizontal()) * 0.5;
    const double cy = static_cast<double>(corner.getY()) + static_cast<double>(sprite_box.getVertical()) * 0.5;
    corner = nv::Vector(static_cast<float>(cx), static_cast<float>(cy));
    setPosition(corner);
    setSolidness(nv::HARD);
}

VentPart::~VentPart() {}
