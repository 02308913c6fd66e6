#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "GameStart.h"
#include "Glyphcage.h"
#include "core/EventStep.h"
#include "core/GameManager.h"
#include "display/DisplayManager.h"
#include "input/EventKeyboard.h"
#include "input/EventMouse.h"
#include "input/InputManager.h"
#include "path/PathManager.h"
#include "resources/ResourceManager.h"
#include "support/TestSupport.h"
#include "world/ObjectList.h"
#include "world/ObjectListIterator.h"
#include "world/WorldManager.h"

namespace glyphcage_test {

/// The engine started headless at 80 x 24 from the repository's root (so the game's relative sprite paths work),
/// drawing into the display's capture so the screen can be read back, with the game's sprites loaded and a
/// controller connected to the three levels. Every test starts fresh managers and stops them all afterwards.
class GlyphcageFixture : public ::testing::Test {
protected:
    /// Extra configuration lines a fixture may add (each "key:value,").
    virtual std::string extraConfig() const { return ""; }
    /// The controller to create; tests of the autoplay swap in their own.
    virtual Glyphcage *makeController() { return new Glyphcage(); }

    void SetUp() override {
        dir = nv_test::makeTempDir("glyphcage-test");
        ASSERT_FALSE(dir.empty());
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof(cwd)), nullptr);
        saved_dir = cwd;
        ASSERT_EQ(chdir(NV_SOURCE_DIR), 0);
        const std::string config = dir + "/nv-config.txt";
        std::ofstream(config) << "headless:true,\nnetworking:false,\nframe_time:33,\nwindow_horizontal_chars:80,\n"
                                 "window_vertical_chars:24,\nrandom_seed:7,\n"
                              << extraConfig();
        log_path = dir + "/game.log";
        setenv("NORVANTIS_CONFIG", config.c_str(), 1);
        setenv("NORVANTIS_LOG", log_path.c_str(), 1);
        // Sound tests need no card: where nothing else is configured, OpenAL plays into its null output.
        if (getenv("ALSOFT_CONF") == nullptr) {
            setenv("ALSOFT_DRIVERS", "null", 0);
        }
        nv::GameManager::getInstance().setGameOver(false);
        ASSERT_EQ(startEngine(), 0);
        nv::DisplayManager::getInstance().setCapture(true);
        loadResources();
        p_controller = makeController();
        connectLevels(p_controller);
    }

    void TearDown() override {
        nv::GameManager::getInstance().shutDown();
        nv::GameManager::getInstance().setGameOver(false);
        nv::DisplayManager::getInstance().setCapture(false);
        unsetenv("NORVANTIS_CONFIG");
        unsetenv("NORVANTIS_LOG");
        if (!saved_dir.empty()) {
            EXPECT_EQ(chdir(saved_dir.c_str()), 0);
        }
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    /// Runs steps as the loop does headless: step event, buffer swap, world update and draw, path searches.
    void step(int count = 1) {
        for (int i = 0; i < count; i++) {
            nv::EventStep event(step_count++);
            nv::GameManager::getInstance().onEvent(&event);
            nv::DisplayManager::getInstance().swapBuffers();
            nv::WorldManager::getInstance().update();
            nv::WorldManager::getInstance().draw();
            nv::PathManager::getInstance().cycle(3);
        }
    }

    /// Raises one keyboard event as the input manager does.
    void key(nv::Key which, nv::KeyboardAction action) {
        nv::EventKeyboard event;
        event.setKey(which);
        event.setKeyboardAction(action);
        nv::InputManager::getInstance().onEvent(&event);
    }

    /// A key going down and coming straight up again.
    void tap(nv::Key which) {
        key(which, nv::KEY_PRESSED);
        key(which, nv::KEY_RELEASED);
    }

    /// Raises one mouse event as the input manager does, at a window cell.
    void mouse(nv::MouseAction action, nv::MouseButton button, float x, float y) {
        nv::EventMouse event;
        event.setMouseAction(action);
        event.setMouseButton(button);
        event.setMousePosition(nv::Vector(x, y));
        nv::InputManager::getInstance().onEvent(&event);
    }

    /// Moves the mouse to a window cell and left-clicks there.
    void clickAt(float x, float y) {
        mouse(nv::MOVED, nv::UNDEFINED_MOUSE_BUTTON, x, y);
        mouse(nv::CLICKED, nv::LEFT, x, y);
    }

    /// The characters drawn in the last step, 80 x 24.
    std::vector<std::string> screen() const { return nv::DisplayManager::getInstance().getPending().toRows(80, 24); }

    /// One color letter per cell drawn in the last step (k r g y b m c w, '.' for nothing).
    std::vector<std::string> colors() const {
        return nv::DisplayManager::getInstance().getPending().toColorRows(80, 24);
    }

    /// True when the text appears on the row of the last drawn screen.
    bool onRow(int row, const std::string &text) const {
        return screen().at(static_cast<std::size_t>(row)).find(text) != std::string::npos;
    }

    /// The column where the text starts on the row, or -1.
    int columnOf(int row, const std::string &text) const {
        std::size_t at = screen().at(static_cast<std::size_t>(row)).find(text);
        return at == std::string::npos ? -1 : static_cast<int>(at);
    }

    /// The active objects whose class is T.
    template <class T> std::vector<T *> objects() const {
        std::vector<T *> found;
        nv::ObjectList all = nv::WorldManager::getInstance().getAllObjects();
        for (nv::ObjectListIterator it(&all); !it.isDone(); it.next()) {
            if (T *p_t = dynamic_cast<T *>(it.currentObject())) {
                found.push_back(p_t);
            }
        }
        return found;
    }

    /// The number of active objects with the type name.
    int countType(const std::string &type) const {
        int n = 0;
        nv::ObjectList all = nv::WorldManager::getInstance().getAllObjects();
        for (nv::ObjectListIterator it(&all); !it.isDone(); it.next()) {
            n += it.currentObject()->getType() == type ? 1 : 0;
        }
        return n;
    }

    /// Presses Enter on the current screen and waits out the two-step transition.
    void enterLevelOne() {
        tap(nv::RETURN);
        step(2);
    }

    /// Jumps the controller straight into a level, as a finished earlier level would.
    void startLevel(int level) {
        p_controller->changeState(PLAYING, level);
        step(2);
    }

    /// The whole log written so far.
    std::string logText() const { return nv_test::fileText(log_path); }

    std::string dir;
    std::string saved_dir;
    std::string log_path;
    Glyphcage *p_controller = nullptr;
    int step_count = 0;
};

} // namespace glyphcage_test
