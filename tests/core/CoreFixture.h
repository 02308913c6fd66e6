#pragma once

#include <algorithm>
#include <array>
#include <functional>
#include <iterator>
#include <memory>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/Config.h"
#include "core/EventStep.h"
#include "core/GameManager.h"
#include "core/LogManager.h"
#include "support/TestSupport.h"
#include "world/Object.h"
#include "world/WorldManager.h"

namespace core_test {

/// An object that records the step counts of the events it receives (-1 for other events) and can act in its
/// handler and on its deletion.
class Recorder : public nv::Object {
public:
    ~Recorder() override { on_delete(); }
    int eventHandler(const nv::Event *p_e) override {
        const auto *p_step = dynamic_cast<const nv::EventStep *>(p_e);
        steps.push_back(p_step != nullptr ? p_step->getStepCount() : -1);
        on_event(p_e);
        return 1;
    }
    std::vector<int> steps;
    std::function<void(const nv::Event *)> on_event = [](const nv::Event *) {};
    std::function<void()> on_delete = [] {};
};

/// Puts the game, world and log managers and the configuration back to their first-use state.
inline void resetCore() {
    nv::GameManager &game_manager = nv::GameManager::getInstance();
    nv_test::stopIfStarted(game_manager);
    nv_test::stopIfStarted(nv::WorldManager::getInstance());
    game_manager.setGameOver(false);
    game_manager.setFrameTime(nv::FRAME_TIME_DEFAULT);
    nv_test::stopIfStarted(nv::LogManager::getInstance());
    nv::LogManager::getInstance().setFlush(false);
    nv::Config::getInstance().reset();
    nv::match("reset:", "");
}

/// What the call writes to standard error.
inline std::string stderrOf(const std::function<void()> &call) {
    ::testing::internal::CaptureStderr();
    call();
    return ::testing::internal::GetCapturedStderr();
}

/// The log text's messages without their time and step prefixes, one line each.
inline std::string messagesOf(const std::string &text) {
    return std::regex_replace(text, std::regex("^.{14}", std::regex::multiline), "");
}

/// The core's fixture: fresh singletons, a started world for objects, and a private folder for files. The standard
/// headers above serve every core test.
class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetCore();
        nv::WorldManager::getInstance().startUp();
    }
    void TearDown() override { resetCore(); }

    nv_test::TempDir dir{"nv-core"};
    std::string log_path = dir.file("test.log");
    nv_test::ScopedEnv log_env{"NORVANTIS_LOG", log_path};
    nv::GameManager &game_manager = nv::GameManager::getInstance();
    nv::LogManager &log_manager = nv::LogManager::getInstance();
};

} // namespace core_test
