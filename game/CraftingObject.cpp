#include "CraftingObject.h"

#include "EventEscaping.h"
#include "TextBox.h"
#include "world/WorldManager.h"

CraftingObject::CraftingObject() {
    setType(CRAFTING_OBJECT_TYPE);
    setSprite("toothbrush");
    float height = nv::WorldManager::getInstance().getBoundary().getVertical();
    setPosition(nv::Vector(20, height * 0.5f));
}

void CraftingObject::interact() {
    new TextBox({"Item added to inventory."});
    EventEscaping escaping;
    nv::WorldManager::getInstance().onEvent(&escaping);
}
