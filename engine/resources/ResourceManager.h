#pragma once

#include <istream>
#include <memory>
#include <string>

#include "core/Manager.h"
#include "resources/Music.h"
#include "resources/Sound.h"

namespace nv {

class Sprite;

constexpr int MAX_SPRITES = 1000;
constexpr int MAX_SOUNDS = 100;
constexpr int MAX_MUSICS = 50;

/// Owns every loaded sprite, sound and music entry, each found by its label.
class ResourceManager : public Manager {
public:
    /// The one resource manager, created on first use with empty tables.
    static ResourceManager &getInstance();

    ResourceManager(const ResourceManager &) = delete;
    ResourceManager &operator=(const ResourceManager &) = delete;
    ~ResourceManager() override;

    /// Empties the counts and marks the manager started; -1 if it already was.
    int startUp() override;
    /// Deletes every sprite, stops every sound and music entry, marks the manager stopped.
    void shutDown() override;

    /// Reads a sprite file of either format and stores it under label; 0 or -1, nothing stored on failure.
    int loadSprite(std::string filename, std::string label);
    /// The first sprite loaded under label, or null.
    Sprite *getSprite(std::string label) const;

    /// Loads a sound file into the next free sound entry under label; 0 or -1.
    int loadSound(std::string filename, std::string label);
    /// The first loaded sound with label, or null.
    Sound *getSound(std::string label);

    /// Reads a sprite in the simple format from file; null (and messages) when the file is malformed.
    std::unique_ptr<Sprite> loadSimpleSprite(std::istream &file);
    /// Reads a sprite in the sectioned format from file; null (and messages) when the file is malformed.
    std::unique_ptr<Sprite> loadRobustSprite(std::istream &file);

    /// Number of sprites stored.
    int getSpriteCount() const { return sprite_count; }
    /// Number of sounds loaded.
    int getSoundCount() const { return sound_count; }
    /// Number of music entries in use.
    int getMusicCount() const { return music_count; }

private:
    ResourceManager();

    std::unique_ptr<Sprite> sprite[MAX_SPRITES];
    int sprite_count;
    Sound sound[MAX_SOUNDS];
    int sound_count;
    Music music[MAX_MUSICS];
    int music_count;
};

} // namespace nv
