#include "resources/Sound.h"

namespace nv {

Sound::Sound() : label("[Undefined]") {}

Sound::~Sound() {
    m_p_sound.reset();
}

int Sound::loadSound(std::string) {
    return -1;
}

void Sound::setLabel(std::string new_label) {
    label = new_label;
}

std::string Sound::getLabel() const {
    return label;
}

void Sound::play(bool) {}

void Sound::stop() {}

bool Sound::isPlaying() const {
    return false;
}

bool Sound::isLooping() const {
    return false;
}

} // namespace nv
