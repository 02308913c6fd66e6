#include <csignal>
#include <cstring>
#include <sys/time.h>

#include "CoreFixture.h"
#include "core/Clock.h"
#include "core/Platform.h"
#include "display/DisplayManager.h"
#include "input/InputManager.h"
#include "network/NetworkManager.h"
#include "path/PathManager.h"
#include "resources/ResourceManager.h"

namespace {

using core_test::CoreTest;
using core_test::Recorder;
using nv_test::countOf;
using nv_test::fileText;
using nv_test::ScopedEnv;

// Runs the loop with the log open; the stepper sets game over at last_step and may sleep in chosen steps.
class GameLoopTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        ASSERT_EQ(log_manager.startUp(), 0);
        p_stepper = new Recorder;
        ASSERT_EQ(p_stepper->registerInterest(nv::STEP_EVENT), 0);
    }
    void run(int frame_time, int last_step, std::function<void(int)> each = nullptr) {
        game_manager.setFrameTime(frame_time);
        p_stepper->on_event = [=](const nv::Event *p_e) {
            const int step = static_cast<const nv::EventStep *>(p_e)->getStepCount();
            if (each) {
                each(step);
            }
            if (step == last_step) {
                game_manager.setGameOver();
            }
        };
        game_manager.run();
    }
    Recorder *p_stepper = nullptr;
};

