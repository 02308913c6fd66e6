#include "Vent.h"

Vent::Vent() : CraftingObject("vent") {}
