#include <chrono>
#include <numeric>

#include "CoreFixture.h"
#include "core/Platform.h"
#include "display/DisplayManager.h"
#include "input/InputManager.h"
#include "network/NetworkManager.h"
#include "path/PathManager.h"
#include "resources/ResourceManager.h"

namespace {

using core_test::CoreTest;
using nv_test::countOf;
using nv_test::ScopedEnv;

// Runs the loop with the log open; the first of two steppers ends the game when each_ends_game says so.
class GameLoopTest : public CoreTest {
protected:
    std::string run(int frame_time, std::function<bool(int)> each_ends_game) {
        EXPECT_EQ(log_manager.startUp(), 0);
        p_stepper = new core_test::Recorder;
        p_later = new core_test::Recorder;
        EXPECT_EQ(p_stepper->registerInterest(nv::STEP_EVENT) + p_later->registerInterest(nv::STEP_EVENT), 0);
        game_manager.setFrameTime(frame_time);
        p_stepper->on_event = [=](const nv::Event *) {
            game_manager.setGameOver(game_manager.getGameOver() || each_ends_game(p_stepper->steps.back()));
        };
        game_manager.run();
        log_manager.shutDown();
        return nv_test::fileText(log_path);
    }
    core_test::Recorder *p_stepper = nullptr, *p_later = nullptr;
};

TEST_F(GameLoopTest, StepsCountFromZeroAndTheLastStepRunsToItsEnd) {
    game_manager.setGameOver(true);
    const std::string text =
        run(0, [](int step) { return nv::LogManager::getInstance().writeLog("marker %d", step) > 0 && step == 12344; });
    std::vector<int> steps(12345);
    std::iota(steps.begin(), steps.end(), 0);
    EXPECT_EQ(p_stepper->steps, steps);
    EXPECT_EQ(p_later->steps, steps) << "objects after the one that ends the game still get the step";
    EXPECT_EQ(game_manager.getStepCount(), 12345);
    for (const char *line : {"    0 marker 0\n", "    4 marker 4\n", " 12344 marker 12344\n"})
        EXPECT_EQ(countOf(text, line), 1) << line;
    EXPECT_EQ(countOf(text, "Can't keep up!"), 0) << "a frame time of 0 never complains";
}

// Steps that take three frames are reported, one line each, from the second step on (each follows a slow step,
// so no oversleep excuses it).
// The fast steps after them still last a frame each: an oversleep is made up, never overcounted.
TEST_F(GameLoopTest, EachSlowStepButTheFirstIsReportedOnce) {
    const auto start = std::chrono::steady_clock::now();
    const std::string text = run(40, [](int step) {
        nv::Platform::sleepMilliseconds(step <= 3 ? 120 : 1);
        return step == 5;
    });
    const std::string report = " GameManager::run(): Can't keep up! frame_time 40 ms, split ";
    EXPECT_EQ(countOf(text, report), 3) << text;
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(4 * 120 + 60));
    for (const char *step : {"    1", "    2", "    3"}) {
        ASSERT_EQ(countOf(text, step + report), 1) << text;
        EXPECT_GE(std::atoi(text.c_str() + text.find(step + report) + 5 + report.size()), 120) << text;
    }
}

// Which of the managers, in their start order and the game manager last, are started.
std::vector<bool> startedFlags() {
    return {nv::LogManager::getInstance().isStarted(),      nv::DisplayManager::getInstance().isStarted(),
            nv::InputManager::getInstance().isStarted(),    nv::NetworkManager::getInstance().isStarted(),
            nv::ResourceManager::getInstance().isStarted(), nv::WorldManager::getInstance().isStarted(),
            nv::PathManager::getInstance().isStarted(),     nv::GameManager::getInstance().isStarted()};
}

TEST_F(CoreTest, GameManagerStartsInOrderStopsInReverseWithTheLogLastAndStopsAtTheFirstFailure) {
    nv::WorldManager::getInstance().shutDown();
    ScopedEnv config("NORVANTIS_CONFIG", dir.write("c", "headless:true,networking:true,frame_time:5,random_seed:-2,"));
    ASSERT_EQ(game_manager.startUp(), 0);
    const int first_random = std::rand();
    std::srand(static_cast<unsigned int>(-2));
    EXPECT_EQ(std::rand(), first_random) << "seeded with the configured seed";
    EXPECT_EQ(game_manager.startUp(), -1);
    EXPECT_EQ(startedFlags(), std::vector<bool>(8, true));
    EXPECT_EQ(game_manager.getFrameTime(), 5);
    EXPECT_EQ(nv::WorldManager::getInstance().getBoundary(), nv::Box(nv::Vector(), 80, 24));
    EXPECT_EQ(nv::WorldManager::getInstance().getView(), nv::Box(nv::Vector(), 80, 24));
    EXPECT_FLOAT_EQ(nv::WorldManager::getInstance().getViewSlack().getX(), 1.0f / 3.0f);
    std::vector<bool> seen_by_the_world; // when it deletes its objects on stopping
    (new core_test::Recorder)->on_delete = [&] { seen_by_the_world = startedFlags(); };
    game_manager.shutDown();
    EXPECT_EQ(seen_by_the_world, (std::vector<bool>{true, true, true, true, true, false, false, true}));
    EXPECT_EQ(startedFlags(), std::vector<bool>(8, false));
    const std::string stars(52, '*');
    EXPECT_EQ(core_test::messagesOf(nv_test::fileText(log_path)),
              stars + "\n** Norvantis version 4.22 **\n** Game engine started **\n" + stars +
                  "\nScenegraph configuration: GRID\nWorldManager::startUp(): successfully started.\n"
                  "Scenegraph configuration: GRID\nGameManager::startup(): Warning! GameManager already started.\n"
                  "WorldManager::shutDown(): Successfully stopped.\n" +
                  stars + "\n** Game engine stopped **\n")
        << "level-1 lines stay out; the stop banner still reaches the open log";
    // A manager already started refuses a second start, which shows where the start stops.
    const std::tuple<nv::Manager *, const char *, const char *, std::vector<bool>> cases[] = {
        {&nv::ResourceManager::getInstance(), "true", "Error! Starting resource manager.", {1, 1, 1, 1, 1, 0, 0, 0}},
        {&nv::WorldManager::getInstance(), "false", "Error starting world manager.", {1, 1, 1, 0, 1, 1, 0, 0}},
        {&nv::PathManager::getInstance(), "false", "Error starting path manager.", {1, 1, 1, 0, 1, 1, 1, 0}},
    };
    for (const auto &[p_blocker, networking, message, started] : cases) {
        core_test::resetCore();
        ScopedEnv env("NORVANTIS_CONFIG", dir.write("c", std::string("headless:true,networking:") + networking));
        ASSERT_EQ(p_blocker->startUp(), 0);
        EXPECT_EQ(game_manager.startUp(), -1);
        EXPECT_EQ(startedFlags(), started) << message;
        game_manager.shutDown();
        EXPECT_EQ(startedFlags(), std::vector<bool>(8, false));
        EXPECT_EQ(countOf(nv_test::fileText(log_path), std::string("GameManager::startUp(): ") + message), 1);
    }
    ScopedEnv bad_log("NORVANTIS_LOG", dir.file("missing/x.log"));
    EXPECT_EQ(countOf(core_test::stderrOf([&] { EXPECT_EQ(game_manager.startUp(), -1); }),
                      "GameManager::startUp(): Error! Starting log manager."),
              1);
    EXPECT_EQ(startedFlags(), std::vector<bool>(8, false));
}

} // namespace