TEST_F(GameLoopTest, StepsCountFromZeroAndTheLastStepRunsToItsEnd) {
    auto *p_later = new Recorder;
    ASSERT_EQ(p_later->registerInterest(nv::STEP_EVENT), 0);
    game_manager.setGameOver(true);
    run(1, 4, [](int step) { nv::LogManager::getInstance().writeLog("marker %d", step); });
    EXPECT_EQ(p_stepper->steps, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(p_later->steps, p_stepper->steps) << "objects after the one that ends the game still get the step";
    EXPECT_EQ(game_manager.getStepCount(), 5);
    EXPECT_TRUE(game_manager.getGameOver());
    const std::string text = stopLog();
    EXPECT_NE(text.find("    0 marker 0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    4 marker 4\n"), std::string::npos) << text;
}

TEST_F(GameLoopTest, StepCountPrefixGrowsPastFourDigitsWithoutComplaints) {
    run(0, 12344);
    ASSERT_EQ(game_manager.getStepCount(), 12345);
    log_manager.writeLog("after the loop");
    const std::string text = stopLog();
    EXPECT_NE(text.find(" 12345 after the loop\n"), std::string::npos);
    EXPECT_EQ(countOf(text, "Can't keep up!"), 0) << "a frame time of 0 never complains";
}

// Steps that take three frames are reported, one line each, from the second step on (each follows a slow step,
// so no oversleep excuses it).
TEST_F(GameLoopTest, EachSlowStepButTheFirstIsReportedOnce) {
    const int frame = 40;
    run(frame, 5, [](int step) {
        if (step <= 3) {
            nv::Platform::sleepMilliseconds(3 * frame);
        }
    });
    const std::string text = stopLog();
    const std::string report = " GameManager::run(): Can't keep up! frame_time 40 ms, split ";
    EXPECT_EQ(countOf(text, "    0" + report), 0) << text;
    for (const char *step : {"    1", "    2", "    3"}) {
        const std::size_t at = text.find(step + report);
        ASSERT_NE(at, std::string::npos) << text;
        EXPECT_GE(std::atoi(text.c_str() + at + 5 + report.size()), 3 * frame) << text;
        EXPECT_EQ(countOf(text, step + report), 1) << text;
    }
}

// Stops in the reverse order of the start: seen from an object that the world deletes when it stops.
class StopWitness : public nv::Object {
public:
    ~StopWitness() override {
        started = {nv::PathManager::getInstance().isStarted(),    nv::ResourceManager::getInstance().isStarted(),
                   nv::NetworkManager::getInstance().isStarted(), nv::InputManager::getInstance().isStarted(),
                   nv::DisplayManager::getInstance().isStarted(), nv::LogManager::getInstance().isStarted()};
    }
    static std::vector<bool> started;
};
std::vector<bool> StopWitness::started;

TEST_F(CoreTest, GameManagerStartsInOrderAndStopsInReverseWithTheLogLast) {
    nv::WorldManager::getInstance().shutDown();
    ScopedEnv config("NORVANTIS_CONFIG", dir.write("c.txt", "headless:true,networking:true,frame_time:5,"));
    ASSERT_EQ(game_manager.startUp(), 0);
    EXPECT_EQ(game_manager.startUp(), -1);
    for (nv::Manager *p_m :
         std::vector<nv::Manager *>{&log_manager, &nv::DisplayManager::getInstance(), &nv::InputManager::getInstance(),
                                    &nv::NetworkManager::getInstance(), &nv::ResourceManager::getInstance(),
                                    &nv::WorldManager::getInstance(), &nv::PathManager::getInstance(), &game_manager}) {
        EXPECT_TRUE(p_m->isStarted()) << p_m->getType();
    }
    EXPECT_EQ(game_manager.getFrameTime(), 5);
    EXPECT_EQ(nv::WorldManager::getInstance().getBoundary(), nv::Box(nv::Vector(), 80, 24));
    EXPECT_EQ(nv::WorldManager::getInstance().getView(), nv::Box(nv::Vector(), 80, 24));
    EXPECT_FLOAT_EQ(nv::WorldManager::getInstance().getViewSlack().getX(), 1.0f / 3.0f);
    new StopWitness;
    game_manager.shutDown();
    EXPECT_EQ(StopWitness::started, (std::vector<bool>{false, true, true, true, true, true}));
    for (nv::Manager *p_m :
         std::vector<nv::Manager *>{&log_manager, &nv::DisplayManager::getInstance(), &nv::InputManager::getInstance(),
                                    &nv::NetworkManager::getInstance(), &nv::ResourceManager::getInstance(),
                                    &nv::WorldManager::getInstance(), &nv::PathManager::getInstance(), &game_manager}) {
        EXPECT_FALSE(p_m->isStarted()) << p_m->getType();
    }
    std::vector<std::string> messages;
    std::stringstream text(fileText(log_path));
    for (std::string line; std::getline(text, line);) {
        messages.push_back(line.substr(14));
    }
    const std::string stars(52, '*');
    const std::vector<std::string> expected = {stars,
                                               "** Norvantis version 4.22 **",
                                               "** Game engine started **",
                                               stars,
                                               "Scenegraph configuration: GRID",
                                               "WorldManager::startUp(): successfully started.",
                                               "Scenegraph configuration: GRID",
                                               "GameManager::startup(): Warning! GameManager already started.",
                                               "WorldManager::shutDown(): Successfully stopped.",
                                               stars,
                                               "** Game engine stopped **"};
    EXPECT_EQ(messages, expected) << "level-1 lines stay out; the stop banner still reaches the open log";
}

// A manager already started refuses a second start, which shows where the start stops.
TEST_F(CoreTest, StartStopsAtTheFirstFailureAndShutDownStopsWhatStarted) {
    struct Case {
        nv::Manager *p_blocker;
        const char *config;
        const char *message;
        int started_before; // of log, display, input, network, resource, world, path
    };
    const Case cases[] = {
        {&nv::ResourceManager::getInstance(), "networking:true,", "Error! Starting resource manager.", 4},
        {&nv::WorldManager::getInstance(), "networking:false,", "Error starting world manager.", 5},
        {&nv::PathManager::getInstance(), "networking:false,", "Error starting path manager.", 6},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        core_test::resetCore();
        ScopedEnv config("NORVANTIS_CONFIG", dir.write("c.txt", std::string("headless:true,") + c.config));
        ASSERT_EQ(c.p_blocker->startUp(), 0);
        EXPECT_EQ(game_manager.startUp(), -1);
        EXPECT_FALSE(game_manager.isStarted());
        const std::vector<nv::Manager *> order = {&log_manager,
                                                  &nv::DisplayManager::getInstance(),
                                                  &nv::InputManager::getInstance(),
                                                  &nv::NetworkManager::getInstance(),
                                                  &nv::ResourceManager::getInstance(),
                                                  &nv::WorldManager::getInstance(),
                                                  &nv::PathManager::getInstance()};
        const bool networking = std::string(c.config) == "networking:true,";
        for (int i = 0; i < static_cast<int>(order.size()); i++) {
            const bool want = order[i] == c.p_blocker || (i < c.started_before && (i != 3 || networking));
            EXPECT_EQ(order[i]->isStarted(), want) << order[i]->getType();
        }
        game_manager.shutDown();
        for (nv::Manager *p_m : order) {
            EXPECT_FALSE(p_m->isStarted()) << p_m->getType();
        }
        EXPECT_NE(fileText(log_path).find(std::string("GameManager::startUp(): ") + c.message), std::string::npos);
    }
    ScopedEnv bad_log("NORVANTIS_LOG", dir.file("missing/x.log"));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(game_manager.startUp(), -1);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("GameManager::startUp(): Error! Starting log manager."),
              std::string::npos);
    EXPECT_FALSE(nv::DisplayManager::getInstance().isStarted());
}

