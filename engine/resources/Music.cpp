#include "resources/Music.h"

#include "core/LogManager.h"

namespace nv {

Music::Music() : label("[Undefined]") {}

void Music::stop() {
    LogManager::getInstance().writeLog(5, "Music::stop(): Stopping music.");
    if (music) {
        music->stop();
    }
}

void Music::release() {
    music.reset();
}

void Music::setLabel(std::string new_label) {
    label = std::move(new_label);
}

std::string Music::getLabel() const {
    return label;
}

} // namespace nv
