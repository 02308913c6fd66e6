#include "Clue.h"

Clue::Clue(std::string new_sprite_label, nv::Vector centre) : sprite_label(new_sprite_label) {
    setType("Clue");
    setPosition(centre);
    setSolidness(nv::SOFT);
    setSprite(sprite_label);
}

Clue::~Clue() {}
