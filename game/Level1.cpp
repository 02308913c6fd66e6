#include "Level1.h"
#include "core/Event.h"

#include "Bars.h"
#include "Countdown.h"
#include "EventEscaping.h"
#include "Glyphcage.h"
#include "Player.h"
#include "Toilet.h"
#include "Vent.h"
#include "display/ViewObject.h"

Level1::Level1(Glyphcage *new_controller) : controller(new_controller) {
    setType("Level1");
    setSolidness(nv::SPECTRAL);
    setVisible(false);
    registerInterest(ESCAPE_EVENT);

    new Player();
    new Vent();
    new Toilet();
    new Countdown();

    nv::ViewObject *p_title = new nv::ViewObject();
    p_title->setViewString("LEVEL I - THE CELL");
    p_title->setLocation(nv::BOTTOM_CENTER);
    p_title->setColor(nv::YELLOW);
    p_title->setBorder(false);
    p_title->setDrawValue(false);

    for (int x = 5; x <= 77; x += 9) {
        new Bars(static_cast<float>(x));
    }
}

Level1::~Level1() {}

int Level1::eventHandler(const nv::Event *p_e) {
    if (p_e->typeName() == ESCAPE_EVENT && controller != nullptr && controller->getState() == PLAYING) {
        controller->advanceLevel();
        return 1;
    }
    return 0;
}