TEST_F(CoreTest, FixedSeedRepeatsTheRandomSequence) {
    ScopedEnv config("NORVANTIS_CONFIG", dir.write("c.txt", "headless:true,networking:false,random_seed:77,"));
    std::vector<int> runs[2];
    for (std::vector<int> &numbers : runs) {
        nv::WorldManager::getInstance().shutDown();
        ASSERT_EQ(game_manager.startUp(), 0);
        for (int i = 0; i < 5; i++) {
            numbers.push_back(std::rand());
        }
        game_manager.shutDown();
    }
    EXPECT_EQ(runs[0], runs[1]);
}

volatile std::sig_atomic_t g_alarms = 0;

TEST(Platform, ClockAndSleepKeepTheirPromises) {
    nv::Clock clock;
    nv::Platform::sleepMilliseconds(20);
    const long long split = clock.split();
    EXPECT_GE(split, 20000);
    EXPECT_GE(clock.delta(), split) << "split does not restart the clock";
    EXPECT_LT(clock.delta(), split) << "delta does";
    long long previous = nv::Platform::monotonicMicroseconds();
    for (int i = 0; i < 10000; i++) {
        const long long now = nv::Platform::monotonicMicroseconds();
        ASSERT_GE(now, previous);
        previous = now;
    }
    nv::Platform::sleepMilliseconds(-50);
    EXPECT_LT(clock.delta(), 1000000) << "a sleep of less than 0 returns at once";
    // Alarms every 5 ms interrupt the sleep, which must go on for its whole time.
    struct sigaction action {};
    action.sa_handler = [](int) { g_alarms = g_alarms + 1; };
    struct sigaction old_action {};
    ASSERT_EQ(sigaction(SIGALRM, &action, &old_action), 0);
    struct itimerval timer {};
    timer.it_value.tv_usec = timer.it_interval.tv_usec = 5000;
    ASSERT_EQ(setitimer(ITIMER_REAL, &timer, nullptr), 0);
    nv::Clock sleep_clock;
    nv::Platform::sleepMilliseconds(40);
    const long long slept = sleep_clock.split();
    timer = {};
    setitimer(ITIMER_REAL, &timer, nullptr);
    sigaction(SIGALRM, &old_action, nullptr);
    EXPECT_GT(g_alarms, 0);
    EXPECT_GE(slept, 40000);
    EXPECT_EQ(nv::Platform::timeBeginPeriod(1), 0);
    EXPECT_EQ(nv::Platform::timeEndPeriod(1), 0);
    EXPECT_EQ(nv::Platform::timeBeginPeriod(0), nv::TIMERR_NOCANDO);
    char buf[4096];
    ASSERT_TRUE(nv::Platform::currentDirectory(buf, sizeof(buf)));
    EXPECT_EQ(std::string(buf), std::filesystem::current_path().string());
    char tiny[2];
    EXPECT_FALSE(nv::Platform::currentDirectory(tiny, sizeof(tiny)));
    EXPECT_FALSE(nv::Platform::currentDirectory(nullptr, 10));
}

} // namespace
