#include "Reticle.h"
#include "core/Event.h"

#include "CraftingObject.h"
#include "display/DisplayManager.h"
#include "input/EventMouse.h"
#include "world/ObjectList.h"
#include "world/ObjectListIterator.h"
#include "world/WorldManager.h"

Reticle::Reticle() {
    setType("Reticle");
    setSolidness(nv::SPECTRAL);
    setAltitude(4);
    registerInterest(nv::MOUSE_EVENT);
}

Reticle::~Reticle() {}

int Reticle::eventHandler(const nv::Event *p_e) {
    if (p_e->typeName() != nv::MOUSE_EVENT) {
        return 0;
    }
    const nv::EventMouse *p_mouse = dynamic_cast<const nv::EventMouse *>(p_e);
    if (p_mouse == nullptr) {
        return 0;
    }
    if (p_mouse->getMouseAction() == nv::MOVED) {
        setPosition(p_mouse->getMousePosition());
        return 1;
    }
    if (p_mouse->getMouseAction() == nv::CLICKED && p_mouse->getMouseButton() == nv::LEFT) {
        nv::ObjectList under = nv::WorldManager::getInstance().getCollisions(this, getPosition());
        for (nv::ObjectListIterator it(&under); !it.isDone(); it.next()) {
            nv::Object *p_o = it.currentObject();
            if (p_o->getType() != CRAFTING_OBJECT_TYPE) {
                continue;
            }
            // Something used earlier in this click may have ended the level; what it took down is not used.
            CraftingObject *p_usable = dynamic_cast<CraftingObject *>(p_o);
            if (p_usable != nullptr && p_usable->isActive()) {
                p_usable->interact();
            }
        }
        return 1;
    }
    return 0;
}

int Reticle::draw() {
    return nv::DisplayManager::getInstance().drawCharacter(getPosition(), '+', nv::WHITE);
}
