#include "LightningCloud.h"

LightningCloud::LightningCloud(nv::Vector where) {
    setType("LightningCloud");
    setSprite("cloud");
    setSolidness(nv::SPECTRAL);
    setAltitude(4);
    setPosition(where);
}
