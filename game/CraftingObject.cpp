#include "CraftingObject.h"

#include "EventEscaping.h"
#include "TextBox.h"
#include "world/WorldManager.h"

CraftingObject::CraftingObject(const std::string &sprite_label) {
    setType(CRAFTING_OBJECT_TYPE);
    // Only the loaded pictures are asked for: a label that is not loaded is logged as missing on every run.
    if (!sprite_label.empty()) {
        setSprite(sprite_label);
    }
    float height = nv::WorldManager::getInstance().getBoundary().getVertical();
    setPosition(nv::Vector(20, height * 0.5f));
}

void CraftingObject::interact() {
    new TextBox({"Item added to inventory."});
    EventEscaping escaping;
    nv::WorldManager::getInstance().onEvent(&escaping);
}
