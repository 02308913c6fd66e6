#include "Toilet.h"

#include "TextBox.h"

Toilet::Toilet() : CraftingObject("toilet") {
    setPosition(nv::Vector(40, 10));
}

void Toilet::interact() {
    new TextBox({"This is a toilet.", "It is broken."});
}
