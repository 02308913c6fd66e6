#pragma once

#include <memory>
#include <string>

#include <SFML/Audio/Music.hpp>

namespace nv {

/// A streamed music entry; the engine only ever stops it. The stream is made on first use, so the empty table
/// never opens the audio device.
class Music {
public:
    Music();
    Music(const Music &) = delete;
    Music &operator=(const Music &) = delete;

    /// Stops the stream.
    void stop();
    /// Frees the stream, if one was made.
    void release();
    /// Sets the label the music is found by.
    void setLabel(std::string new_label);
    /// The label the music is found by.
    std::string getLabel() const;

private:
    std::unique_ptr<sf::Music> music;
    std::string label;
};

} // namespace nv
