#include "resources/Music.h"

namespace nv {

Music::Music() : label("[Undefined]") {}

void Music::stop() {}

void Music::setLabel(std::string new_label) {
    label = new_label;
}

std::string Music::getLabel() const {
    return label;
}

} // namespace nv
