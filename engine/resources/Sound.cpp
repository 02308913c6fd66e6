#include "resources/Sound.h"

#include <new>

#include "core/LogManager.h"
#include "display/SfmlBridge.h"

namespace nv {

Sound::Sound() : label("[Undefined]") {}

Sound::~Sound() {
    // The voice refers to the buffer, so it goes first.
    m_p_sound.reset();
}

int Sound::loadSound(std::string filename) {
    if (m_p_sound) {
        // A voice still playing the old samples must not read the buffer while it is refilled.
        m_p_sound->stop();
    }
    if (!sound_buffer) {
        sound_buffer.reset(new (std::nothrow) sf::SoundBuffer());
        if (!sound_buffer) {
            return -1;
        }
    }
    if (!SfmlBridge::loadSoundBuffer(*sound_buffer, filename)) {
        return -1;
    }
    if (!m_p_sound) {
        m_p_sound = SfmlBridge::makeSound(*sound_buffer);
        if (!m_p_sound) {
            LogManager::getInstance().writeLog("Sound::loadSound(): Error! Cannot allocate m_p_sound.");
            return -1;
        }
    } else {
        SfmlBridge::setSoundBuffer(*m_p_sound, *sound_buffer);
    }
    return 0;
}

void Sound::setLabel(std::string new_label) {
    label = std::move(new_label);
}

std::string Sound::getLabel() const {
    return label;
}

void Sound::play(bool loop) {
    LogManager::getInstance().writeLog(5, "Sound::play(): Playing sound.");
    if (m_p_sound) {
        m_p_sound->play();
        SfmlBridge::setLooping(*m_p_sound, loop);
    }
}

void Sound::stop() {
    if (m_p_sound) {
        m_p_sound->stop();
    }
}

void Sound::release() {
    // The voice refers to the buffer, so it goes first.
    m_p_sound.reset();
    sound_buffer.reset();
}

bool Sound::isPlaying() const {
    return m_p_sound && SfmlBridge::isPlaying(*m_p_sound);
}

bool Sound::isLooping() const {
    return m_p_sound && SfmlBridge::isLooping(*m_p_sound);
}

} // namespace nv
