#pragma once

#include <string>

#include <SFML/Audio/Music.hpp>

namespace nv {

/// A streamed music entry; the engine only ever stops it.
class Music {
public:
    Music();
    Music(const Music &) = delete;
    Music &operator=(const Music &) = delete;

    /// Stops the stream.
    void stop();
    /// Sets the label the music is found by.
    void setLabel(std::string new_label);
    /// The label the music is found by.
    std::string getLabel() const;

private:
    sf::Music music;
    std::string label;
};

} // namespace nv
