#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "CoreTestSupport.h"
#include "RecordingObject.h"
#include "core/Clock.h"
#include "core/GameManager.h"
#include "core/LogManager.h"
#include "core/Platform.h"
#include "display/DisplayManager.h"
#include "input/InputManager.h"
#include "network/NetworkManager.h"
#include "path/PathManager.h"
#include "resources/ResourceManager.h"
#include "world/WorldManager.h"

namespace {

using nv_test::readFile;
using nv_test::RecordingObject;
using nv_test::ScopedEnv;
using nv_test::TempDir;

int countOf(const std::string &text, const std::string &what) {
    int count = 0;
    for (std::size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) {
        count++;
    }
    return count;
}

// Runs the loop alone: no other manager is started, the log goes to a temporary file.
class GameLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        nv_test::resetCoreSingletons();
        ASSERT_EQ(nv::LogManager::getInstance().startUp(), 0);
        nv_test::startWorld();
        p_stepper = new RecordingObject;
        ASSERT_EQ(p_stepper->registerInterest(nv::STEP_EVENT), 0);
    }
    void TearDown() override { nv_test::resetCoreSingletons(); }

    void endAtStep(int last_step) {
        p_stepper->on_event = [this, last_step](const nv::Event *p_e) {
            if (static_cast<const nv::EventStep *>(p_e)->getStepCount() == last_step) {
                game_manager.setGameOver();
            }
        };
    }

    std::string log() {
        nv::LogManager::getInstance().shutDown();
        return readFile(log_path);
    }

    TempDir dir;
    std::string log_path = dir.file("loop.log");
    ScopedEnv log_env{"NORVANTIS_LOG", log_path};
    nv::GameManager &game_manager = nv::GameManager::getInstance();
    RecordingObject *p_stepper = nullptr;
};

