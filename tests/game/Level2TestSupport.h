#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "GameStart.h"
#include "Glyphcage.h"
#include "Level2.h"
#include "core/EventStep.h"
#include "core/GameManager.h"
#include "input/EventKeyboard.h"
#include "input/InputManager.h"
#include "resources/ResourceManager.h"
#include "support/TestSupport.h"
#include "world/ObjectList.h"
#include "world/ObjectListIterator.h"
#include "world/WorldManager.h"

namespace level2_test {

/// The sprite labels the vents use; each lives in sprites/<label>.txt.
inline const std::vector<std::string> &ventSpriteLabels() {
    static const std::vector<std::string> labels = {
        "vents1_AL",  "vents1_AR",     "vents1_BL",       "vents1_BR",        "vents1_C",
        "vents1_DL",  "vents1_DR",     "vents1_E",        "vents1_F",         "vents2_A",
        "vents2_B",   "vents2_C",      "vents2_D",        "vents2_E",         "vents2_F",
        "vents2_G",   "vents2_H",      "clue_fork",       "clue_smile",       "clue_can",
        "clue_arrow", "v_prisoner_up", "v_prisoner_down", "v_prisoner_right", "v_prisoner_left"};
    return labels;
}

/// The repository's copy of a vents sprite file.
inline std::string spritePath(const std::string &label) {
    return std::string(NV_SOURCE_DIR) + "/sprites/" + label + ".txt";
}

/// The whole engine started headless at 80 x 24 with the vents' real sprites loaded, and a controller whose
/// levels are connected as in the game; each test starts from fresh managers and stops them all afterwards.
class VentsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        dir = nv_test::makeTempDir("nv-vents");
        ASSERT_FALSE(dir.empty());
        const std::string config = dir + "/nv-config.txt";
        std::ofstream(config) << "headless:true,\nnetworking:false,\nframe_time:33,\nwindow_horizontal_chars:80,\n"
                                 "window_vertical_chars:24,\n";
        setenv("NORVANTIS_CONFIG", config.c_str(), 1);
        setenv("NORVANTIS_LOG", (dir + "/vents.log").c_str(), 1);
        nv::GameManager &game_manager = nv::GameManager::getInstance();
        game_manager.setGameOver(false);
        ASSERT_EQ(game_manager.startUp(), 0);
        game_manager.setFrameTime(33);
        for (const std::string &label : ventSpriteLabels()) {
            ASSERT_EQ(nv::ResourceManager::getInstance().loadSprite(spritePath(label), label), 0) << label;
        }
        p_controller = new Glyphcage();
        connectLevels(p_controller);
    }

    void TearDown() override {
        nv::GameManager::getInstance().shutDown();
        nv::GameManager::getInstance().setGameOver(false);
        unsetenv("NORVANTIS_CONFIG");
        unsetenv("NORVANTIS_LOG");
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    /// One step as the loop runs it headless: the step event, then the world's move, delete and draw.
    void step() {
        nv::EventStep event(step_count++);
        nv::GameManager::getInstance().onEvent(&event);
        nv::WorldManager::getInstance().update();
        nv::WorldManager::getInstance().draw();
    }

    void steps(int n) {
        for (int i = 0; i < n; i++) {
            step();
        }
    }

    /// Delivers a keyboard event the way the input manager raises it.
    void key(nv::Key k, nv::KeyboardAction action) {
        nv::EventKeyboard event;
        event.setKey(k);
        event.setKeyboardAction(action);
        nv::InputManager::getInstance().onEvent(&event);
    }

    /// Takes the controller into level 2 through its own transition, as when level 1 is completed.
    Level2 *enterLevel2() {
        p_controller->changeState(PLAYING, 2);
        steps(2);
        EXPECT_EQ(p_controller->getState(), PLAYING);
        return dynamic_cast<Level2 *>(only("level-2"));
    }

    /// Active objects of a type name.
    static std::vector<nv::Object *> ofType(const std::string &type) {
        std::vector<nv::Object *> found;
        nv::ObjectList all = nv::WorldManager::getInstance().getAllObjects();
        for (nv::ObjectListIterator it(&all); !it.isDone(); it.next()) {
            if (it.currentObject()->getType() == type) {
                found.push_back(it.currentObject());
            }
        }
        return found;
    }

    /// The one active object of a type name, or null when there is not exactly one.
    static nv::Object *only(const std::string &type) {
        std::vector<nv::Object *> found = ofType(type);
        return found.size() == 1 ? found[0] : nullptr;
    }

    std::string dir;
    Glyphcage *p_controller = nullptr;
    int step_count = 0;
};

} // namespace level2_test
