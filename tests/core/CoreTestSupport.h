#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/Config.h"
#include "core/GameManager.h"
#include "core/LogManager.h"
#include "world/WorldManager.h"

namespace nv_test {

/// A fresh directory under the system temp folder, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "nv-core-XXXXXX").string();
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        const char *made = mkdtemp(buf.data());
        path = made != nullptr ? std::string(made) : std::string();
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    std::string file(const std::string &name) const { return path + "/" + name; }

    std::string write(const std::string &name, const std::string &content) const {
        const std::string full = file(name);
        std::ofstream out(full, std::ios::binary);
        out << content;
        return full;
    }

    std::string path;
};

/// Sets (or unsets) an environment variable and puts the old value back when it goes.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const std::optional<std::string> &value) : m_name(name) {
        const char *old = std::getenv(name);
        if (old != nullptr) {
            m_old = std::string(old);
        }
        if (value) {
            setenv(name, value->c_str(), 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (m_old) {
            setenv(m_name.c_str(), m_old->c_str(), 1);
        } else {
            unsetenv(m_name.c_str());
        }
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

inline std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> result;
    std::stringstream ss(text);
    std::string line;
    while (std::getline(ss, line)) {
        result.push_back(line);
    }
    return result;
}

/// Puts the log manager, the configuration and the game manager back to their first-use state; the world
/// manager's objects are deleted.
inline void resetCoreSingletons() {
    nv::GameManager &game_manager = nv::GameManager::getInstance();
    if (game_manager.isStarted()) {
        game_manager.shutDown();
    }
    if (nv::WorldManager::getInstance().isStarted()) {
        nv::WorldManager::getInstance().shutDown();
    }
    game_manager.setGameOver(false);
    game_manager.setFrameTime(nv::FRAME_TIME_DEFAULT);
    nv::LogManager &log_manager = nv::LogManager::getInstance();
    if (log_manager.isStarted()) {
        log_manager.shutDown();
    }
    log_manager.setFlush(false);
    nv::Config::getInstance().reset();
    nv::match("reset:", "");
}

/// Starts the world manager so that objects can be made; resetCoreSingletons() deletes them again.
inline void startWorld() {
    if (!nv::WorldManager::getInstance().isStarted()) {
        nv::WorldManager::getInstance().startUp();
    }
}

} // namespace nv_test