TEST_F(GameLoopTest, StepsCountFromZero) {
    game_manager.setFrameTime(1);
    endAtStep(4);
    game_manager.run();
    EXPECT_EQ(p_stepper->steps, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(game_manager.getStepCount(), 5);
}

TEST_F(GameLoopTest, StepThatSetsGameOverRunsToItsEnd) {
    RecordingObject *p_later = new RecordingObject;
    ASSERT_EQ(p_later->registerInterest(nv::STEP_EVENT), 0);
    game_manager.setFrameTime(30);
    endAtStep(0);
    nv::Clock clock;
    game_manager.run();
    const long long elapsed = clock.split();
    EXPECT_EQ(p_later->steps, (std::vector<int>{0}));
    EXPECT_EQ(game_manager.getStepCount(), 1);
    // The step still sleeps away the rest of its frame.
    EXPECT_GE(elapsed, 29000);
}

TEST_F(GameLoopTest, GameOverBeforeRunIsCleared) {
    game_manager.setFrameTime(1);
    game_manager.setGameOver(true);
    endAtStep(2);
    game_manager.run();
    EXPECT_EQ(game_manager.getStepCount(), 3);
    EXPECT_TRUE(game_manager.getGameOver());
}

TEST_F(GameLoopTest, LogLinesCarryTheStepCount) {
    game_manager.setFrameTime(1);
    p_stepper->on_event = [this](const nv::Event *p_e) {
        const int step = static_cast<const nv::EventStep *>(p_e)->getStepCount();
        nv::LogManager::getInstance().writeLog("marker %d", step);
        if (step == 2) {
            game_manager.setGameOver();
        }
    };
    game_manager.run();
    const std::string text = log();
    EXPECT_NE(text.find("    0 marker 0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    2 marker 2\n"), std::string::npos) << text;
}

TEST_F(GameLoopTest, StepCountPrefixGrowsPastFourDigits) {
    game_manager.setFrameTime(0);
    endAtStep(12344);
    game_manager.run();
    ASSERT_EQ(game_manager.getStepCount(), 12345);
    nv::LogManager::getInstance().writeLog("after the loop");
    const std::string text = log();
    EXPECT_NE(text.find(" 12345 after the loop\n"), std::string::npos) << text;
}

// N steps at 33 ms last about N x 33 ms. Each sleep is truncated to whole milliseconds, so a step comes out
// up to 1 ms short; measured here on a shared 2-core machine, 30 steps took 964-977 ms at a load average of 11.
TEST_F(GameLoopTest, HoldsTheFrameRate) {
    const int steps = 30;
    game_manager.setFrameTime(33);
    endAtStep(steps - 1);
    nv::Clock clock;
    game_manager.run();
    const long long elapsed_ms = clock.split() / 1000;
    EXPECT_EQ(game_manager.getStepCount(), steps);
    EXPECT_GE(elapsed_ms, steps * 32 - 10);
    EXPECT_LE(elapsed_ms, steps * 33 + 150);
}

TEST_F(GameLoopTest, ZeroFrameTimeRunsWithoutSleepingOrComplaining) {
    game_manager.setFrameTime(0);
    endAtStep(199);
    nv::Clock clock;
    game_manager.run();
    EXPECT_LT(clock.split(), 2000000);
    EXPECT_EQ(countOf(log(), "Can't keep up!"), 0);
}

TEST_F(GameLoopTest, SlowFirstStepIsNotReported) {
    game_manager.setFrameTime(40);
    p_stepper->on_event = [this](const nv::Event *p_e) {
        const int step = static_cast<const nv::EventStep *>(p_e)->getStepCount();
        if (step == 0) {
            nv::Platform::sleepMilliseconds(60);
        }
        if (step == 2) {
            game_manager.setGameOver();
        }
    };
    game_manager.run();
    EXPECT_EQ(countOf(log(), "Can't keep up!"), 0);
}

// A step right after a slow one starts with no oversleep to excuse it, so each of steps 1 to 3 is reported;
// step 0 makes sure step 1 does not follow a sleep either.
TEST_F(GameLoopTest, EachSlowLaterStepIsReportedOnce) {
    game_manager.setFrameTime(40);
    p_stepper->on_event = [this](const nv::Event *p_e) {
        const int step = static_cast<const nv::EventStep *>(p_e)->getStepCount();
        if (step <= 3) {
            nv::Platform::sleepMilliseconds(60);
        }
        if (step == 4) {
            game_manager.setGameOver();
        }
    };
    game_manager.run();
    const std::string text = log();
    EXPECT_EQ(countOf(text, "Can't keep up!"), 3) << text;
    const std::string first_report = "    1 GameManager::run(): Can't keep up! frame_time 40 ms, split ";
    const std::size_t at = text.find(first_report);
    ASSERT_NE(at, std::string::npos) << text;
    EXPECT_GE(std::atoi(text.c_str() + at + first_report.size()), 60) << text;
    EXPECT_EQ(text.find("    0 GameManager::run(): Can't keep up!"), std::string::npos) << text;
}

// The whole engine, started headless from a configuration file.
class GameManagerStartTest : public ::testing::Test {
protected:
    void SetUp() override { nv_test::resetCoreSingletons(); }
    void TearDown() override { nv_test::resetCoreSingletons(); }

    std::string configure(const std::string &text) { return dir.write("nv-config.txt", text); }

    TempDir dir;
    std::string log_path = dir.file("engine.log");
    ScopedEnv log_env{"NORVANTIS_LOG", log_path};
    nv::GameManager &game_manager = nv::GameManager::getInstance();
};

TEST_F(GameManagerStartTest, HeadlessRunLogsBannerAndStopLinesOnly) {
    ScopedEnv config_env("NORVANTIS_CONFIG", configure("headless:true,\nnetworking:false,\nframe_time:5,\n"));
    ASSERT_EQ(game_manager.startUp(), 0);
    EXPECT_TRUE(game_manager.isStarted());
    EXPECT_TRUE(nv::LogManager::getInstance().isStarted());
    EXPECT_TRUE(nv::DisplayManager::getInstance().isStarted());
    EXPECT_TRUE(nv::InputManager::getInstance().isStarted());
    EXPECT_FALSE(nv::NetworkManager::getInstance().isStarted());
    EXPECT_TRUE(nv::ResourceManager::getInstance().isStarted());
    EXPECT_TRUE(nv::WorldManager::getInstance().isStarted());
    EXPECT_TRUE(nv::PathManager::getInstance().isStarted());
    EXPECT_EQ(game_manager.getFrameTime(), 5);
    EXPECT_FLOAT_EQ(nv::WorldManager::getInstance().getBoundary().getHorizontal(), 80.0f);
    EXPECT_FLOAT_EQ(nv::WorldManager::getInstance().getView().getVertical(), 24.0f);
    game_manager.shutDown();
    EXPECT_FALSE(game_manager.isStarted());
    EXPECT_FALSE(nv::LogManager::getInstance().isStarted());
    EXPECT_FALSE(nv::DisplayManager::getInstance().isStarted());
    EXPECT_FALSE(nv::InputManager::getInstance().isStarted());
    EXPECT_FALSE(nv::ResourceManager::getInstance().isStarted());
    EXPECT_FALSE(nv::WorldManager::getInstance().isStarted());
    EXPECT_FALSE(nv::PathManager::getInstance().isStarted());

    const std::vector<std::string> got = nv_test::lines(readFile(log_path));
    std::vector<std::string> messages;
    for (const std::string &line : got) {
        messages.push_back(line.substr(14));
    }
    const std::vector<std::string> banner = {
        "****************************************************",
        "** Norvantis version 4.22 **",
        "** Game engine started **",
        "****************************************************",
    };
    ASSERT_GE(messages.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(messages.begin(), messages.begin() + 4), banner);
    EXPECT_EQ(messages[messages.size() - 2], "****************************************************");
    EXPECT_EQ(messages.back(), "** Game engine stopped **");
    // The log level is 0, so the level-1 summary and progress lines stay out.
    for (const std::string &message : messages) {
        EXPECT_EQ(message.find("Norvantis configuration:"), std::string::npos);
        EXPECT_EQ(message.find("manager started."), std::string::npos);
        EXPECT_EQ(message.find("manager stopped"), std::string::npos);
        EXPECT_EQ(message.find("GameManager successfully started."), std::string::npos);
    }
}

TEST_F(GameManagerStartTest, SecondStartUpFails) {
    ScopedEnv config_env("NORVANTIS_CONFIG", configure("headless:true,networking:false,"));
    ASSERT_EQ(game_manager.startUp(), 0);
    EXPECT_EQ(game_manager.startUp(), -1);
    game_manager.shutDown();
    EXPECT_NE(readFile(log_path).find("GameManager::startup(): Warning! GameManager already started."),
              std::string::npos);
}

TEST_F(GameManagerStartTest, NetworkingOnStartsAndStopsTheNetworkManager) {
    ScopedEnv config_env("NORVANTIS_CONFIG", configure("headless:true,networking:true,"));
    ASSERT_EQ(game_manager.startUp(), 0);
    EXPECT_TRUE(nv::NetworkManager::getInstance().isStarted());
    game_manager.shutDown();
    EXPECT_FALSE(nv::NetworkManager::getInstance().isStarted());
}

TEST_F(GameManagerStartTest, UnopenableLogStopsTheStartBeforeAnyOtherManager) {
    ScopedEnv config_env("NORVANTIS_CONFIG", configure("headless:true,networking:false,"));
    ScopedEnv bad_log("NORVANTIS_LOG", dir.file("missing/dir/x.log"));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(game_manager.startUp(), -1);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("GameManager::startUp(): Error! Starting log manager."), std::string::npos);
    EXPECT_FALSE(game_manager.isStarted());
    EXPECT_FALSE(nv::DisplayManager::getInstance().isStarted());
    EXPECT_FALSE(nv::InputManager::getInstance().isStarted());
}

