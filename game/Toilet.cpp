#include "Toilet.h"

#include "TextBox.h"

Toilet::Toilet() {
    setType(CRAFTING_OBJECT_TYPE);
    setSprite("toilet");
    setPosition(nv::Vector(40, 10));
}

void Toilet::interact() {
    new TextBox({"This is a toilet.", "It is broken."});
}
