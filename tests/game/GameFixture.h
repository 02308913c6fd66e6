#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "AutoPilot.h"
#include "BoilerTimer.h"
#include "Countdown.h"
#include "CrawlPathFind.h"
#include "EventEscaping.h"
#include "GameStart.h"
#include "Guard.h"
#include "Level1.h"
#include "Level2.h"
#include "Level3.h"
#include "Lightning.h"
#include "Player.h"
#include "Prisoner.h"
#include "Raft.h"
#include "Shark.h"
#include "TextBox.h"
#include "Vent.h"
#include "core/EventStep.h"
#include "core/GameManager.h"
#include "display/DisplayManager.h"
#include "display/Sprite.h"
#include "input/InputManager.h"
#include "resources/ResourceManager.h"
#include "support/TestSupport.h"
#include "world/EventCollision.h"
#include "world/ObjectListIterator.h"
#include "world/WorldManager.h"

/// The engine headless at 80 x 24 in the checkout (the game reads its files by relative path), drawing into the
/// display's capture, with the game's sprites loaded and a controller joined to the three levels. Each test
/// starts every manager afresh and stops them all afterwards, so no singleton state leaks between tests.
class GameTest : public ::testing::Test {
protected:
    virtual Glyphcage *makeController() { return new Glyphcage(); }

    void SetUp() override {
        ASSERT_EQ(chdir(NV_SOURCE_DIR), 0);
        std::ofstream(dir + "/nv-config.txt")
            << "headless:true,\nnetworking:false,\nframe_time:33,\n"
               "window_horizontal_chars:80,\nwindow_vertical_chars:24,\nrandom_seed:7,\n";
        setenv("ALSOFT_DRIVERS", "null", 0);
        nv::GameManager::getInstance().setGameOver(false);
        ASSERT_EQ(startEngine(), 0);
        nv::DisplayManager::getInstance().setCapture(true);
        loadResources();
        connectLevels(p_controller = makeController());
    }

    void TearDown() override { nv::GameManager::getInstance().shutDown(); }

    /// Runs steps as the headless loop does: step event, buffer swap, world update and draw (the game never
    /// hands the path manager a search).
    void step(int count = 1) {
        for (int i = 0; i < count; i++) {
            nv::EventStep event(step_count++);
            nv::GameManager::getInstance().onEvent(&event);
            nv::DisplayManager::getInstance().swapBuffers();
            nv::WorldManager::getInstance().update();
            nv::WorldManager::getInstance().draw();
        }
    }

    /// Raises the keyboard event the input manager raises for each key named: W A S D Z Q, '\n' Enter, '\x1b' Escape.
    void key(const std::string &keys, nv::KeyboardAction action = nv::KEY_PRESSED) {
        const std::string names = "WASDZQ\n\x1b";
        const nv::Key codes[] = {nv::W, nv::A, nv::S, nv::D, nv::Z, nv::Q, nv::RETURN, nv::ESCAPE};
        for (char c : keys) {
            nv::EventKeyboard event;
            event.setKey(codes[names.find(c)]);
            event.setKeyboardAction(action);
            nv::InputManager::getInstance().onEvent(&event);
        }
    }

    /// Holds the keys for count steps as the input manager reports keys held: down before every step.
    void hold(const std::string &keys, int count) {
        for (int i = 0; i < count; i++) {
            key(keys, nv::KEY_DOWN);
            step();
        }
    }

    void mouse(nv::MouseAction action, nv::MouseButton button, float x, float y) {
        nv::EventMouse event;
        event.setMouseAction(action);
        event.setMouseButton(button);
        event.setMousePosition(nv::Vector(x, y));
        nv::InputManager::getInstance().onEvent(&event);
    }

    /// A row of the last screen drawn, or its colors, one letter per cell (k r g y b m c w, '.').
    std::string row(int at) const { return nv::DisplayManager::getInstance().getPending().toRows(80, 24).at(at); }
    char color(int at, int column) const {
        return nv::DisplayManager::getInstance().getPending().toColorRows(80, 24).at(at).at(column);
    }
    int columnOf(int at, const std::string &text) const { return static_cast<int>(row(at).find(text)); }

    /// The objects of class T with the type name (any if empty), the active ones only unless inactive is set.
    template <class T = nv::Object>
    std::vector<T *> objects(const std::string &type = "", bool inactive = false) const {
        std::vector<T *> found;
        nv::ObjectList all = nv::WorldManager::getInstance().getAllObjects(inactive);
        for (nv::ObjectListIterator it(&all); !it.isDone(); it.next()) {
            T *p_t = dynamic_cast<T *>(it.currentObject());
            if (p_t != nullptr && (type.empty() || p_t->getType() == type)) {
                found.push_back(p_t);
            }
        }
        return found;
    }

    /// Takes the controller into a level through its own two-step transition.
    void startLevel(int level) {
        p_controller->changeState(PLAYING, level);
        step(2);
    }

    std::string logText() const { return nv_test::fileText(dir + "/game.log"); }

    nv_test::TempDir tmp{"glyphcage-test"};
    std::string dir = tmp.path;
    nv_test::ScopedEnv config{"NORVANTIS_CONFIG", dir + "/nv-config.txt"}, log{"NORVANTIS_LOG", dir + "/game.log"};
    Glyphcage *p_controller = nullptr;
    int step_count = 0;
};
