#include "Level2.h"

#include "BoilerTimer.h"
#include "EventNextSection.h"
#include "Glyphcage.h"
#include "Prisoner.h"
#include "Vents.h"
#include "display/ViewObject.h"
#include "world/ObjectListIterator.h"
#include "world/WorldManager.h"

Level2::Level2(Glyphcage *new_controller) : section(1), section_count(2), controller(new_controller) {
    setType("level-2");
    setSolidness(nv::SPECTRAL);

    nv::ViewObject *p_title = new nv::ViewObject();
    p_title->setViewString("LEVEL II - THE VENTS");
    p_title->setLocation(nv::BOTTOM_CENTER);
    p_title->setColor(nv::YELLOW);
    p_title->setBorder(false);
    p_title->setDrawValue(false);

    registerInterest(NEXT_SECTION_EVENT);
    new BoilerTimer(controller);
    Vents::build(section);
}

Level2::~Level2() {}

int Level2::eventHandler(const nv::Event *p_e) {
    if (p_e->typeName() != NEXT_SECTION_EVENT) {
        return 0;
    }
    clearSection();
    if (section >= section_count) {
        if (controller != nullptr && controller->getState() == PLAYING) {
            controller->advanceLevel();
        }
        return 1;
    }
    section++;
    Vents::build(section);
    return 1;
}

void Level2::clearSection() {
    nv::WorldManager &world_manager = nv::WorldManager::getInstance();
    nv::ObjectList objects = world_manager.getAllObjects();
    for (nv::ObjectListIterator it(&objects); !it.isDone(); it.next()) {
        nv::Object *p_o = it.currentObject();
        const std::string &type_name = p_o->getType();
        if (type_name == "Vents" || type_name == "VentPart" || type_name == PRISONER_TYPE || type_name == "Exit" ||
            type_name == "Clue") {
            world_manager.markForDelete(p_o);
        }
    }
}
