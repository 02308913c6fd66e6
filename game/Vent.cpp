#include "Vent.h"

Vent::Vent() {
    setType(CRAFTING_OBJECT_TYPE);
    setSprite("vent");
}
