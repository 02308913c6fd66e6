#pragma once

#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <memory>
#include <string>
#include <vector>

#include "display/DisplayManager.h"
#include "world/WorldTestSupport.h"

namespace display_test {

/// The monospaced bold font the engine ships as nv-font.ttf.
const std::string FONT_PATH = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";

/// Sends the log into a private file, removed at the end, so tests can read what was written.
using LogCapture = world_test::LogCapture;

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

/// Stops the display and world managers and puts the configuration, frame time and drawing modes back.
inline void resetDisplay() {
    nv::DisplayManager &dm = nv::DisplayManager::getInstance();
    nv_test::stopIfStarted(dm);
    dm.setCapture(false);
    dm.setBatching(true);
    nv_test::stopIfStarted(nv::WorldManager::getInstance());
    nv::GameManager::getInstance().setGameOver(false);
    nv::GameManager::getInstance().setFrameTime(nv::FRAME_TIME_DEFAULT);
    nv::Config::getInstance().reset();
}

/// Loads config_text (plus the font), starts the world with an 80 x 24 view and the display.
inline int startDisplay(const std::string &config_text) {
    world_test::resetWorld();
    nv::Config::getInstance().loadConfig("font_file:" + FONT_PATH + "," + config_text);
    const int result = nv::DisplayManager::getInstance().startUp();
    pinGraphicsDrivers();
    return result;
}

/// A fresh 80 x 24 world, a captured log, and the display started headless, collecting what is drawn.
class DisplayTest : public ::testing::Test {
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

    static nv::DisplayManager &dm() { return nv::DisplayManager::getInstance(); }
    /// The characters drawn since the last swap, one string per row.
    static std::vector<std::string> rows() { return dm().getPending().toRows(80, 24); }
    /// One letter per cell for the color drawn there (k r g y b m c w, '?' for others).
    static std::vector<std::string> colors() { return dm().getPending().toColorRows(80, 24); }

    std::unique_ptr<LogCapture> log;
};

} // namespace display_test
