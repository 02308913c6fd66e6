#pragma once

#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <sstream>
#include <string>

#include "core/LogManager.h"
#include "resources/ResourceManager.h"
#include "world/Box.h"
#include "world/WorldManager.h"

namespace nv_fuzz {

/// Sends the log to /dev/null once per process: a fuzz run writes millions of lines nobody reads.
inline void quietLog() {
    static const bool started = [] {
        setenv("NORVANTIS_LOG", "/dev/null", 1);
        return nv::LogManager::getInstance().startUp() == 0;
    }();
    (void)started;
}

/// Starts the resource manager once, with every sprite of the tree loaded under its file name (no ".txt").
inline nv::ResourceManager &resources() {
    quietLog();
    nv::ResourceManager &rm = nv::ResourceManager::getInstance();
    if (!rm.isStarted()) {
        rm.startUp();
        if (DIR *p_dir = opendir(NV_SOURCE_DIR "/sprites")) {
            while (const dirent *p_entry = readdir(p_dir)) {
                const std::string name = p_entry->d_name;
                if (name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0) {
                    rm.loadSprite(NV_SOURCE_DIR "/sprites/" + name, name.substr(0, name.size() - 4));
                }
            }
            closedir(p_dir);
        }
    }
    return rm;
}

/// Starts the world once on an 80 x 24 boundary, with the sprites loaded.
inline void world() {
    resources();
    nv::WorldManager &world = nv::WorldManager::getInstance();
    if (!world.isStarted()) {
        world.startUp();
        world.setBoundary(nv::Box(nv::Vector(0, 0), 80, 24));
    }
}

/// A two-way binary stream holding exactly the input's bytes, as records are read from.
inline std::stringstream streamOf(const std::uint8_t *data, std::size_t size) {
    std::stringstream ss(std::ios::in | std::ios::out | std::ios::binary);
    ss.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    return ss;
}

} // namespace nv_fuzz
