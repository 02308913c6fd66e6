#pragma once

#include <memory>
#include <string>

#include <SFML/Audio/Sound.hpp>
#include <SFML/Audio/SoundBuffer.hpp>

namespace nv {

/// A sound effect decoded into memory, played through one voice. The buffer and the voice are made at the
/// first load, so an unused table entry never touches the audio device.
class Sound {
public:
    Sound();
    ~Sound();
    Sound(const Sound &) = delete;
    Sound &operator=(const Sound &) = delete;

    /// Decodes filename into the buffer and binds the voice to it; 0 or -1 (nothing logged on a bad file).
    int loadSound(std::string filename);
    /// Sets the label the sound is found by.
    void setLabel(std::string new_label);
    /// The label the sound is found by.
    std::string getLabel() const;
    /// Restarts the voice from the beginning, looping when asked; does nothing without a voice.
    void play(bool loop = false);
    /// Silences the voice; does nothing without one.
    void stop();
    /// Frees the voice and the samples; the label stays, and play() does nothing until the next load.
    void release();
    /// Whether the voice is sounding right now.
    bool isPlaying() const;
    /// Whether the voice repeats when it reaches the end.
    bool isLooping() const;

private:
    std::unique_ptr<sf::Sound> m_p_sound;
    std::unique_ptr<sf::SoundBuffer> sound_buffer;
    std::string label;
};

} // namespace nv