// A manager that is already started refuses a second start, which shows where the order stops.
TEST_F(GameManagerStartTest, StartStopsAtTheFirstFailureInOrder) {
    ScopedEnv config_env("NORVANTIS_CONFIG", configure("headless:true,networking:true,"));
    ASSERT_EQ(nv::ResourceManager::getInstance().startUp(), 0);
    EXPECT_EQ(game_manager.startUp(), -1);
    EXPECT_FALSE(game_manager.isStarted());
    EXPECT_TRUE(nv::LogManager::getInstance().isStarted());
    EXPECT_TRUE(nv::DisplayManager::getInstance().isStarted());
    EXPECT_TRUE(nv::InputManager::getInstance().isStarted());
    EXPECT_TRUE(nv::NetworkManager::getInstance().isStarted());
    EXPECT_FALSE(nv::WorldManager::getInstance().isStarted());
    EXPECT_FALSE(nv::PathManager::getInstance().isStarted());
    game_manager.shutDown();
    EXPECT_FALSE(nv::LogManager::getInstance().isStarted());
    EXPECT_FALSE(nv::DisplayManager::getInstance().isStarted());
    EXPECT_FALSE(nv::InputManager::getInstance().isStarted());
    EXPECT_FALSE(nv::NetworkManager::getInstance().isStarted());
    EXPECT_FALSE(nv::ResourceManager::getInstance().isStarted());
    EXPECT_NE(readFile(log_path).find("GameManager::startUp(): Error! Starting resource manager."), std::string::npos);
}

TEST_F(GameManagerStartTest, WorldFailureLeavesOnlyThePathManagerUnstarted) {
    ScopedEnv config_env("NORVANTIS_CONFIG", configure("headless:true,networking:false,"));
    nv_test::startWorld();
    EXPECT_EQ(game_manager.startUp(), -1);
    EXPECT_TRUE(nv::ResourceManager::getInstance().isStarted());
    EXPECT_FALSE(nv::PathManager::getInstance().isStarted());
    game_manager.shutDown();
    EXPECT_FALSE(nv::WorldManager::getInstance().isStarted());
    EXPECT_NE(readFile(log_path).find("GameManager::startUp(): Error starting world manager."), std::string::npos);
}

TEST_F(GameManagerStartTest, FixedSeedRepeatsTheRandomSequence) {
    ScopedEnv config_env("NORVANTIS_CONFIG", configure("headless:true,networking:false,random_seed:77,"));
    std::vector<int> first;
    std::vector<int> second;
    for (std::vector<int> *p_run : {&first, &second}) {
        ASSERT_EQ(game_manager.startUp(), 0);
        for (int i = 0; i < 5; i++) {
            p_run->push_back(std::rand());
        }
        game_manager.shutDown();
    }
    EXPECT_EQ(first, second);
}

} // namespace
