#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <link.h>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "core/Config.h"
#include "core/GameManager.h"
#include "core/LogManager.h"
#include "display/DisplayManager.h"
#include "world/WorldManager.h"

namespace display_test {

/// The monospaced bold font the engine ships as nv-font.ttf.
const std::string FONT_PATH = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";

/// Sends the log into a private file so tests can read what was written.
class LogCapture {
public:
    LogCapture() {
        char name[] = "/tmp/nv-display-log-XXXXXX";
        const int fd = mkstemp(name);
        if (fd >= 0)
            close(fd);
        path = name;
        setenv("NORVANTIS_LOG", path.c_str(), 1);
        nv::LogManager &log = nv::LogManager::getInstance();
        if (log.isStarted())
            log.shutDown();
        log.startUp();
        log.setFlush(true);
        unsetenv("NORVANTIS_LOG");
    }
    ~LogCapture() {
        nv::LogManager &log = nv::LogManager::getInstance();
        if (log.isStarted())
            log.shutDown();
        log.setFlush(false);
        std::remove(path.c_str());
    }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    /// Everything written since the last mark().
    std::string text() const {
        std::ifstream in(path);
        std::stringstream ss;
        ss << in.rdbuf();
        const std::string all = ss.str();
        return all.substr(mark_at < all.size() ? mark_at : all.size());
    }
    /// How many times needle occurs in what was written since the last mark().
    int count(const std::string &needle) const {
        const std::string all = text();
        int n = 0;
        for (auto at = all.find(needle); at != std::string::npos; at = all.find(needle, at + 1))
            n++;
        return n;
    }
    /// Makes text() and count() look only at what is written from now on.
    void mark() {
        std::ifstream in(path);
        std::stringstream ss;
        ss << in.rdbuf();
        mark_at = ss.str().size();
    }

private:
    std::string path;
    std::string::size_type mark_at = 0;
};

/// Keeps the GL driver modules loaded until exit, so the leak checker can still name (and so suppress) the
/// driver's own allocations instead of reporting them from an unknown, already unloaded module.
inline void pinGraphicsDrivers() {
    dl_iterate_phdr(
        [](struct dl_phdr_info *info, std::size_t, void *) {
            const char *name = info->dlpi_name;
            if (name != nullptr && (std::strstr(name, "dri") != nullptr || std::strstr(name, "gallium") != nullptr ||
                                    std::strstr(name, "LLVM") != nullptr))
                dlopen(name, RTLD_LAZY | RTLD_NOLOAD);
            return 0;
        },
        nullptr);
}

/// Stops the display and world managers and puts the configuration and drawing modes back.
inline void resetDisplay() {
    nv::DisplayManager &dm = nv::DisplayManager::getInstance();
    if (dm.isStarted())
        dm.shutDown();
    dm.setCapture(false);
    dm.setBatching(true);
    nv::WorldManager &world = nv::WorldManager::getInstance();
    if (world.isStarted())
        world.shutDown();
    nv::GameManager::getInstance().setGameOver(false);
    nv::Config::getInstance().reset();
}

/// Loads config_text (plus the font), starts the world with an 80 x 24 view and the display.
inline int startDisplay(const std::string &config_text) {
    nv::Config::getInstance().loadConfig("font_file:" + FONT_PATH + "," + config_text);
    nv::WorldManager &world = nv::WorldManager::getInstance();
    world.startUp();
    world.setBoundary(nv::Box(nv::Vector(0, 0), 80, 24));
    world.setView(nv::Box(nv::Vector(0, 0), 80, 24));
    const int result = nv::DisplayManager::getInstance().startUp();
    pinGraphicsDrivers();
    return result;
}

/// Headless display with drawing collected, on a fresh world and a captured log.
class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetDisplay();
        log = std::make_unique<LogCapture>();
        ASSERT_EQ(startDisplay("headless:true,"), 0);
        dm().setCapture(true);
        log->mark();
    }
    void TearDown() override {
        resetDisplay();
        log.reset();
    }

    nv::DisplayManager &dm() { return nv::DisplayManager::getInstance(); }
    std::vector<std::string> rows() const { return nv::DisplayManager::getInstance().getPending().toRows(80, 24); }
    std::vector<std::string> colors() const {
        return nv::DisplayManager::getInstance().getPending().toColorRows(80, 24);
    }

    std::unique_ptr<LogCapture> log;
};

} // namespace display_test
