#include "Bars.h"

Bars::Bars(float x) {
    setType("Bars");
    setSprite("bars");
    setPosition(nv::Vector(x, 1));
}
